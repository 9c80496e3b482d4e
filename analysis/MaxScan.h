// The maximum-response search: over the acquisition functions (ramp steps) of an optimisation
// injection, the one spectrum point of greatest intensity that qualifies, taken from the
// background-subtracted spectrum across each function's chromatographic peak (or its apex scan).
#pragma once

#include "method/ScanParams.h"
#include "host/host.h"
#include "method/BrenmoOptions.h"
#include "platform/Collections.h"
#include "platform/CString.h"
#include "platform/Export.h"

/// Where the chosen chromatographic peak of one function lies; nApexScan 0 means no peak.
struct tag_PEAK_SCANS
{
    int nStartScan;
    int nApexScan;
    int nEndScan;
    int nScans; // scans in the function, filled by the search
};

/// Searches the functions of rawFile's optimisation injection for the most intense qualifying
/// point. With bExclude 0 a point qualifies within 0.5 of one of masses; otherwise at or above
/// opts.m_nFragmentMinSize and more than 0.5 from every one of masses. bCombine non-zero takes
/// each function's background-subtracted spectrum across its peak, 0 its apex scan. Returns 1
/// with params' dParentMass, fResponse and nMaxFunction set to the point's m/z, intensity and
/// function; 0, params untouched, when the peak database or a spectrum cannot be read or no
/// point qualifies. Ties go to the lower function, then to the earlier point.
BRENMO_API int GetMaxScan(const CString& rawFile, tag_SCAN_PARAMS& params, const CBrenmoOptions& opts,
                          const CArray<double, const double&>& masses, int bExclude, int bCombine);

namespace analysis::detail
{
/// Functions 1 to 8 of an optimisation injection.
inline constexpr int kMaxFunctions = 8;

/// A spectrum the host lent: its two locked arrays, point count and handle.
struct LockedSpectrum
{
    const float* mz = nullptr;
    const float* intensity = nullptr;
    int points = 0;
    DMHANDLE handle = 0;
};

/// Fills table (index 0 is function 1) with each function's largest-area peak from the peak
/// database beside rawFile, and functions with the highest function that has one. False when
/// the database cannot be opened, is empty or has an unreadable record, or no function has a
/// peak of positive area.
bool ReadPeakDatabase(const CString& rawFile, int& functions, tag_PEAK_SCANS (&table)[kMaxFunctions]);

/// The background-subtracted combination of the scans across peak, in the function id names.
/// False, having given back everything it took, when the host cannot provide it.
bool CombinePeakSpectrum(const tag_PEAK_SCANS& peak, const CString& rawFile, const tag_RAW_DATA_ID& id,
                         LockedSpectrum& spectrum);

/// The spectrum of the scan id names. False, having given back everything it took, when the host
/// cannot provide it or it has no points.
bool ReadApexSpectrum(const tag_RAW_DATA_ID& id, LockedSpectrum& spectrum);

/// Unlocks both arrays and the header and releases the handle.
void releaseSpectrum(const LockedSpectrum& spectrum);
} // namespace analysis::detail
