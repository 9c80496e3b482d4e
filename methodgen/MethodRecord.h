// The template record from which every generated quan method is built, and the method-database
// descriptor through which the engine opens and closes the host's method databases.
#pragma once

#include "host/host.h"
#include "platform/Export.h"

/// Fills record from record 1 of the quan method database at path when useTemplate is non-zero
/// and that record can be read; otherwise from the host's default method record with the
/// engine's seven default adjustments. Returns useTemplate when the record came from the
/// template, else 0; never fails (a null record gives 0 and is not touched).
BRENMO_API int GetTemplateMethRec(int useTemplate, const char* path, tag_METHOD_RECORD* record);

namespace methodgen::detail
{
/// The host form of path; all zero when the host cannot convert it.
tag_HXFILE hostForm(const char* path);

/// A method-database descriptor for the database at path: type 15, its host-form name, the
/// template flag and the record count set as given, every other byte zero.
tag_METHOD_DB_DESCRIPTOR descriptorFor(const char* path, int templateFlag, int recordCount);

/// Sets a system-list value of section "SystemList" (flag 1, as the host stores paths).
void setSystemListValue(const char* key, const tag_HXFILE& value);
} // namespace methodgen::detail
