// The secure file-access library's output stream: what is written goes to a temporary file beside
// the target, which replaces the target in one rename when the stream is flushed or closed. A
// person watching the file never sees it half-written, and a reader holding the old file open
// keeps reading the old contents to the end.
#include "kelvane/KelvaneHost.h"
#include "platform/Temporaries.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <streambuf>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvane
{
namespace detail
{
namespace
{
bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies everything from the start of one open file into another.
bool copyContents(int from, int to)
{
    std::vector<char> block(64 * 1024);
    for (off_t offset = 0;;)
    {
        const ssize_t n = ::pread(from, block.data(), block.size(), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!writeAll(to, block.data(), static_cast<size_t>(n)))
            return false;
        offset += n;
    }
}

} // namespace

/// A stream buffer over a file that is published by rename. The directory is held open (and was
/// opened without following a symbolic link), so every step works on the directory that was
/// checked, whatever happens to its path meanwhile; the rename replaces the name itself, never
/// what a link planted there would point to.
class AtomicFileBuffer : public std::streambuf
{
  public:
    ~AtomicFileBuffer() override
    {
        if (fd_ >= 0)
        {
            if (!failed_)
                sync();
            if (!temporary_.empty())
                ::unlinkat(directory_, temporary_.c_str(), 0);
            ::close(fd_);
        }
        if (directory_ >= 0)
            ::close(directory_);
    }

    /// Opens a temporary file for name in the directory; with keep, it starts as a copy of the
    /// current file. False when the directory or the file is refused or cannot be written.
    bool open(const std::string& directory, const std::string& name, bool keep, int protection)
    {
        failed_ = true; // until the temporary file is ready, nothing may be published
        directory_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (directory_ < 0)
            return false;
        name_ = name;

        struct stat current;
        const bool exists = ::fstatat(directory_, name.c_str(), &current, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && errno != ENOENT)
            return false;
        // A symbolic link could send the file anywhere the link's maker chose; a directory or
        // device is not a file to replace.
        if (exists && !S_ISREG(current.st_mode))
            return false;
        mode_ = exists ? static_cast<int>(current.st_mode & 07777) : -1;
        protection_ = protection;

        platform::removeDeadTemporaries(directory_, name_);
        if (!openTemporary())
            return false;
        if (keep && exists)
        {
            const int old = ::openat(directory_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            const bool copied = old >= 0 && copyContents(old, fd_);
            if (old >= 0)
                ::close(old);
            if (!copied)
                return false;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        failed_ = false;
        return true;
    }

  protected:
    int_type overflow(int_type ch) override
    {
        if (!drain())
            return traits_type::eof();
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return traits_type::not_eof(ch);
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
        return ch;
    }

    // A flush publishes everything written so far as the whole new file.
    int sync() override
    {
        if (!drain() || failed_)
            return -1;
        if (temporary_.empty())
            return 0; // nothing written since the last publication
        if (::fsync(fd_) != 0 || ::renameat(directory_, temporary_.c_str(), directory_, name_.c_str()) != 0)
        {
            failed_ = true;
            return -1;
        }
        temporary_.clear();
        ::fsync(directory_); // makes the rename durable; it cannot be undone, so it is not reported
        return 0;
    }

  private:
    bool openTemporary()
    {
        for (unsigned attempt = 0; attempt < 100; ++attempt)
        {
            const std::string candidate = platform::temporaryName(name_, attempt);
            // Read as well as written: after a publication the next temporary copy is read from it.
            const int fd = ::openat(directory_, candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                    protection_);
            if (fd < 0 && errno == EEXIST)
                continue;
            if (fd < 0)
                return false;
            // A replaced file keeps its permissions, as it would had it been rewritten in place.
            if (mode_ >= 0 && ::fchmod(fd, static_cast<mode_t>(mode_)) != 0)
            {
                ::close(fd);
                ::unlinkat(directory_, candidate.c_str(), 0);
                return false;
            }
            fd_ = fd;
            temporary_ = candidate;
            return true;
        }
        return false;
    }

    // Moves the buffered text into the temporary file. Text written after a publication goes to a
    // fresh temporary copy of the published file, so the published one never grows in place.
    bool drain()
    {
        if (failed_)
            return false;
        const size_t pending = static_cast<size_t>(pptr() - pbase());
        if (pending == 0)
            return true;
        if (temporary_.empty())
        {
            const int published = fd_;
            fd_ = -1;
            const bool copied = openTemporary() && copyContents(published, fd_);
            ::close(published);
            if (!copied)
            {
                failed_ = true;
                return false;
            }
        }
        if (!writeAll(fd_, pbase(), pending))
        {
            failed_ = true;
            return false;
        }
        setp(buffer_, buffer_ + sizeof buffer_);
        return true;
    }

    int directory_ = -1;
    std::string name_;
    int fd_ = -1;
    std::string temporary_; // name of the unpublished file fd_ refers to; empty once published
    int mode_ = -1;         // permission bits of the file replaced; -1 for a new file
    int protection_ = 0644;
    bool failed_ = false; // a failed write or publication: nothing more is published
    char buffer_[8192];
};

namespace
{
// The buffer is a base so that it is built before the stream that is handed it.
struct BufferHolder
{
    AtomicFileBuffer buffer;
};

class AtomicOutputFile : private BufferHolder, public std::ostream
{
  public:
    AtomicOutputFile() : std::ostream(&buffer)
    {
    }
};

// The POSIX directory that C:\temp names, the fixed place of the results log.
bool isHostTemp(const std::string& posixDirectory)
{
    return posixDirectory == platform::toPosixPath("C:\\temp");
}
} // namespace
} // namespace detail

std::unique_ptr<std::ostream> KelvaneHost::OpenOutputStream(const char* path, std::ios_base::openmode mode, int prot)
{
    try
    {
        if (!path || !(mode & std::ios_base::out) || (mode & std::ios_base::in))
            return nullptr;
        const std::string posix = platform::toPosixPath(path);
        const size_t slash = posix.rfind('/');
        if (slash == std::string::npos || slash + 1 == posix.size())
            return nullptr;
        const std::string directory = slash == 0 ? "/" : posix.substr(0, slash);
        const std::string name = posix.substr(slash + 1);
        if (name == "." || name == "..")
            return nullptr;

        // C:\temp belongs to the data directory, which is the user's own: made private to the
        // user, nobody else can plant a file or link in it.
        if (detail::isHostTemp(directory))
            ::mkdir(directory.c_str(), 0700);

        auto file = std::make_unique<detail::AtomicOutputFile>();
        const bool keep = (mode & (std::ios_base::app | std::ios_base::ate)) && !(mode & std::ios_base::trunc);
        if (!static_cast<detail::AtomicFileBuffer*>(file->rdbuf())->open(directory, name, keep, prot & 07777))
            return nullptr;
        return file;
    }
    catch (...)
    {
        return nullptr;
    }
}
} // namespace kelvane
