// File utilities: existence tests, unique names, the temporary registries and wildcard deletion.
// The registries and the name buffers are library-wide: they live from load to unload and are
// meant for the host's one user-interface thread.
#include "fileutil/FileUtil.h"

#include "host/host.h"
#include "platform/Collections.h"
#include "platform/LastError.h"
#include "platform/SplitPath.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{
// The registries of one optimisation run: temporary files in the order registered (repeats
// allowed), temporary directories without case-blind duplicates.
CStringList tempFiles(10);
CStringList tempDirs(10);

// The name functions hand out pointers into these, valid until the next call of the same function.
char tempPathBuffer[MAX_PATH];
char uniqueNameBuffer[MAX_PATH];
char acqNameBuffer[MAX_PATH];

// The host's raw-file erase takes a path in a buffer of this size.
constexpr int kEraseBufferSize = 1024;

// Separators that may stand before an extension: everything up to the last of them is dropped.
constexpr const char* kExtensionSeparators = " .,:'\"\t";

// The host flag that asks for an audit entry of the access.
constexpr int kAudit = 1;

// Share modes as the host's CreateFileS takes them.
constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Formats into a MAX_PATH buffer; false, leaving the empty text, when the result would not fit,
// so a name is never cut into a different, shorter name.
bool formatName(char (&buffer)[MAX_PATH], const char* format, ...) __attribute__((format(printf, 2, 3)));
bool formatName(char (&buffer)[MAX_PATH], const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0 || length >= MAX_PATH)
    {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

// Index just past the last separator of path (either slash), 0 when there is none.
int fileNameStart(const CString& path)
{
    return std::max(path.ReverseFind('\\'), path.ReverseFind('/')) + 1;
}

// True when name can only be one entry of a directory: no separator, not "." or "..".
bool isPlainName(const char* name)
{
    return std::strpbrk(name, "\\/") == nullptr && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// True when the extension (text after a full stop) marks a project directory: those are kept
// whole, never widened to a wildcard or taken as a file type.
bool isProjectExtension(const CString& extension)
{
    return extension.Left(3).CompareNoCase("PRO") == 0;
}
} // namespace

int FileExists(const CString& path)
{
    // No sharing: a file that anyone else holds open counts as absent, which is what the callers
    // want before they take the name for a file of their own.
    const HANDLE handle =
        CFileAccess::CreateFileS(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr, kAudit);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    CFileAccess::CloseHandleS(handle);
    return 1;
}

int DirectoryExists(const CString& path)
{
    // Backup semantics let the host open a directory as well as a file.
    const HANDLE handle = CFileAccess::CreateFileS(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr, kAudit);
    if (handle != INVALID_HANDLE_VALUE)
    {
        CFileAccess::CloseHandleS(handle);
        return 1;
    }
    // These errors say that something is there but may not be opened now or by this user.
    switch (GetLastError())
    {
    case ERROR_ALREADY_EXISTS:
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_FILE_EXISTS:
        return 1;
    default:
        return 0;
    }
}

int RemoveTrailingSlash(char* path)
{
    if (!path)
        return 0;
    int i = static_cast<int>(std::strlen(path)) - 1;
    if (i < 1)
        return 0;
    // The first character is never examined, so a lone "\" (a root) survives.
    while (!std::isgraph(static_cast<unsigned char>(path[i])))
    {
        path[i] = '\0';
        if (--i == 0)
            return 0;
    }
    if (path[i] == '\\' || path[i] == '/')
    {
        path[i] = '\0';
        return 1;
    }
    return 0;
}

const char* CreateUniqueNameInDir(const char* dir, const CString& prefix, CString extension, int start)
{
    uniqueNameBuffer[0] = '\0';
    if (!dir || start < 1 || start >= 1000)
        return uniqueNameBuffer;
    while (extension.FindOneOf(kExtensionSeparators) >= 0)
        extension = extension.Mid(1);

    for (int n = start; n <= 999; ++n)
    {
        if (!formatName(uniqueNameBuffer, "%s\\%s%03d.%s", dir, prefix.GetString(), n, extension.GetString()))
            return uniqueNameBuffer;
        if (FileExists(uniqueNameBuffer))
            continue;
        // Reserve the name by creating it. Create-new, never create-always: FileExists also says 0
        // for a file that someone holds open, and such a file must not be emptied. A name that
        // turns out to be taken (held open, or made since the test) sends us on to the next one.
        const HANDLE handle = CFileAccess::CreateFileS(uniqueNameBuffer, GENERIC_READ | GENERIC_WRITE, kShareReadWrite,
                                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr, kAudit);
        if (handle != INVALID_HANDLE_VALUE)
        {
            CFileAccess::CloseHandleS(handle);
            return uniqueNameBuffer;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    uniqueNameBuffer[0] = '\0';
    return uniqueNameBuffer;
}

const char* CreateUniqueName(const CString& prefix, const CString& extension, int start)
{
    const DWORD length = CFileAccess::GetTempPathSA(MAX_PATH, tempPathBuffer);
    // 0 is failure; a length that does not fit is the size the host would need.
    if (length == 0 || length >= static_cast<DWORD>(MAX_PATH))
    {
        tempPathBuffer[0] = '\0';
        uniqueNameBuffer[0] = '\0';
        return uniqueNameBuffer;
    }
    RemoveTrailingSlash(tempPathBuffer);
    return CreateUniqueNameInDir(tempPathBuffer, prefix, extension, start);
}

const char* CreateAcqFileName(const CString& prefix, const CString& dir, int start)
{
    acqNameBuffer[0] = '\0';
    if (start < 1 || start >= 1000)
        return acqNameBuffer;
    // 'Z' is left out: 25 acquisitions per number.
    for (char letter = 'A'; letter <= 'Y'; ++letter)
    {
        if (!formatName(acqNameBuffer, "%s\\%s%03d%c.%s", dir.GetString(), prefix.GetString(), start, letter, "RAW"))
            return acqNameBuffer;
        // The host utility's test (the const char* overload), not this library's CString one.
        if (!::DirectoryExists(static_cast<const char*>(acqNameBuffer)))
            return acqNameBuffer;
    }
    acqNameBuffer[0] = '\0';
    return acqNameBuffer;
}

int AddToTempFiles(const CString& path)
{
    tempFiles.AddTail(path);
    return 1;
}

int AddToTempDirs(const CString& path)
{
    for (POSITION pos = tempDirs.GetHeadPosition(); pos;)
    {
        if (tempDirs.GetNext(pos).CompareNoCase(path) == 0)
            return 0;
    }
    tempDirs.AddTail(path);
    return 1;
}

int DeleteWithWilds(const CString& pattern)
{
    // The drive and directory are put back in front of every name found; a pattern too long for
    // the split's buffers would come back as a different directory, so it is refused.
    if (pattern.GetLength() >= MAX_PATH)
        return 0;
    char drive[_MAX_DRIVE] = "";
    char directory[_MAX_DIR] = "";
    _splitpath(pattern, drive, directory, nullptr, nullptr);
    const CString prefix = CString(drive) + directory;
    if (prefix != pattern.Left(fileNameStart(pattern)))
        return 0;

    WIN32_FIND_DATAA found{};
    const HANDLE search = CFileAccess::FindFirstFileSA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        char path[MAX_PATH];
        found.cFileName[MAX_PATH - 1] = '\0';
        // Only a name that stays one component of the pattern's directory is deleted: a separator
        // or a bare "." or ".." in it would send the delete somewhere else. A name that would not
        // fit is skipped rather than cut into another file's name.
        if (isPlainName(found.cFileName) && formatName(path, "%s%s%s", drive, directory, found.cFileName))
            CFileAccess::DeleteFileS(path);
    } while (CFileAccess::FindNextFileSA(search, &found));
    CFileAccess::FindCloseS(search);
    return 1;
}

int DeleteTempFiles()
{
    int result = 1;
    for (POSITION pos = tempFiles.GetHeadPosition(); pos;)
    {
        CString path = tempFiles.GetNext(pos);
        // Widen "name.ext" to "name.*" so the files the host made beside it (same base name) go too.
        // Only the file name is looked at, so a full stop in a directory name never widens it.
        const int nameStart = fileNameStart(path);
        const int dot = path.ReverseFind('.');
        if (dot >= nameStart && !isProjectExtension(path.Mid(dot + 1)))
            path = path.Left(dot) + ".*";
        if (!DeleteWithWilds(path))
            result = 0;
    }
    tempFiles.RemoveAll();
    return result;
}

int DeleteTempDirs()
{
    RefreshSystemList();
    int result = 1;
    for (POSITION pos = tempDirs.GetHeadPosition(); pos;)
    {
        const CString& path = tempDirs.GetNext(pos);
        if (path.GetLength() >= kEraseBufferSize)
        {
            result = 0;
            continue;
        }
        char buffer[kEraseBufferSize];
        std::memcpy(buffer, path.GetString(), static_cast<std::size_t>(path.GetLength()) + 1);
        if (RawFileErase(buffer) != 0)
            result = 0;
    }
    tempDirs.RemoveAll();
    return result;
}

CString GetDefaultExtension(const CString& path)
{
    const int dot = path.ReverseFind('.');
    if (dot < 0)
        return CString();
    const CString extension = path.Mid(dot + 1);
    return isProjectExtension(extension) ? CString() : extension;
}
