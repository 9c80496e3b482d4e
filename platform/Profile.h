// The platform's profile-string functions, which hold INI files such as method files.
// File names are host paths (drive letters, backslashes); see WinPath.h for how they map.
#pragma once

#include "platform/Export.h"
#include "platform/WinTypes.h"

/// Copies the value of key in section of the file into the buffer, cut to size - 1 characters
/// and zero-terminated, and returns the number of characters copied. Lines end at CR LF, LF or a
/// lone CR. Section and key names are
/// compared without regard to case and without their surrounding blanks; of duplicated sections
/// and keys the first counts; blanks around values are ignored and a value in matching quotes
/// (double or single) is returned without them. When the file, section or key is missing the
/// default (trailing spaces removed; null counts as empty) is copied instead. A null section
/// copies the names of all sections, a null key those of all keys of the section (none when it is
/// missing), each zero-terminated with one more zero at the end; when they do not fit, the list
/// is cut, ends in two zeros and size - 2 is returned. A null buffer or a size of 0 copies nothing
/// and returns 0. Files over 16 MiB, directories and unreadable files count as missing.
extern "C" PLATFORM_API DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                                       LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);

/// Sets key in section of the file to the value: creates the file and the section when missing,
/// replaces the value where the key stands, or adds the key after the last key of its section,
/// and keeps every other line byte for byte. A null value removes the key; a null key removes the
/// section. The file is replaced atomically, so a crash or a full disk leaves either the old or
/// the new file; a file the caller may not write is left as it is. A file it creates gets CR LF
/// line ends; an existing file keeps the line end of its first line for the lines added. Returns
/// non-zero when the file was written or already held the value; 0 when writing failed (last
/// error ERROR_ACCESS_DENIED when the caller may not write the file, ERROR_PATH_NOT_FOUND when
/// its folder is missing), when the file is over 16 MiB or unreadable, and when a name or the
/// value would not read back: a line break anywhere, ']' in the section name, '=' in the key, or a key that
/// starts with '[' or ';'. A null section with a null key and value (the platform's request to
/// flush its cache) does nothing and returns non-zero.
extern "C" PLATFORM_API BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                                        LPCSTR lpFileName);

namespace platform
{
/// A run of profile reads that form one logical read, such as all the keys of one method. While
/// a batch lives on the calling thread, each file name is resolved and checked against the disk
/// once, at its first read, and later reads of the same name use that parse; so many keys cost
/// one check instead of one each. A write through the profile functions ends the batch's trust in
/// what it has seen. Batches nest; the outermost one decides.
class PLATFORM_API ProfileReadBatch
{
  public:
    ProfileReadBatch();
    ~ProfileReadBatch();
    ProfileReadBatch(const ProfileReadBatch&) = delete;
    ProfileReadBatch& operator=(const ProfileReadBatch&) = delete;
};

/// A run of profile writes that form one logical write, such as all the keys of one method.
/// While a batch lives on the calling thread, writes change the file's text in memory only (reads
/// on this thread see them) and the outermost batch writes each file once, atomically, when it
/// commits or ends. Each write's result then only says that the write was valid; commit() tells
/// whether the files were written.
class PLATFORM_API ProfileWriteBatch
{
  public:
    ProfileWriteBatch();
    /// Commits what is still held.
    ~ProfileWriteBatch();
    ProfileWriteBatch(const ProfileWriteBatch&) = delete;
    ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;

    /// Writes every file the batch holds; true when all were written (also when none were held).
    /// In a nested batch it writes nothing and reports the failures seen so far.
    bool commit();
};
} // namespace platform
