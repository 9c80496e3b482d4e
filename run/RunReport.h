// What a whole optimisation run found, as the run collects it for the people who read its
// results: the report (one self-contained HTML file with inline SVG plots) and the transition list
// a user takes to other tools.
#pragma once

#include "run/ResultsTable.h"

#include <string>
#include <vector>

namespace tessaly
{
/// One trace across a ramp: the response at each step, in step order (0 where nothing was seen).
struct RampCurve
{
    std::string label; // e.g. "[M+H]+ 195.088" or "product 138.066"
    double mz = 0.0;
    std::vector<double> responses;
};

/// One compound of the run: its line of the final table and the curves behind it.
struct CompoundRun
{
    ResultRow result;
    std::string adduct;                  // the chosen parent ion's adduct, e.g. "[M+H]+"; empty when failed
    std::string atEdge;                  // "cv", "ce", "cv,ce" or empty
    std::vector<double> coneVoltages;    // the cone-voltage steps acquired, V
    std::vector<RampCurve> parentCurves; // each candidate ion across the cone-voltage steps
    int chosenParent = -1;               // index into parentCurves of the chosen ion; -1 none
    int chosenConeStep = -1;             // 0-based step of the chosen cone voltage; -1 none
    std::vector<double> collisionEnergies; // the collision-energy steps acquired, eV (empty: MS only)
    RampCurve productCurve;                // the chosen product across the collision-energy steps
    int chosenEnergyStep = -1;             // 0-based; -1 none
};

/// One record of a group's final quan method, as the host's method database holds it.
struct FinalMethodRecord
{
    std::string compound;
    int function = 0;
    std::string massText;
    double expectedTime = 0.0; // minutes
    double window = 0.0;       // half-width, minutes
    double rangeStart = 0.0;
    double rangeEnd = 0.0;
    bool reference = false; // the group's reference compound
};

/// The final quan method of one sample group.
struct GroupMethod
{
    std::string group;      // the group's label; empty for the unlabelled group
    std::string methodPath; // POSIX path of the method database
    std::vector<FinalMethodRecord> records;
};

/// A whole run.
struct RunReport
{
    std::string method;       // POSIX path of the optimisation method
    std::string compoundList; // POSIX paths of the lists
    std::string analysisList;
    unsigned long long seed = 0;
    std::vector<CompoundRun> compounds; // in compound-list order
    std::vector<GroupMethod> groups;    // in analysis-list order
};

/// The report: one self-contained HTML5 document (no external files, scripts or fonts). Per
/// compound a plot (inline SVG) of every candidate ion's response across the cone-voltage steps and
/// one of the chosen product across the collision-energy steps, each with the chosen optimum
/// marked; a compound whose optimum lies on the first or last step of its ramp is flagged, as the
/// true optimum may lie beyond the ramp. Then the final method of each group. Every text from the
/// run is escaped.
std::string writeReportHtml(const RunReport& report);
} // namespace tessaly
