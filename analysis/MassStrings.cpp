#include "analysis/MassStrings.h"

#include "host/host.h"
#include "ui/TessalyMessageBox.h"

#include <cmath>
#include <cstdlib>

const float fTessalyMinScanTime = 0.02f;
const float fTessalyInterScanTime = 0.02f;

namespace
{
// The lightest parent mass the searches can work with, and how far below the instrument's mass
// limit the heaviest one must stay so that its adducts and isotopes still fit the scan.
constexpr double kLowestMass = 54.0;
constexpr double kMarginBelowLimit = 50.0;

// The fixed values of the isotope model's request: intensity scales, one charge, the resolution at
// which isotopologues merge into one peak, the model's output kind, and its peak shape.
constexpr float kRequestScale = 1.0f;
constexpr int kRequestCharge = 1;
constexpr float kRequestResolution = 0.5f;
constexpr int kRequestOutputKind = 2;
constexpr const char* kPeakShapeName = "gaussian";
constexpr const char* kPeakShapeExtension = "psf";
constexpr int kRequestMode = 2;
constexpr int kRequestPoints = 128000;

// The mass of the most abundant isotopic peak of formula through the host's isotope model; 0.0
// when the model builds no list or no cluster has a positive abundance.
double formulaMass(const CString& formula)
{
    // The request's formula field holds 255 characters; a longer formula would be another
    // compound if cut, so it has no mass.
    if (formula.GetLength() >= static_cast<int>(tag_ISOTOPE_REQUEST::kFormulaWidth))
        return 0.0;

    tag_ISOTOPE_REQUEST request;
    request.set<float>(tag_ISOTOPE_REQUEST::kFloat0, kRequestScale);
    request.set<float>(tag_ISOTOPE_REQUEST::kFloat4, kRequestScale);
    request.set<std::int32_t>(tag_ISOTOPE_REQUEST::kInt8, kRequestCharge);
    request.set<float>(tag_ISOTOPE_REQUEST::kFloat24, kRequestResolution);
    request.SetFormula(formula.GetString());
    request.set<std::int32_t>(tag_ISOTOPE_REQUEST::kInt288, kRequestOutputKind);
    // The host writes the directory into a buffer of the field's own size, terminated here again
    // so that a host that forgets the terminator cannot make the copy read past it.
    char directory[tag_HXFILE::kDirectoryWidth] = {};
    GetSystemListPath(directory);
    directory[sizeof directory - 1] = '\0';
    request.setText(tag_ISOTOPE_REQUEST::kShapeDirectory, tag_HXFILE::kDirectoryWidth, directory);
    request.setText(tag_ISOTOPE_REQUEST::kShapeName, tag_HXFILE::kFileNameWidth, kPeakShapeName);
    request.setText(tag_ISOTOPE_REQUEST::kShapeExtension, tag_HXFILE::kExtensionWidth, kPeakShapeExtension);
    request.set<std::int32_t>(tag_ISOTOPE_REQUEST::kInt1488, kRequestMode);
    request.set<std::int32_t>(tag_ISOTOPE_REQUEST::kInt1492, kRequestPoints);

    tag_ORDERED_CLUST clusters;
    if (CalcIsotopeModel(0, &request, &clusters) != 0)
        return 0.0;

    double mass = 0.0;
    double abundance = 0.0;
    for (int i = 0; i < clusters.Count(); ++i)
    {
        // Strictly greater: of equal maxima the first listed wins.
        if (clusters.pClusters[i].Abundance() > abundance)
        {
            abundance = clusters.pClusters[i].Abundance();
            mass = clusters.pClusters[i].Mass();
        }
    }
    cfree_ordered_clust(&clusters);
    // A model that hands back a mass no compound has gives no mass rather than a wrong one.
    return std::isfinite(mass) && mass > 0.0 ? mass : 0.0;
}
} // namespace

double ConvertStringToMass(const CString& text)
{
    try
    {
        const double value = std::atof(text.GetString());
        if (value != 0.0)
            return std::isfinite(value) ? value : 0.0;
        return formulaMass(text);
    }
    catch (...)
    {
        return 0.0;
    }
}

int CheckScanMasses(const CBrenmoOptions& opts, const tag_SCAN_PARAMS& params)
{
    try
    {
        const int limit = opts.m_pInstrument ? opts.m_pInstrument->GetMassLimit() : 0;
        const double upper = static_cast<double>(limit) - kMarginBelowLimit;
        if (params.dParentMass >= kLowestMass && params.dParentMass <= upper)
            return 1;
        CString message;
        message.Format("Invalid Mass specified.\nMust be in range %.1f to %.1f.\nFile:\t%s\nMass:\t%.1f\nLine:\t%d",
                       kLowestMass, upper, opts.m_strCompoundList.GetString(), params.dParentMass + 0.05,
                       params.nLine);
        TessalyMessageBox(opts, nullptr, message, "Tessaly", MB_ICONSTOP);
        return 0;
    }
    catch (...)
    {
        return 0;
    }
}
