// Exclusive advisory locks between processes: one run at a time in a data directory, and one
// writer at a time across the read, change and rename of a file, so concurrent edits never lose
// an update.
#pragma once

#include "platform/Export.h"

#include <functional>
#include <string>

namespace platform
{
/// An exclusive lock (flock) held from a successful lock call until the object is destroyed or
/// unlocked. Locks are per open file, so they work between processes and between objects of one
/// process alike: never take the same one twice in one process while holding it. A process that
/// dies loses its locks, so a kill never leaves one behind.
class PLATFORM_API FileLock
{
  public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    /// Locks the lock file at posixPath, created private to the user (mode 0600) when missing,
    /// and writes the process id into it for whoever finds it locked. Without wait, returns false
    /// at once with errno EWOULDBLOCK when another holds it; with wait, waits until it is free, or
    /// returns false with errno EINTR once stopWaiting (when given, asked ten times a second)
    /// returns true.
    /// A symbolic link or anything but a regular file at posixPath is refused (false, errno
    /// ELOOP or EINVAL); so is a file that cannot be opened, with the system's errno.
    bool lockFile(const std::string& posixPath, bool wait, const std::function<bool()>& stopWaiting = {});

    /// Locks the folder that holds the file at posixPath (its parent directory, which exists
    /// whether or not the file does yet), waiting for other editors of files in that folder.
    /// Held across reading, changing and renaming a file into place, it keeps a concurrent editor
    /// from working on a copy that is about to be replaced. False, with the system's errno, when
    /// the folder cannot be opened.
    bool lockFolderOf(const std::string& posixPath);

    /// The process id written into the lock file at posixPath by its last holder; 0 when there
    /// is none or it cannot be read.
    static long holderOf(const std::string& posixPath);

    /// Releases the lock now; nothing when none is held.
    void unlock();
    /// True while a lock is held.
    bool locked() const
    {
        return fd_ >= 0;
    }

  private:
    int fd_ = -1;
};
} // namespace platform
