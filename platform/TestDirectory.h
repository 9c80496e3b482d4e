// A fresh temporary directory for the tests that use the file system. It becomes the data
// directory (C:\) while it lives, and its name mixes letter cases so that case-blind lookups show.
#pragma once

#include <string>
#include <string_view>

namespace platform::testing
{
class TestDirectory
{
  public:
    TestDirectory();
    ~TestDirectory();
    TestDirectory(const TestDirectory&) = delete;
    TestDirectory& operator=(const TestDirectory&) = delete;

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

/// Writes text to the POSIX path as it is, replacing the file in place (same inode).
void writeText(const std::string& path, std::string_view text);
/// The bytes of the file at the POSIX path; empty when it cannot be read.
std::string readText(const std::string& path);
} // namespace platform::testing
