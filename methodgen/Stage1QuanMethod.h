// The temporary stage-1 quan method of an optimisation injection: one method record per
// acquisition function (cone-voltage or collision-energy step), all measuring the same mass.
#pragma once

#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Export.h"

/// Records written into a stage-1 method at most, and the record count handed to the host when
/// the method is closed (an optimisation injection acquires at most this many functions).
inline constexpr int kStage1MaxFunctions = 8;

/// Writes the quan method database at database (emptied first) with one record per function,
/// functions raised to 1 and cut to 8, numbered from 1: each a copy of the template's record 1
/// (or the host's default record when templatePath is empty or unreadable) named "TEMP",
/// measuring massText (cut to 80 characters) over 0 to m_fStage1QuanValue. Offset 460 keeps
/// the template's non-zero value as 1 only when keepFlag is non-zero. "METHOD_DB" is left
/// selecting the database. Returns 1 when every record was written; 0 when the time span is not
/// above 0 (nothing is touched), the database could not be opened, or a write failed (the
/// records written before it stay).
BRENMO_API int CreateStage1QuanMethod(const CString& database, const CString& massText, int keepFlag,
                                      const CBrenmoOptions& options, const CString& templatePath, int functions);
