// File replacement by write-to-temporary, fsync and rename, the one sequence that POSIX guarantees
// leaves either the old or the new file after a crash; an in-place rewrite where that cannot be used.
#include "platform/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Closes a descriptor at the end of its scope without disturbing the errno a failure left.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
        {
            const int error = errno;
            close(fd);
            errno = error;
        }
    }
};

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Temporaries are named ".NAME.tmpPID_COUNTER_ATTEMPT" beside the file: hidden, and unique within
// the process by the counter and across processes by the process id, which also tells a later
// writer whether the one that left it still runs. Long names are cut so that the suffix still
// fits in the file system's 255-byte name limit.
std::string temporaryPrefix(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return "." + (slash == std::string::npos ? path : path.substr(slash + 1)).substr(0, 200) + ".tmp";
}

std::string temporaryName(const std::string& path, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return dir + temporaryPrefix(path) + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" +
           std::to_string(attempt);
}

// The writer's process id in the rest of a temporary's name ("PID_COUNTER_ATTEMPT"); 0 when the
// rest is not of that form, so that no other file is ever taken for a temporary.
pid_t writerOf(std::string_view rest)
{
    long long pid = 0;
    for (int field = 0; field < 3; ++field)
    {
        const size_t digits = std::min(rest.find_first_not_of("0123456789"), rest.size());
        if (digits == 0 || digits > 10)
            return 0;
        if (field == 0)
            pid = std::stoll(std::string(rest.substr(0, digits)));
        rest.remove_prefix(digits);
        if (field < 2 && !rest.starts_with('_'))
            return 0;
        rest.remove_prefix(field < 2 ? 1 : 0);
    }
    return rest.empty() && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// A writer killed between creating its temporary and renaming it leaves the temporary for good.
// Named temporaries are kept (rather than O_TMPFILE with linkat, which narrows the window but still
// needs a name for the rename and is not on every file system), and those of this file whose
// writer no longer runs are removed before the next write; a live writer's one is left alone. A
// writer this process cannot see (another machine, another PID namespace) may lose its temporary:
// its rename then fails and it reports the failure, and no file is damaged.
void removeDeadTemporaries(const std::string& path)
{
    const std::string prefix = temporaryPrefix(path);
    DIR* folder = opendir(folderOf(path).c_str());
    if (!folder)
        return;
    while (const dirent* entry = readdir(folder))
    {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const pid_t writer = writerOf(name.substr(prefix.size()));
        if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH)
            unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

bool writeAll(int fd, std::string_view content)
{
    for (off_t at = 0; !content.empty();)
    {
        const ssize_t n = pwrite(fd, content.data(), content.size(), at);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(n));
        at += n;
    }
    return true;
}

// Makes the rename itself durable; a failure here cannot undo the rename, so it is not reported.
void syncFolderOf(const std::string& path)
{
    Descriptor folder{open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd >= 0)
        fsync(folder.fd);
}

// The file that a write to path replaces: the target of a symbolic link, so the link survives.
std::string replacedFile(const std::string& path)
{
    struct stat link;
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char* target = realpath(path.c_str(), nullptr);
    if (!target)
        return path; // a dangling link is replaced by the file itself
    std::string resolved = target;
    std::free(target);
    return resolved;
}

// The crash-safe way: a temporary with the old file's owner, group and mode, renamed over it.
// EACCES or EPERM when the folder may not be written or the owner could not be kept.
bool replaceByRename(const std::string& path, std::string_view content, const struct stat* old)
{
    removeDeadTemporaries(path);
    std::string temporary;
    Descriptor file;
    for (unsigned attempt = 0; file.fd < 0 && attempt < 100; ++attempt)
    {
        temporary = temporaryName(path, attempt);
        file.fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file.fd < 0 && errno != EEXIST)
            return false;
    }
    if (file.fd < 0)
        return false;

    // The owner first: changing it clears the set-id bits, which the mode then puts back.
    struct stat fresh;
    bool ok = !old || (fstat(file.fd, &fresh) == 0 &&
                       ((fresh.st_uid == old->st_uid && fresh.st_gid == old->st_gid) ||
                        fchown(file.fd, old->st_uid, old->st_gid) == 0) &&
                       fchmod(file.fd, old->st_mode & 07777) == 0);
    ok = ok && writeAll(file.fd, content) && fsync(file.fd) == 0;
    const int fd = file.fd;
    file.fd = -1;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
    {
        const int error = errno;
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    syncFolderOf(path);
    return true;
}

// The fallback: the open file rewritten over its old bytes and cut to the new length. Not
// crash-safe, so the space is reserved first where the file system can: a full disk then fails
// the write before a byte of the old file changed.
bool rewriteInPlace(int fd, std::string_view content, off_t oldSize)
{
    const auto size = static_cast<off_t>(content.size());
    if (size > oldSize && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP)
        return false;
    return writeAll(fd, content) && ftruncate(fd, size) == 0 && fsync(fd) == 0;
}
} // namespace

namespace platform
{
bool writeFileAtomically(const std::string& posixPath, std::string_view content)
{
    if (posixPath.empty() || posixPath.back() == '/')
    {
        errno = posixPath.empty() ? ENOENT : EISDIR;
        return false;
    }
    const std::string path = replacedFile(posixPath);

    // Opening the file for writing lets the kernel say whether the caller may write it (mode bits,
    // access lists, read-only mounts) without changing anything; the folder's permission to
    // rename decides nothing about that. Non-blocking, so a FIFO is refused rather than waited on.
    Descriptor existing{open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (existing.fd < 0 && errno != ENOENT)
        return false;
    struct stat old;
    if (existing.fd >= 0 && (fstat(existing.fd, &old) != 0 || !S_ISREG(old.st_mode)))
    {
        errno = EINVAL;
        return false;
    }
    if (replaceByRename(path, content, existing.fd >= 0 ? &old : nullptr))
        return true;
    if (existing.fd < 0 || (errno != EACCES && errno != EPERM))
        return false;
    return rewriteInPlace(existing.fd, content, old.st_size);
}
} // namespace platform
