// The fixture of the driver's end-to-end tests: tessaly run in-process on the host stand-in over
// a fresh temporary data directory, with helpers for files and for checking refused commands.
#pragma once

#include "apps/Tessaly.h"
#include "testing/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tests
{
class DriverTest : public ::testing::Test
{
  protected:
    struct Result
    {
        int status;
        std::string out;
        std::string err;
    };
    /// Runs the driver with the test's directory as the data directory (C:\ to the host).
    Result tessaly(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--data-dir", dir_.path()});
        std::ostringstream out, err;
        const int status = tessaly::run(args, out, err);
        return {status, out.str(), err.str()};
    }

    /// The path of name in the test's directory.
    std::string path(const std::string& name) const
    {
        return dir_.file(name);
    }
    /// Writes text to name in the test's directory; returns its path.
    std::string write(const std::string& name, const std::string& text) const
    {
        EXPECT_TRUE(testkit::writeText(path(name), text)) << name;
        return path(name);
    }
    static std::string read(const std::string& file)
    {
        return testkit::readText(file);
    }

    /// Every file below the test's directory with its bytes, owner and mode; the host's own
    /// bookkeeping (the system list that opening a list updates) left out.
    std::map<std::string, std::string> snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path()))
        {
            struct stat info = {};
            if (entry.path().filename() == "SystemList.ini" || ::lstat(entry.path().c_str(), &info) != 0)
                continue;
            files[entry.path().string()] = std::to_string(info.st_uid) + " " + std::to_string(info.st_mode) + " " +
                                           (entry.is_regular_file() ? read(entry.path().string()) : "");
        }
        return files;
    }

    /// The command is refused: exit status 2, nothing on standard output, exactly the one line
    /// "tessaly: " + message on the error stream, and no file written.
    void expectRefused(const std::vector<std::string>& args, const std::string& message, int status = 2) const
    {
        const auto before = snapshot();
        const Result r = tessaly(args);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "tessaly: " + message + "\n");
        EXPECT_EQ(snapshot(), before) << "a refused command wrote a file";
    }

    testkit::TempDir dir_{"TessalyTest"};
};
} // namespace tests
