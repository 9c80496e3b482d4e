// Atomic file replacement by write-to-temporary, fsync and rename, the one sequence that POSIX
// guarantees leaves either the old or the new file after a crash.
#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A temporary name beside the file: hidden, and unique within the process by a counter and
// across processes by the process id; O_EXCL catches any leftover of a crashed run.
std::string temporaryName(const std::string& path, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    // Cut long names so that the suffix still fits in the file system's 255-byte name limit.
    const std::string name = (slash == std::string::npos ? path : path.substr(slash + 1)).substr(0, 200);
    return dir + "." + name + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" +
           std::to_string(attempt);
}

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty())
    {
        const ssize_t n = write(fd, content.data(), content.size());
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Makes the rename itself durable; a failure here cannot undo the rename, so it is not reported.
void syncDirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        fsync(fd);
        close(fd);
    }
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
} // namespace

namespace platform
{
bool writeFileAtomically(const std::string& posixPath, std::string_view content)
{
    if (posixPath.empty() || posixPath.back() == '/')
        return false;
    const std::string path = replacedFile(posixPath);

    struct stat old;
    const bool replacing = stat(path.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode))
        return false;

    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt)
    {
        temporary = temporaryName(path, attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = (!replacing || fchmod(fd, old.st_mode & 07777) == 0) && writeAll(fd, content) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
    {
        unlink(temporary.c_str());
        return false;
    }
    syncDirectoryOf(path);
    return true;
}
} // namespace platform
