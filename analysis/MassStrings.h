// Compound masses from the host's compound-list texts, the check of a mass against the
// instrument's range, and the scan-timing constants the host reads. The length of a ramp
// (CalcNSteps) comes with it for the callers that have always found it here.
#pragma once

#include "method/ScanParams.h"
#include "method/BrenmoOptions.h"
#include "method/RampSteps.h"
#include "platform/CString.h"
#include "platform/Export.h"

/// Shortest scan the host may set up, in seconds. Read by the host only.
BRENMO_API extern const float fTessalyMinScanTime;
/// Pause the host leaves between two scans, in seconds. Read by the host only.
BRENMO_API extern const float fTessalyInterScanTime;

/// The mass of a compound from its mass text: the text's leading decimal number (as atof reads
/// it) when that is not 0; otherwise the text taken as an elemental formula, whose most abundant
/// isotopic peak the host's isotope model gives (the first of equal maxima). Returns 0.0 when there
/// is no mass: a formula the model refuses or longer than 255 characters (refused, never cut), an
/// empty cluster list, or a number that is not finite ("1e999").
BRENMO_API double ConvertStringToMass(const CString& text);

/// 1 when params.dParentMass lies from 54.0 to the instrument's mass limit less 50, both bounds
/// included. Otherwise shows the range, opts.m_strCompoundList, the mass and params.nLine in a
/// stop message (TessalyMessageBox, caption "Tessaly") and returns 0. Without an instrument in
/// opts there is no usable range: every mass is refused, with an upper bound of -50.0.
BRENMO_API int CheckScanMasses(const CBrenmoOptions& opts, const tag_SCAN_PARAMS& params);
