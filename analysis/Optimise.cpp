#include "analysis/Optimise.h"

#include "analysis/MassStrings.h"
#include "analysis/MaxScan.h"
#include "fileutil/FileUtil.h"
#include "methodgen/MethodRecord.h"
#include "methodgen/Stage1QuanMethod.h"
#include "ui/TessalyMessageBox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
// The mass of a proton, added for positive ions and taken away for negative ones.
constexpr double kProton = 1.0079;
// The daughter mass a failed daughter search leaves.
constexpr double kFailedDaughterMass = 49.0;
// Offsets of the four exclusions that keep the daughter search off the parent's own isotope
// cluster: with the search's 0.5 window they cover parent - 1.9 to parent + 1.9.
constexpr double kParentExclusions[] = {-1.4, -0.4, 0.4, 1.4};
// Positions in the adduct set: 0-2 negative-mode adducts, 3-8 positive-mode ones.
constexpr int kFirstPositiveAdduct = 3;

double protonated(double mass, tag_IONMODEOPT polarity)
{
    switch (polarity)
    {
    case IONMODEOPT_POSITIVE:
        return mass + kProton;
    case IONMODEOPT_NEGATIVE:
        return mass - kProton;
    default:
        return mass;
    }
}

// A ramp value as the record's whole number: truncated toward zero, and saturated to the int range
// first, since a method may hold any double and casting one beyond that range is undefined. NaN,
// which no range holds, gives 0.
int wholeValue(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, kMin, kMax));
}

// The ramp value of a 1-based step: start plus step per step, truncated, never beyond the end.
int rampValue(int function, double start, double step, double end)
{
    const double value = (function - 1) * step + start;
    return wholeValue(value > end ? end : value);
}

// The steps of a ramp an optimisation injection can acquire: one function each, eight at most.
int rampSteps(double start, double end, double step)
{
    return std::min(CalcNSteps(start, end, step), analysis::detail::kMaxFunctions);
}

// What both steps do before they search: a temporary stage-1 method for massText selected as the
// host's method, then the host's measurement of the injection's row with it. False when either
// fails (the caller returns 0).
bool measureWithStage1Method(const char* prefix, const CString& massText, const CBrenmoOptions& opts,
                             const CString& templatePath, int steps, const char* sampleList, int row)
{
    const CString database = CreateUniqueName(prefix, "mdb", 1);
    AddToTempFiles(database);
    if (!CreateStage1QuanMethod(database, massText, 1, opts, templatePath, steps))
    {
        TessalyMessageBox(opts, nullptr, "Failed to create temporary quan method", "Tessaly", 0x10);
        return false;
    }
    methodgen::detail::setSystemListValue("METHOD_DB", methodgen::detail::hostForm(database));
    const tag_HXFILE list = methodgen::detail::hostForm(sampleList ? sampleList : "");
    return MeasureSampleList(opts.m_bRunUnattended ? nullptr : opts.m_hParentWnd, &list, row, row) != 0;
}
} // namespace

int GetMaxScanParent(const CString& rawFile, tag_SCAN_PARAMS& params, const CBrenmoOptions& opts,
                     const char* sampleList, int row)
{
    const double base = params.dParentMass;
    char massText[64];
    std::snprintf(massText, sizeof massText, "%.3f", protonated(base, params.IonModeOpt));
    const int steps = rampSteps(opts.m_dConeVoltageMin, opts.m_dConeVoltageMax, opts.m_dConeVoltageStep);
    if (!measureWithStage1Method("TYPQ_", massText, opts, opts.m_strQuanMethodParent, steps, sampleList, row))
        return 0;

    // The parent ion is the base mass plus one of the adducts the polarity allows; with both
    // polarities there is no candidate, and the search fails.
    CArray<double, const double&> candidates;
    const bool positive = params.IonModeOpt == IONMODEOPT_POSITIVE;
    const int first = positive ? kFirstPositiveAdduct : 0;
    const int last = positive ? opts.m_Adducts.m_nAdducts : kFirstPositiveAdduct;
    if (positive || params.IonModeOpt == IONMODEOPT_NEGATIVE)
    {
        for (int i = first; i < last && i < opts.m_Adducts.m_nAdducts; ++i)
            if (opts.m_Adducts.m_ppAdducts[i]->Allowed())
                candidates.Add(base + opts.m_Adducts.m_ppAdducts[i]->Mass());
    }

    tag_SCAN_PARAMS found = params;
    if (GetMaxScan(rawFile, found, opts, candidates, 0, 1))
    {
        params.dParentMass = found.dParentMass;
        params.nMaxFunction = found.nMaxFunction;
        params.nConeVoltage =
            rampValue(found.nMaxFunction, opts.m_dConeVoltageMin, opts.m_dConeVoltageStep, opts.m_dConeVoltageMax);
        params.fResponse = found.fResponse;
    }
    else
    {
        params.nMaxFunction = -1;
        params.nConeVoltage = wholeValue(opts.m_dConeVoltageMin);
        params.fResponse = 0.0f;
    }
    return 1;
}

int GetMaxScanDaughter(const CString& rawFile, tag_SCAN_PARAMS& params, const CBrenmoOptions& opts,
                       const char* sampleList, int row)
{
    const int steps = rampSteps(opts.m_dCollisionEnergyMin, opts.m_dCollisionEnergyMax, opts.m_dCollisionEnergyStep);
    // The daughter method measures the total ion current: the product ions are not known yet.
    if (!measureWithStage1Method("TYDQ_", "TIC", opts, opts.m_strQuanMethodDaughter, steps, sampleList, row))
        return 0;

    const double parent = params.dParentMass;
    CArray<double, const double&> excluded;
    for (const double offset : kParentExclusions)
        excluded.Add(parent + offset);
    for (int i = 0; i < opts.m_Losses.m_nAdducts; ++i)
        if (opts.m_Losses.m_ppAdducts[i]->Allowed())
            excluded.Add(parent - opts.m_Losses.m_ppAdducts[i]->Mass());

    tag_SCAN_PARAMS found = params;
    if (params.nMaxFunction >= 0 && GetMaxScan(rawFile, found, opts, excluded, 1, 1))
    {
        params.nMaxFunction = found.nMaxFunction;
        params.dDaughterMass = found.dParentMass;
        params.nCollisionEnergy = rampValue(found.nMaxFunction, opts.m_dCollisionEnergyMin,
                                            opts.m_dCollisionEnergyStep, opts.m_dCollisionEnergyMax);
        params.fResponse = found.fResponse;
    }
    else
    {
        params.dDaughterMass = kFailedDaughterMass;
        params.nMaxFunction = -1;
        params.nCollisionEnergy = wholeValue(opts.m_dCollisionEnergyMin);
        params.fResponse = 0.0f;
    }
    return 1;
}

int MimicGetMaxScanParent(tag_SCAN_PARAMS& params, const CBrenmoOptions& opts)
{
    params.nMaxFunction = 0;
    params.nConeVoltage = wholeValue(opts.m_dConeVoltageMin);
    params.fResponse = 1.0f;
    return 1;
}

int MimicGetMaxScanDaughter(tag_SCAN_PARAMS& params, const CBrenmoOptions& opts)
{
    // Cut, not rounded, to three decimals; trunc rather than a cast to a whole-number type, which
    // a record's mass beyond that type's range would make undefined.
    const double daughter = protonated(params.dParentMass, params.IonModeOpt);
    params.dDaughterMass = std::trunc(daughter * 1000.0) * 0.001;
    params.nMaxFunction = 0;
    params.nCollisionEnergy = wholeValue(opts.m_dCollisionEnergyMin);
    params.fResponse = 1.0f;
    return 1;
}
