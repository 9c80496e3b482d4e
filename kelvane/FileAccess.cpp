// The stand-in's secure file-access library, the utility library's directory test, the raw-file
// library's erase and the system-list refresh, on the real file system through the host-path
// mapping. Handles carry the platform's share modes: a process-wide table enforces them between
// handles of this process, and an advisory lock (flock) makes an exclusive open seen by other
// processes that use the stand-in.
#include "kelvane/KelvaneHost.h"
#include "platform/Ascii.h"
#include "platform/LastError.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvane
{
namespace detail
{
namespace
{
constexpr DWORD kTruncateExisting = 5;
constexpr DWORD kAttributeReadOnly = 0x1;
constexpr DWORD kAttributeArchive = 0x20;
constexpr DWORD kGenericAll = 0x10000000;
// Seconds from the platform's file-time epoch (1601-01-01) to the POSIX epoch.
constexpr std::int64_t kEpochDifference = 11644473600LL;
// Deepest directory nesting RawFileErase descends into; deeper trees are refused, not recursed.
constexpr int kMaxEraseDepth = 256;

struct OpenFile
{
    int fd;
    dev_t device;
    ino_t inode;
    DWORD access;
    DWORD share;
};

struct Search
{
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
};

// Every handle of the process, files and searches alike; handle values are never reused while
// the process lives, so a stale handle can never reach another file.
struct HandleTable
{
    std::mutex mutex;
    std::uintptr_t nextHandle = 0x100;
    std::map<std::uintptr_t, OpenFile> files;
    std::map<std::uintptr_t, Search> searches;

    HANDLE add()
    {
        return reinterpret_cast<HANDLE>(nextHandle++);
    }
};

HandleTable& handles()
{
    static HandleTable table;
    return table;
}

std::uintptr_t key(HANDLE handle)
{
    return reinterpret_cast<std::uintptr_t>(handle);
}

bool reads(DWORD access)
{
    return (access & (static_cast<DWORD>(GENERIC_READ) | kGenericAll)) != 0;
}

bool writes(DWORD access)
{
    return (access & (static_cast<DWORD>(GENERIC_WRITE) | kGenericAll)) != 0;
}

// True when an open with access and share may not coexist with the open file, as the platform
// decides it: each side must share what the other one uses.
bool conflicts(const OpenFile& open, DWORD access, DWORD share)
{
    return (reads(access) && !(open.share & FILE_SHARE_READ)) || (writes(access) && !(open.share & FILE_SHARE_WRITE)) ||
           (reads(open.access) && !(share & FILE_SHARE_READ)) || (writes(open.access) && !(share & FILE_SHARE_WRITE));
}

std::string parentOf(const std::string& posix)
{
    const std::size_t slash = posix.find_last_of('/', posix.size() > 1 ? posix.size() - 2 : 0);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : posix.substr(0, slash);
}

bool isDirectory(const std::string& posix)
{
    struct stat status;
    return stat(posix.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The platform's error number for a failed POSIX call on posix.
DWORD errorFor(int error, const std::string& posix)
{
    switch (error)
    {
    case ENOENT:
        return isDirectory(parentOf(posix)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ELOOP: // a symbolic link where a file is to be written
    case EROFS:
    case ETXTBSY:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    default:
        return ERROR_GEN_FAILURE;
    }
}

template <class R> R fail(DWORD error, R result)
{
    SetLastError(error);
    return result;
}

// Matches name against pattern (* any run, ? any one character) without regard to case.
bool wildMatch(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size())
    {
        if (p < pattern.size() && pattern[p] == '*')
        {
            starP = p++;
            starN = n;
        }
        else if (p < pattern.size() &&
                 (pattern[p] == '?' || platform::detail::foldCase(pattern[p]) == platform::detail::foldCase(name[n])))
        {
            ++p;
            ++n;
        }
        else if (starP != std::string_view::npos)
        {
            p = starP + 1;
            n = ++starN;
        }
        else
            return false;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The platform lets "name.*" match "name" too: the extension may be missing altogether.
bool matches(std::string_view pattern, std::string_view name)
{
    if (wildMatch(pattern, name))
        return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == std::string_view(".*") &&
           wildMatch(pattern.substr(0, pattern.size() - 2), name);
}

FILETIME fileTime(const struct timespec& time)
{
    const std::uint64_t ticks = static_cast<std::uint64_t>((time.tv_sec + kEpochDifference) * 10000000LL) +
                                static_cast<std::uint64_t>(time.tv_nsec / 100);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

WIN32_FIND_DATAA findData(const std::string& name, const struct stat& status)
{
    WIN32_FIND_DATAA data{};
    if (S_ISDIR(status.st_mode))
        data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    else
        data.dwFileAttributes = kAttributeArchive;
    if (!(status.st_mode & S_IWUSR))
        data.dwFileAttributes |= kAttributeReadOnly;
    data.ftCreationTime = fileTime(status.st_mtim);
    data.ftLastAccessTime = fileTime(status.st_atim);
    data.ftLastWriteTime = fileTime(status.st_mtim);
    const auto size = static_cast<std::uint64_t>(S_ISDIR(status.st_mode) ? 0 : status.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
    return data;
}

// Empties the directory open at fd without following a symbolic link or leaving its file system.
bool removeContents(int fd, dev_t device, int depth)
{
    if (depth > kMaxEraseDepth)
        return false;
    const int listFd = dup(fd);
    if (listFd < 0)
        return false;
    DIR* directory = fdopendir(listFd);
    if (!directory)
    {
        close(listFd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory))
    {
        const std::string_view name = entry->d_name;
        if (name != std::string_view(".") && name != std::string_view(".."))
            names.emplace_back(name);
    }
    closedir(directory);

    bool ok = true;
    for (const std::string& name : names)
    {
        struct stat status;
        if (fstatat(fd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        {
            ok = false;
            continue;
        }
        if (!S_ISDIR(status.st_mode))
        {
            ok = unlinkat(fd, name.c_str(), 0) == 0 && ok;
            continue;
        }
        // A directory of another file system is a mount point: never erased into.
        if (status.st_dev != device)
        {
            ok = false;
            continue;
        }
        const int sub = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0)
        {
            ok = false;
            continue;
        }
        const bool emptied = removeContents(sub, device, depth + 1);
        close(sub);
        ok = emptied && unlinkat(fd, name.c_str(), AT_REMOVEDIR) == 0 && ok;
    }
    return ok;
}

// The components of a host path between separators (the drive, if any, included as the first).
std::vector<std::string_view> components(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i)
    {
        if (i == path.size() || path[i] == '\\' || path[i] == '/')
        {
            parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// "C:" and the like: a drive and nothing else.
bool isDrive(std::string_view part)
{
    return part.size() == 2 && platform::detail::hasDriveLetter(part);
}

bool endsWithRaw(std::string_view name)
{
    constexpr std::string_view kRaw = ".raw";
    if (name.size() <= kRaw.size())
        return false;
    return platform::detail::equalsNoCase(name.substr(name.size() - kRaw.size()), kRaw);
}
} // namespace
} // namespace detail

HANDLE KelvaneHost::CreateFileS(const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                                DWORD flagsAndAttributes, HANDLE, int)
{
    using namespace detail;
    if (disposition < CREATE_NEW || disposition > kTruncateExisting)
        return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    const std::string posix = platform::toPosixPath(path ? path : "");
    if (posix.empty())
        return fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);

    struct stat before;
    const bool existed = stat(posix.c_str(), &before) == 0;
    if (!existed && errno != ENOENT)
        return fail(errorFor(errno, posix), INVALID_HANDLE_VALUE);

    int flags = O_CLOEXEC;
    if (reads(access) && writes(access))
        flags |= O_RDWR;
    else if (writes(access))
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;

    if (existed)
    {
        if (disposition == CREATE_NEW)
            return fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
        if (S_ISDIR(before.st_mode))
        {
            // The platform opens a directory only for backup semantics, and never to write it.
            if (!(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || writes(access) || disposition == CREATE_ALWAYS ||
                disposition == kTruncateExisting)
                return fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
            flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
        }
        else if (disposition == kTruncateExisting && !writes(access))
            return fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }
    else if (disposition == OPEN_EXISTING || disposition == kTruncateExisting)
        return fail(errorFor(ENOENT, posix), INVALID_HANDLE_VALUE);
    else
        flags |= O_CREAT | (disposition == CREATE_NEW ? O_EXCL : 0);

    // A file opened to be written, or made, is never reached through a symbolic link planted
    // under its name: the write would land wherever the link points.
    if (writes(access) || (flags & O_CREAT))
        flags |= O_NOFOLLOW;
    const mode_t mode = (flagsAndAttributes & kAttributeReadOnly) ? 0444 : 0666;
    std::lock_guard<std::mutex> lock(handles().mutex);
    const int fd = open(posix.c_str(), flags | O_NONBLOCK, mode);
    if (fd < 0)
        return fail(errorFor(errno, posix), INVALID_HANDLE_VALUE);
    // O_NONBLOCK only keeps a FIFO from hanging the open; ordinary I/O should block.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    struct stat status;
    if (fstat(fd, &status) != 0)
    {
        const int error = errno;
        close(fd);
        return fail(errorFor(error, posix), INVALID_HANDLE_VALUE);
    }
    for (const auto& [handle, open] : handles().files)
    {
        if (open.device == status.st_dev && open.inode == status.st_ino && conflicts(open, access, share))
        {
            close(fd);
            return fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
        }
    }
    // Other processes see an exclusive open (share 0) as an exclusive lock, any other open with
    // data access as a shared one; an open for attributes only takes none.
    if (reads(access) || writes(access))
    {
        if (flock(fd, (share == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        {
            const int error = errno;
            close(fd);
            return fail(error == EWOULDBLOCK ? static_cast<DWORD>(ERROR_SHARING_VIOLATION) : errorFor(error, posix),
                        INVALID_HANDLE_VALUE);
        }
    }
    // Truncation waits until the share modes allowed the open, so a refused open changes nothing.
    if (existed && !S_ISDIR(status.st_mode) && (disposition == CREATE_ALWAYS || disposition == kTruncateExisting) &&
        ftruncate(fd, 0) != 0)
    {
        const int error = errno;
        close(fd);
        return fail(errorFor(error, posix), INVALID_HANDLE_VALUE);
    }

    const HANDLE handle = handles().add();
    handles().files[key(handle)] = OpenFile{fd, status.st_dev, status.st_ino, access, share};
    SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                         : ERROR_SUCCESS);
    return handle;
}

BOOL KelvaneHost::CloseHandleS(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(detail::handles().mutex);
    auto& files = detail::handles().files;
    const auto found = files.find(detail::key(handle));
    if (found == files.end())
        return detail::fail(ERROR_INVALID_HANDLE, FALSE);
    close(found->second.fd);
    files.erase(found);
    return TRUE;
}

DWORD KelvaneHost::GetTempPathSA(DWORD size, char* buffer)
{
    const std::string directory = platform::hostTemporaryDirectory();
    if (directory.empty())
        return detail::fail(ERROR_PATH_NOT_FOUND, DWORD{0});
    const auto length = static_cast<DWORD>(directory.size());
    // Too small a buffer gets the size needed, terminator included, as the platform reports it.
    if (length >= size)
        return length + 1;
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return length;
}

HANDLE KelvaneHost::FindFirstFileSA(const char* pattern, WIN32_FIND_DATAA& found)
{
    using namespace detail;
    const std::string_view text = pattern;
    std::string_view directory, name = text;
    if (const std::size_t separator = text.find_last_of("\\/"); separator != std::string_view::npos)
    {
        directory = text.substr(0, separator + 1);
        name = text.substr(separator + 1);
    }
    else if (platform::detail::hasDriveLetter(text))
    {
        directory = text.substr(0, 2);
        name = text.substr(2);
    }
    if (name.empty())
        return fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    std::string posixDirectory = directory.empty() ? std::string(".") : platform::toPosixPath(directory);
    if (directory.size() == 2 && platform::detail::hasDriveLetter(directory))
        posixDirectory = platform::toPosixPath(std::string(directory) + "\\");

    DIR* listing = opendir(posixDirectory.c_str());
    if (!listing)
        return fail(errno == ENOENT || errno == ENOTDIR ? static_cast<DWORD>(ERROR_PATH_NOT_FOUND)
                                                        : errorFor(errno, posixDirectory),
                    INVALID_HANDLE_VALUE);
    Search search;
    while (const dirent* entry = readdir(listing))
    {
        const std::string entryName = entry->d_name;
        // A POSIX name may hold a backslash, which the host reads as a separator: joined to its
        // directory it would name another file (even "..\..\elsewhere"), so it is never found.
        if (entryName == "." || entryName == ".." || entryName.size() >= sizeof found.cFileName ||
            entryName.find('\\') != std::string::npos || !matches(name, entryName))
            continue;
        struct stat status;
        if (fstatat(dirfd(listing), entryName.c_str(), &status, 0) != 0 &&
            fstatat(dirfd(listing), entryName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        search.entries.push_back(findData(entryName, status));
    }
    closedir(listing);
    if (search.entries.empty())
        return fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    std::sort(search.entries.begin(), search.entries.end(), [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
        return std::strcmp(a.cFileName, b.cFileName) < 0;
    });
    found = search.entries[0];
    search.next = 1;

    std::lock_guard<std::mutex> lock(handles().mutex);
    const HANDLE handle = handles().add();
    handles().searches[key(handle)] = std::move(search);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL KelvaneHost::FindNextFileSA(HANDLE handle, WIN32_FIND_DATAA& found)
{
    std::lock_guard<std::mutex> lock(detail::handles().mutex);
    auto& searches = detail::handles().searches;
    const auto search = searches.find(detail::key(handle));
    if (search == searches.end())
        return detail::fail(ERROR_INVALID_HANDLE, FALSE);
    if (search->second.next >= search->second.entries.size())
        return detail::fail(ERROR_NO_MORE_FILES, FALSE);
    found = search->second.entries[search->second.next++];
    return TRUE;
}

BOOL KelvaneHost::FindCloseS(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(detail::handles().mutex);
    if (detail::handles().searches.erase(detail::key(handle)) == 0)
        return detail::fail(ERROR_INVALID_HANDLE, FALSE);
    return TRUE;
}

BOOL KelvaneHost::DeleteFileS(const char* path)
{
    using namespace detail;
    const std::string posix = platform::toPosixPath(path ? path : "");
    if (posix.empty())
        return fail(ERROR_PATH_NOT_FOUND, FALSE);
    struct stat status;
    if (lstat(posix.c_str(), &status) != 0)
        return fail(errorFor(errno, posix), FALSE);
    if (S_ISDIR(status.st_mode))
        return fail(ERROR_ACCESS_DENIED, FALSE);

    std::lock_guard<std::mutex> lock(handles().mutex);
    if (S_ISREG(status.st_mode))
    {
        bool openHere = false;
        for (const auto& [handle, open] : handles().files)
        {
            if (open.device != status.st_dev || open.inode != status.st_ino)
                continue;
            if (!(open.share & FILE_SHARE_DELETE))
                return fail(ERROR_SHARING_VIOLATION, FALSE);
            openHere = true;
        }
        // Without a handle here, any lock on the file is another process's open.
        if (!openHere)
        {
            const int fd = open(posix.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
            {
                const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
                close(fd);
                if (held)
                    return fail(ERROR_SHARING_VIOLATION, FALSE);
            }
        }
    }
    if (unlink(posix.c_str()) != 0)
        return fail(errorFor(errno, posix), FALSE);
    return TRUE;
}

int KelvaneHost::DirectoryExists(const char* path)
{
    const std::string posix = platform::toPosixPath(path ? path : "");
    return !posix.empty() && detail::isDirectory(posix) ? 1 : 0;
}

int KelvaneHost::RawFileErase(const char* path)
{
    using namespace detail;
    std::string_view text = path ? path : "";
    while (!text.empty() && (text.back() == '\\' || text.back() == '/'))
        text.remove_suffix(1);
    // Only a raw-data directory named outright is erased: the path starts at a drive's root or
    // the file system's (a relative path would depend on the current directory), no component
    // may step sideways or up, and the last one must be the raw data's own name, never a drive or
    // a directory above.
    const std::vector<std::string_view> parts = components(text);
    if (parts.size() < 2 || !endsWithRaw(parts.back()) || !(parts[0].empty() || isDrive(parts[0])))
        return fail(ERROR_INVALID_PARAMETER, -1);
    for (const std::string_view part : parts)
    {
        if (part == std::string_view(".") || part == std::string_view(".."))
            return fail(ERROR_INVALID_PARAMETER, -1);
    }
    const std::string posix = platform::toPosixPath(text);
    struct stat status;
    if (posix.empty() || lstat(posix.c_str(), &status) != 0)
        return fail(posix.empty() ? static_cast<DWORD>(ERROR_PATH_NOT_FOUND) : errorFor(errno, posix), -1);
    if (!S_ISDIR(status.st_mode))
        return fail(ERROR_ACCESS_DENIED, -1);

    const int fd = open(posix.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return fail(errorFor(errno, posix), -1);
    struct stat opened;
    // The directory examined must be the one opened, not something swapped in between.
    const bool same = fstat(fd, &opened) == 0 && opened.st_dev == status.st_dev && opened.st_ino == status.st_ino;
    const bool emptied = same && removeContents(fd, status.st_dev, 0);
    close(fd);
    if (!emptied)
        return fail(ERROR_ACCESS_DENIED, -1);
    if (rmdir(posix.c_str()) != 0)
        return fail(errorFor(errno, posix), -1);
    return 0;
}

int KelvaneHost::RefreshSystemList()
{
    const std::string posix = platform::toPosixPath(kSystemListFile);
    if (access(posix.c_str(), F_OK) != 0)
        return 1;
    return access(posix.c_str(), R_OK) == 0 ? 1 : 0;
}
} // namespace kelvane
