// File replacement by write-to-temporary, fsync and rename, the one sequence that POSIX guarantees
// leaves either the old or the new file after a crash; an in-place rewrite where that cannot be used.
#include "platform/AtomicFile.h"

#include "platform/Temporaries.h"

#include <cerrno>
#include <cstdlib>
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

std::string nameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A temporary beside the file, in the folder's naming for temporaries.
std::string temporaryName(const std::string& path, unsigned attempt)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return dir + platform::temporaryName(nameOf(path), attempt);
}

// A writer killed between creating its temporary and renaming it leaves the temporary for good.
// Named temporaries are kept (rather than O_TMPFILE with linkat, which narrows the window but still
// needs a name for the rename and is not on every file system), and those of this file whose
// writer no longer runs are removed before the next write.
void removeDeadTemporaries(const std::string& path)
{
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    platform::removeDeadTemporaries(folder, nameOf(path));
    close(folder);
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

bool writeFile(const std::string& posixPath, std::string_view content)
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
} // namespace

namespace platform
{
bool writeFileAtomically(const std::string& posixPath, std::string_view content)
{
    if (writeFile(posixPath, content))
        return true;
    // One answer for every way of being refused (mode bits, an owner that cannot be kept, a
    // read-only mount), so callers need not know them all.
    if (errno == EPERM || errno == EROFS)
        errno = EACCES;
    return false;
}
} // namespace platform
