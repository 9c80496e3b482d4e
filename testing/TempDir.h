// A fresh temporary directory for tests, benchmarks and fuzz targets that use the file system.
// While it lives it is the host's data directory (C:\), and its name mixes letter cases so that
// case-blind lookups show.
#pragma once

#include <string>
#include <string_view>

namespace testkit
{
class TempDir
{
  public:
    /// Creates the directory in under (the system's temporary directory when empty); aborts when
    /// it cannot.
    explicit TempDir(std::string_view prefix = "BrenmoTest", std::string_view under = {});
    /// Removes the directory and everything in it, whatever permissions a test left behind.
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The directory's absolute POSIX path, without a trailing slash.
    const std::string& path() const
    {
        return path_;
    }
    /// path() + "/" + name.
    std::string file(std::string_view name) const;

  private:
    std::string path_;
};

/// Writes text to the POSIX path as it is, replacing the file in place (same inode). Returns
/// whether every byte was written.
bool writeText(const std::string& path, std::string_view text);
/// The bytes of the file at the POSIX path; empty when it cannot be read.
std::string readText(const std::string& path);
} // namespace testkit
