#include "run/MethodChecks.h"

#include "method/MethodFileKeys.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/Profile.h"
#include "run/Inputs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tessaly
{
namespace
{
constexpr double kNoLimit = std::numeric_limits<double>::infinity();
// The instrument sets cone voltages and collision energies from 0 to 200 (V, eV), the range the
// method editor holds its ramp boxes to. It also keeps every ramp value an int can hold, which the
// engine's ramp arithmetic needs.
constexpr double kMaxRampValue = 200.0;

// The values of one key that a run can use: from min to max.
struct Range
{
    const char* key;
    double min;
    double max;
};

// In the method file's key order. The acquisition times, the fragment size and the loss masses
// are held to the method editor's own ranges; volumes (microlitres) and adduct masses (Da) to what
// an instrument could use, which also keeps them within the single precision the engine keeps
// some of them in. Keys not listed are texts and flags.
constexpr double kMaxSpeciesMass = 1000.0;
constexpr Range kRanges[] = {
    {"Cone Voltage Min", 0.0, kMaxRampValue},
    {"Cone Voltage Max", 0.0, kMaxRampValue},
    {"Cone Voltage Step", 0.0, kNoLimit},
    {"Collision Energy Min", 0.0, kMaxRampValue},
    {"Collision Energy Max", 0.0, kMaxRampValue},
    {"Collision Energy Step", 0.0, kNoLimit},
    {"Ion Mode Options", 0.0, 2.0}, // positive, negative or both
    {"MSMS", 0.0, 1.0},
    {"When To Optimise", 0.0, 1.0}, // per group, or before any analysis
    {"Fragment Min Size", 50.0, 999.0},
    {"Total Cycle Time", 0.1, 5.0},
    {"Max Dwell Time", 0.02, 1.0},
    {"Inter Mode Time", 0.05, 0.5},
    {"Adduct Neg User1 Mass", -kMaxSpeciesMass, kMaxSpeciesMass},
    {"Adduct Neg User2 Mass", -kMaxSpeciesMass, kMaxSpeciesMass},
    {"Adduct Pos User3 Mass", -kMaxSpeciesMass, kMaxSpeciesMass},
    {"Adduct Pos User4 Mass", -kMaxSpeciesMass, kMaxSpeciesMass},
    {"Adduct Pos User5 Mass", -kMaxSpeciesMass, kMaxSpeciesMass},
    {"Stage1 Injection Volume", 0.0, 1000.0},
    {"Stage2 Injection Volume", 0.0, 1000.0},
    {"User1 Loss Mass", 0.0, kMaxSpeciesMass},
    {"User2 Loss Mass", 0.0, kMaxSpeciesMass},
    {"User3 Loss Mass", 0.0, kMaxSpeciesMass},
    {"MUX Sprays", 1.0, 4.0},
};

// The ramps: their start, end and step keys.
struct Ramp
{
    const char* min;
    const char* max;
    const char* step;
};
constexpr Ramp kRamps[] = {
    {"Cone Voltage Min", "Cone Voltage Max", "Cone Voltage Step"},
    {"Collision Energy Min", "Collision Energy Max", "Collision Energy Step"},
};

// The shortest text that reads back as value: 5 as "5", 61.24 as "61.24", -1e308 as "-1e+308".
std::string numberText(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The value of a number key of the method table; the table holds every key named here.
double valueOf(const CBrenmoOptions& options, const char* name)
{
    const method::MethodFileKey& key = *method::findMethodFileKey(name);
    return key.type == method::MethodKeyType::kDouble ? key.getDouble(options)
                                                      : static_cast<double>(key.getInt(options));
}

// Why value lies outside range, or the empty text when it lies within.
std::string outside(const Range& range, double value)
{
    // Written so that a NaN, which no comparison finds out of range, is refused first.
    if (!std::isfinite(value))
        return "not a finite number";
    if (value < range.min)
        return "below " + numberText(range.min);
    if (value > range.max)
        return "above " + numberText(range.max);
    return "";
}
} // namespace

std::vector<std::string> checkMethodRanges(const CBrenmoOptions& options, const std::string& methodName)
{
    std::vector<std::string> findings;
    const auto quoted = [](const char* key) { return std::string("\"") + key + "\""; };
    std::vector<std::string> refused;
    for (const Range& range : kRanges)
    {
        const double value = valueOf(options, range.key);
        if (const std::string why = outside(range, value); !why.empty())
        {
            findings.push_back(methodName + ": " + quoted(range.key) + " is " + numberText(value) + ", " + why);
            refused.push_back(range.key);
        }
    }
    // A ramp with a step climbs from its start to its end; one that would climb down is refused.
    // With a step of 0 only the start is used, so the end may lie anywhere in range. A ramp with a
    // value already refused gets no second finding.
    const auto isRefused = [&refused](const char* key) {
        return std::find(refused.begin(), refused.end(), key) != refused.end();
    };
    for (const Ramp& ramp : kRamps)
    {
        if (isRefused(ramp.min) || isRefused(ramp.max) || isRefused(ramp.step))
            continue;
        const double min = valueOf(options, ramp.min), max = valueOf(options, ramp.max);
        if (valueOf(options, ramp.step) > 0.0 && min > max)
            findings.push_back(methodName + ": " + quoted(ramp.min) + " is " + numberText(min) + ", above " +
                               quoted(ramp.max) + " (" + numberText(max) + ")");
    }
    return findings;
}

bool holdsNoMethodKey(const std::string& hostMethod)
{
    const CString file = hostMethod.c_str();
    // The 50 reads are one read of the file.
    const platform::ProfileReadBatch batch;
    for (const auto& key : method::kMethodFileKeys)
    {
        // Without a default the read gives 1 only for a key with a value in the method section.
        CString value;
        if (CTessalyOptionsSheet::ReadFromFile(file, value, key.name, ""))
            return false;
    }
    return true;
}

std::string noMethodKeyFinding(const std::string& methodName)
{
    return methodName + ": holds none of the method's keys";
}

void requireUsableMethod(const std::string& hostMethod, const CBrenmoOptions& options, const std::string& methodName)
{
    if (holdsNoMethodKey(hostMethod))
        throw BadInput(noMethodKeyFinding(methodName));
    std::string joined;
    for (const std::string& finding : checkMethodRanges(options, methodName))
        joined += (joined.empty() ? "" : "; ") + finding;
    if (!joined.empty())
        throw BadInput(joined);
}
} // namespace tessaly
