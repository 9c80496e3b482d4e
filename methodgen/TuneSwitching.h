// Switching the instrument's tune for each stage of a run, and putting back the tune that was in
// force before it. The tune in force is the system-list value "TUNE_DB" together with the tune
// loaded on the host instrument that the options record points at.
#pragma once

#include "method/BrenmoOptions.h"
#include "platform/Export.h"

/// Remembers the tune in force (the instrument's tune state and, when a tune is open, "TUNE_DB"),
/// committing the open tune first. Returns 1; 0, remembering nothing, when options has no
/// instrument.
BRENMO_API int SetTuneInitial(const CBrenmoOptions& options);

/// Makes m_strParentTuneFile the tune in force; returns what the instrument's LoadTune returns,
/// or 0, leaving "TUNE_DB" alone, when options has no instrument.
BRENMO_API int SetTuneParent(const CBrenmoOptions& options);

/// Makes m_strDaughterTuneFile the tune in force; results as SetTuneParent.
BRENMO_API int SetTuneDaughter(const CBrenmoOptions& options);

/// Makes m_strAcquisitionTuneFile the tune in force; results as SetTuneParent.
BRENMO_API int SetTuneAcquisition(const CBrenmoOptions& options);

/// Puts back the tune remembered by the last SetTuneInitial: "TUNE_DB" gets the remembered value
/// (empty when no tune was open), and the instrument closes its tune (none was open) or reloads
/// the remembered one unless it is already in force (paths compared without regard to case).
/// Returns the instrument's result, 1 when nothing needed reloading, 0 when options has no
/// instrument.
BRENMO_API int SetTuneOriginal(const CBrenmoOptions& options);

namespace methodgen::detail
{
/// The tune in force at the last SetTuneInitial, kept from load to unload.
struct SavedTune
{
    int state = 0;     // the instrument's GetTuneState; 0 when no tune was open
    tag_HXFILE tuneDb; // host form of "TUNE_DB"; all zero when state is 0
};
/// The library's one saved tune.
SavedTune& savedTune();
} // namespace methodgen::detail
