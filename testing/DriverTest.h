// The fixture of the driver's end-to-end tests: tessaly run in-process on the host stand-in over
// a fresh temporary data directory, with helpers for files and results.
#pragma once

#include "apps/Tessaly.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace tests
{
class DriverTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        std::filesystem::create_directories(root_ / "data");
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    struct Result
    {
        int status;
        std::string out;
        std::string err;
    };
    /// Runs the driver with the data directory (C:\ to the host) inside the test's directory.
    Result tessaly(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--data-dir", (root_ / "data").string()});
        std::ostringstream out, err;
        const int status = tessaly::run(args, out, err);
        return {status, out.str(), err.str()};
    }

    std::string path(const std::string& name) const
    {
        return (root_ / name).string();
    }
    /// Writes text to name in the test's directory; returns its path.
    std::string write(const std::string& name, const std::string& text) const
    {
        std::ofstream(root_ / name, std::ios::binary) << text;
        return path(name);
    }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    /// Exit status 2, nothing on standard output, and exactly one line of error.
    static void expectOneLineError(const Result& r, const std::string& text)
    {
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "tessaly: " + text + "\n");
    }

    std::filesystem::path root_;
};
} // namespace tests
