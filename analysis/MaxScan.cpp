#include "analysis/MaxScan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace analysis::detail
{
namespace
{
// Candidates and exclusions match within this distance of a mass, both ends included.
constexpr double kMassWindow = 0.5;

// The host path form of path, all zero when the host cannot convert it.
tag_HXRAWFILE rawForm(const CString& path)
{
    tag_HXRAWFILE form;
    if (!ConvertPathToHxFile(&form, path))
        form = tag_HXRAWFILE();
    return form;
}

// Unlocks what a failed read took: the arrays given (null ones were never locked), the header,
// and the handle.
bool giveBack(DMHANDLE handle, const float* mz, const float* intensity, bool headerLocked)
{
    if (mz)
        DmUnlockData(handle, DM_ARRAY_MASS);
    if (intensity)
        DmUnlockData(handle, DM_ARRAY_INTENSITY);
    if (headerLocked)
        DmUnlockID(handle);
    DmReleaseHandle(handle, 0);
    return false;
}

// Locks the header of handle, reads its points in mode and locks both arrays: the part both
// spectrum readers share. A spectrum with fewer than minPoints points is refused.
bool lockSpectrum(DMHANDLE handle, int minPoints, int mode, LockedSpectrum& spectrum)
{
    const tag_SPECTRUM_HEADER* header = DmLockID(handle);
    if (!header)
        return giveBack(handle, nullptr, nullptr, false);
    const int points = header->PointCount();
    if (points < minPoints)
        return giveBack(handle, nullptr, nullptr, true);
    if (DmGetData(handle, 1, points, mode) != 0)
        return giveBack(handle, nullptr, nullptr, true);
    const float* mz = DmLockData(handle, DM_ARRAY_MASS, 1, points);
    const float* intensity = DmLockData(handle, DM_ARRAY_INTENSITY, 1, points);
    if (!mz || !intensity)
        return giveBack(handle, mz, intensity, true);
    spectrum = LockedSpectrum{mz, intensity, points, handle};
    return true;
}

bool qualifies(double mz, const CArray<double, const double&>& masses, bool exclude, int fragmentMinSize)
{
    const int n = masses.GetSize();
    if (!exclude)
    {
        for (int m = 0; m < n; ++m)
            if (std::fabs(masses[m] - mz) <= kMassWindow)
                return true;
        return false;
    }
    // Written so that a NaN m/z never qualifies.
    if (!(mz >= fragmentMinSize))
        return false;
    for (int m = 0; m < n; ++m)
        if (std::fabs(masses[m] - mz) <= kMassWindow)
            return false;
    return true;
}
} // namespace

bool ReadPeakDatabase(const CString& rawFile, int& functions, tag_PEAK_SCANS (&table)[kMaxFunctions])
{
    functions = 0;
    std::memset(table, 0, sizeof table);
    double areas[kMaxFunctions] = {};
    tag_ACCESSDB_HANDLE database;

    // The database sits beside the raw data: "<raw data's folder>\..\PeakDB\<name>.pdb". A path
    // whose folder has no room for that is not guessed at.
    tag_HXFILE name;
    if (!ConvertPathToHxFile(&name, rawFile) || !name.SetDirectory(name.Directory() + "\\..\\PeakDB") ||
        !name.SetExtension("pdb"))
        return false;

    const int opened = AccessDBOpen(&name, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &database, 0);
    const int count = database.RecordCount();
    if (opened != 0 || count < 1)
    {
        AccessDBClose(&database, 0);
        return false;
    }
    for (int number = 1; number <= count; ++number)
    {
        tag_PEAK_RECORD record;
        if (!AccessDBGetRecord(&database, number, &record))
        {
            AccessDBClose(&database, 0);
            return false;
        }
        // Peaks of records outside the ramp's functions have nowhere to go.
        const int f = record.PeakRecord();
        if (f < 1 || f > kMaxFunctions || !(record.PeakArea() > areas[f - 1]))
            continue;
        areas[f - 1] = record.PeakArea();
        table[f - 1] = tag_PEAK_SCANS{record.StartScan(), record.ApexScan(), record.EndScan(), 0};
        functions = std::max(functions, f);
    }
    AccessDBClose(&database, 0);
    return std::any_of(std::begin(areas), std::end(areas), [](double area) { return area > 0.0; });
}

bool CombinePeakSpectrum(const tag_PEAK_SCANS& peak, const CString& rawFile, const tag_RAW_DATA_ID& id,
                         LockedSpectrum& spectrum)
{
    const int s = peak.nStartScan, a = peak.nApexScan, e = peak.nEndScan, n = peak.nScans;
    // The peak window is centred on the apex; each background window is centred in the stretch of
    // scans on its side of the peak and half as wide. Integer division truncates toward zero.
    const int w = std::max(std::min(a - s, e - a), 1);
    const int b1 = std::max((s - 1) / 2, 1);
    const int b2 = std::max((n - e) / 2, 1);
    tag_COMBINE_PARAMS request;
    request.SetPeakFirstScan(a - (w - 1) / 2);
    request.SetPeakScans(w);
    request.SetBackground1FirstScan((s - b1 - 1) / 2 + 1);
    request.SetBackground1Scans(b1);
    request.SetBackground2FirstScan(e + (n - b2 - e) / 2);
    request.SetBackground2Scans(b2);
    request.set<float>(tag_COMBINE_PARAMS::kFloat24, 1.0f);
    request.set<float>(tag_COMBINE_PARAMS::kFloat32, 1.0f);

    tag_HXRAWFILE form = rawForm(rawFile);
    form.SetFunctionNumber(id.FunctionNumber());
    const DMHANDLE handle = Combine(0, 0, &form, &form, &request, 0);
    // A combined spectrum may be empty; it then simply has no point to search.
    return handle != 0 && lockSpectrum(handle, 0, 0, spectrum);
}

bool ReadApexSpectrum(const tag_RAW_DATA_ID& id, LockedSpectrum& spectrum)
{
    const DMHANDLE handle = DmGetHandle(0, static_cast<int>(tag_RAW_DATA_ID::kSize), &id, 2, 4, 0);
    return handle != 0 && lockSpectrum(handle, 1, 2, spectrum);
}

void releaseSpectrum(const LockedSpectrum& spectrum)
{
    DmUnlockData(spectrum.handle, DM_ARRAY_MASS);
    DmUnlockData(spectrum.handle, DM_ARRAY_INTENSITY);
    DmUnlockID(spectrum.handle);
    DmReleaseHandle(spectrum.handle, 0);
}
} // namespace analysis::detail

int GetMaxScan(const CString& rawFile, tag_SCAN_PARAMS& params, const CBrenmoOptions& opts,
               const CArray<double, const double&>& masses, int bExclude, int bCombine)
{
    using namespace analysis::detail;
    tag_HXRAWFILE form = rawForm(rawFile);
    int functions = 0;
    tag_PEAK_SCANS table[kMaxFunctions];
    if (!ReadPeakDatabase(rawFile, functions, table))
        return 0;

    float bestIntensity = 0.0f, bestMz = 0.0f;
    int bestFunction = 0;
    for (int f = 1; f <= functions; ++f)
    {
        tag_PEAK_SCANS& peak = table[f - 1];
        if (peak.nApexScan <= 0)
            continue;
        form.SetFunctionNumber(static_cast<std::int16_t>(f));
        form.SetScanNumber(peak.nApexScan);
        tag_RAW_DATA_ID id;
        // An identifier the host could not fill names no spectrum to read.
        if (DmRawFileToID(&form, &id) != 0)
            return 0;
        id.SetDataKind(2);
        id.set<std::int16_t>(tag_RAW_DATA_ID::kWord266, 0);
        id.set<std::int32_t>(tag_RAW_DATA_ID::kInt288, 0);
        id.SetScanNumber(peak.nApexScan);
        peak.nScans = DmRawScansInFunction(&form);
        form.SetScanCount(peak.nScans);

        LockedSpectrum spectrum;
        if (!(bCombine ? CombinePeakSpectrum(peak, rawFile, id, spectrum) : ReadApexSpectrum(id, spectrum)))
            return 0;
        // Searched in place in the host's arrays. The mass test runs only for a point that would
        // beat the best so far, so the scan costs little more than finding the largest intensity.
        for (int i = 0; i < spectrum.points; ++i)
        {
            if (spectrum.intensity[i] > bestIntensity &&
                qualifies(spectrum.mz[i], masses, bExclude != 0, opts.m_nFragmentMinSize))
            {
                bestIntensity = spectrum.intensity[i];
                bestMz = spectrum.mz[i];
                bestFunction = f;
            }
        }
        releaseSpectrum(spectrum);
    }
    if (!(bestIntensity > 0.0f) || !(bestMz > 0.0f))
        return 0;
    params.dParentMass = bestMz;
    params.fResponse = bestIntensity;
    params.nMaxFunction = bestFunction;
    return 1;
}
