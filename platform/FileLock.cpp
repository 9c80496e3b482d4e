#include "platform/FileLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{
FileLock::~FileLock()
{
    unlock();
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_)
{
    other.fd_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other)
    {
        unlock();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void FileLock::unlock()
{
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor of the open file releases its lock
    fd_ = -1;
}

bool FileLock::lockFile(const std::string& posixPath, bool wait, const std::function<bool()>& stopWaiting)
{
    unlock();
    const int fd = ::open(posixPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0)
        return false;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
    {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    // Waiting polls rather than blocks, so that a signal handler installed with SA_RESTART (which
    // would restart a blocking flock) can still end the wait through stopWaiting.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        int error = errno;
        if (error == EWOULDBLOCK && wait)
        {
            if (stopWaiting && stopWaiting())
                error = EINTR;
            else
            {
                ::usleep(100 * 1000);
                continue;
            }
        }
        else if (error == EINTR)
            continue;
        ::close(fd);
        errno = error;
        return false;
    }
    // Who holds it, for the message of the one that finds it taken.
    const std::string pid = std::to_string(static_cast<long>(::getpid())) + "\n";
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) < 0)
    {
        // The id is only a courtesy; the lock holds without it.
    }
    fd_ = fd;
    return true;
}

bool FileLock::lockFolderOf(const std::string& posixPath)
{
    unlock();
    std::string folder = posixPath;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    while (::flock(fd, LOCK_EX) != 0)
    {
        if (errno == EINTR)
            continue;
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    fd_ = fd;
    return true;
}

long FileLock::holderOf(const std::string& posixPath)
{
    const int fd = ::open(posixPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    ::close(fd);
    return n > 0 ? std::strtol(text, nullptr, 10) : 0;
}
} // namespace platform
