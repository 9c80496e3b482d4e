// The master-method and stage-1 acquisition-file entry points. The host calls them at fixed
// points of a run; the acquisition methods they once made are now made by the host itself, so
// they do nothing and report success.
#pragma once

#include "method/ScanParams.h"
#include "host/host.h"
#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/Export.h"

/// CreateMasterMethodMux when options.IsMuxInterlaced(), else CreateMasterMethodNormal; returns
/// its result (always 1).
BRENMO_API int CreateMasterMethod(const CBrenmoOptions& options, const CSampleListMem* samples, tag_SCAN_PARAMS* params,
                                  CStringArray& methods);
/// Does nothing; returns 1.
BRENMO_API int CreateMasterMethodMux(const CBrenmoOptions& options, const CSampleListMem* samples,
                                     tag_SCAN_PARAMS* params, CStringArray& methods);
/// Does nothing; returns 1.
BRENMO_API int CreateMasterMethodNormal(const CBrenmoOptions& options, const CSampleListMem* samples,
                                        tag_SCAN_PARAMS* params, CStringArray& methods);
/// Does nothing; returns 1.
BRENMO_API int CreateLoopMSFile(CString& file, const CBrenmoOptions& options);
/// Does nothing; returns 1.
BRENMO_API int CreateStage1ParentMSFile(CString& file, const CBrenmoOptions& options, const tag_SCAN_PARAMS& params);
/// Does nothing; returns 1.
BRENMO_API int CreateStage1DaughterMSFile(CString& file, const CBrenmoOptions& options, const tag_SCAN_PARAMS& params);
/// Does nothing; returns 1.
BRENMO_API int CreateStage1MSFile(const CString& file, const CBrenmoOptions& options, const tag_SCAN_PARAMS& params);
/// Does nothing; returns 1.
BRENMO_API int CreateStage1MSMSFile(const CString& file, const CBrenmoOptions& options, const tag_SCAN_PARAMS& params);
