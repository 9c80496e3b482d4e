// The parent and daughter optimisation of one compound: each has the host quantify the
// optimisation injection with a temporary stage-1 quan method, so the peak database locates the
// compound in every ramp step, then runs the maximum-response search. The simulated variants fill
// the same fields without data.
#pragma once

#include "method/ScanParams.h"
#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Export.h"

/// The parent step: ramps the cone voltage. Returns 0 when the temporary quan method could not be
/// made (a message says so unless the run is unattended) or the host's measurement of row of
/// sampleList failed, params untouched; otherwise 1, with params holding the parent m/z, the ramp
/// step and cone voltage of the greatest response and that response, or the failure values
/// (nMaxFunction -1, the ramp's first cone voltage, response 0, the base mass kept).
BRENMO_API int GetMaxScanParent(const CString& rawFile, tag_SCAN_PARAMS& params, const CBrenmoOptions& opts,
                                const char* sampleList, int row);

/// The daughter step, after the parent step on the same record: ramps the collision energy and
/// finds the most intense product ion more than 1.9 from the parent m/z and away from the parent
/// minus each flagged loss. Results as GetMaxScanParent; the failure values are daughter mass
/// 49.0, nMaxFunction -1, the ramp's first collision energy and response 0. A record whose parent
/// step failed is measured but not searched.
BRENMO_API int GetMaxScanDaughter(const CString& rawFile, tag_SCAN_PARAMS& params, const CBrenmoOptions& opts,
                                  const char* sampleList, int row);

/// The simulated parent step: function 0, the ramp's first cone voltage, response 1.0. Returns 1.
BRENMO_API int MimicGetMaxScanParent(tag_SCAN_PARAMS& params, const CBrenmoOptions& opts);

/// The simulated daughter step: the protonated (or deprotonated) parent mass cut to three
/// decimals as daughter, function 0, the ramp's first collision energy, response 1.0. Returns 1.
BRENMO_API int MimicGetMaxScanDaughter(tag_SCAN_PARAMS& params, const CBrenmoOptions& opts);
