// The final quan method of one sample group, made from the results table of an earlier run, so
// final methods can be made again without acquiring the compounds again.
#pragma once

#include <string>

namespace tessaly
{
/// The inputs of one group's final method.
struct FinalMethodRequest
{
    std::string method;         // the optimisation method (.tym)
    std::string analysis;       // the analysis list
    int group = 0;              // from 1
    std::string compounds;      // the results table
    std::string baseQuanMethod; // empty: the project's MethDB/LIST.mdb
    double span = 0.0;          // minutes; 0: the run time of the method's stage-2 LC method
};

/// What was written.
struct FinalMethodWritten
{
    std::string path;      // POSIX path of the method database
    std::string unmatched; // a line per row of the group without an ok result: "row N (NAME): ..."
};

/// Writes the final quan method of group a.group of a.analysis from the ok results of
/// a.compounds, under the data directory's lock. Throws BadInput for a missing or bad input (no
/// such group, no time span, a daughter m/z missing where the method needs one) and Failure when no
/// compound of the group has an ok result or the engine cannot write the method.
FinalMethodWritten writeFinalMethod(const FinalMethodRequest& a);
} // namespace tessaly
