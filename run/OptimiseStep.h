// One optimisation step on an injection acquired earlier, so a compound can be analysed again
// without acquiring it again.
#pragma once

#include "method/ScanParams.h"

#include <ostream>
#include <string>

namespace tessaly
{
/// The injection, the method and the compound of one step.
struct OptimiseStep
{
    bool daughter = false; // the collision-energy step; otherwise the cone-voltage step
    std::string raw;       // the injection's raw data, a NAME.RAW directory
    std::string method;    // the optimisation method (.tym): ramps and adducts
    std::string mass;      // the compound's mass or formula
    std::string mode;      // ion source, "ESP" or "APcI"; empty: the method's
    std::string polarity;  // "+" or "-"; empty: the method's
    double parent = 0.0;   // the daughter step: the parent ion's m/z found by the parent step
    int coneVoltage = 0;   // the daughter step: the cone voltage found by the parent step, V
};

/// Measures the injection o.raw as the run's parent (or daughter) step would and returns the
/// compound's record afterwards; a negative nMaxFunction in it means no ion was found. It takes
/// the data directory's lock and works in a private folder, as a run does, and tells err when it
/// puts back the tune of a run killed earlier. Throws BadInput for a missing or unusable input
/// (the raw data, the method, a mass that gives none) and Failure when the host cannot measure
/// the injection, with the host's reason.
tag_SCAN_PARAMS optimiseStep(const OptimiseStep& o, std::ostream& err);
} // namespace tessaly
