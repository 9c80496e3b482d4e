// File utilities of the engine: existence tests, unique file and acquisition names, the registries
// of temporary files and directories made during an optimisation run, and wildcard deletion.
// Every file-system access goes through the host's libraries (host/host.h).
#pragma once

#include "platform/CString.h"
#include "platform/Export.h"

/// 1 when path names a file that opens for reading without sharing; 0 otherwise, also when another
/// caller holds the file open.
BRENMO_API int FileExists(const CString& path);

/// 1 when path names an existing directory or file, including one that is in use or that the
/// user may not read (the host reports those as refused rather than missing); 0 otherwise.
BRENMO_API int DirectoryExists(const CString& path);

/// Clears trailing blanks and control characters of path, then removes one final backslash or
/// slash; 1 when a slash was removed. The first character is never touched, so a path of one
/// character, or one that is blank after its first character, gives 0.
BRENMO_API int RemoveTrailingSlash(char* path);

/// Reserves and returns the first free name "dir\prefixNNN.extension" for NNN from start to 999 by
/// creating the empty file. The extension is cleaned of everything up to its last separator
/// (".mdb" gives "mdb"). The empty text when start is outside 1..999, every name is taken, the
/// name does not fit 259 characters or the file cannot be created. The result is valid until the
/// next call of this function or of CreateUniqueName.
BRENMO_API const char* CreateUniqueNameInDir(const char* dir, const CString& prefix, CString extension, int start);

/// CreateUniqueNameInDir in the host's temporary directory.
BRENMO_API const char* CreateUniqueName(const CString& prefix, const CString& extension, int start);

/// The first name "dir\prefixNNNL.RAW" (NNN is start, L a letter from A to Y) for which the host
/// finds no directory; nothing is created. The empty text when start is outside 1..999, all 25
/// names exist or the name does not fit 259 characters. Valid until the next call.
BRENMO_API const char* CreateAcqFileName(const CString& prefix, const CString& dir, int start);

/// Registers a temporary file for DeleteTempFiles; 1 when registered. A path may be registered
/// more than once.
BRENMO_API int AddToTempFiles(const CString& path);

/// Registers a temporary directory for DeleteTempDirs; 0 when a path equal to it without regard to
/// case is registered already, else 1.
BRENMO_API int AddToTempDirs(const CString& path);

/// Deletes every registered temporary file together with all files of the same base name (a
/// ".PRO" extension excepted), then empties the registry; 1 when every deletion found its files.
BRENMO_API int DeleteTempFiles();

/// Erases every registered temporary directory with the host's raw-file library, then empties the
/// registry; 1 when every erase succeeded.
BRENMO_API int DeleteTempDirs();

/// Deletes every file matching pattern (wildcards * and ? in the file name); 0 when nothing
/// matched, else 1, whether or not each deletion succeeded.
BRENMO_API int DeleteWithWilds(const CString& pattern);

/// The text after the last full stop of path: a file's type as its extension tells it. Empty when
/// path has no full stop or the extension begins with "PRO" (a project directory, whatever the
/// case).
CString GetDefaultExtension(const CString& path);
