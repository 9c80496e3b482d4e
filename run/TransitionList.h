// The optimised compounds of a results table as a small-molecule transition list that Skyline (and
// the tools that read its lists) import, so the optima found here can be acquired and quantified
// elsewhere.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tessaly
{
/// What goes into a transition list and where it goes.
struct TransitionExport
{
    std::string out;                 // the list to write (CSV)
    std::string compounds;           // the results table
    std::string list;                // the compound list, whose masses name each precursor's adduct; may be empty
    std::vector<std::string> finals; // final quan methods (.mdb): one molecule list each, with their times
};

/// Writes the transition list of a.compounds to a.out (CRLF lines, Skyline's small-molecule
/// column names, cells a spreadsheet would run neutralised), one row per ok compound and final
/// method that holds it, and returns the number of rows. Everything is read and checked first:
/// throws BadInput, writing nothing, for a missing or unreadable input, an output that is one of
/// the inputs, or a table without an ok compound; Failure when the list cannot be written.
std::size_t writeTransitionList(const TransitionExport& a);
} // namespace tessaly
