// The platform's profile-string functions, which hold INI files such as method files.
// File names are host paths (drive letters, backslashes); see WinPath.h for how they map.
#pragma once

#include "platform/Export.h"
#include "platform/WinTypes.h"

/// Copies the value of key in section of the file into the buffer, cut to size - 1 characters
/// and zero-terminated, and returns the number of characters copied. Section and key names are
/// compared without regard to case; blanks around keys and values are ignored and a value in
/// matching quotes is returned without them. When the file, section or key is missing the
/// default (blanks trimmed; null counts as empty) is copied instead. A null buffer or a size of 0
/// copies nothing and returns 0.
extern "C" PLATFORM_API DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                                        LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);

/// Sets key in section of the file to the value: creates the file and the section when missing,
/// replaces the value where the key stands, or adds the key at the end of its section, and keeps
/// every other line. A null value removes the key; a null key removes the section. The file is
/// replaced atomically, so a crash or a full disk leaves either the old or the new file.
/// Returns non-zero when the file was written.
extern "C" PLATFORM_API BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                                         LPCSTR lpFileName);
