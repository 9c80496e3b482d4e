#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{

// Sets an environment variable (null: removes it) for one scope.
struct ScopedEnvironment
{
    ScopedEnvironment(const char* name, const char* value) : name(name), old(std::getenv(name) ? std::getenv(name) : "")
    {
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        old.empty() ? unsetenv(name) : setenv(name, old.c_str(), 1);
    }
    const char* name;
    std::string old;
};

class WinPathTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char* sub : {"Mixed Case/SubDir", "Acqudb", "ACQUDB", "Study.PRO/Methods"})
            std::filesystem::create_directories(dir_.file(sub));
        testkit::writeText(dir_.file("Mixed Case/SubDir/File.TXT"), "");
    }

    testkit::TempDir dir_;
};

TEST_F(WinPathTest, MapsHostPathsFindingExistingNamesWhateverTheirCase)
{
    const std::string data = dir_.path();
    const std::string file = data + "/Mixed Case/SubDir/File.TXT";
    struct Case
    {
        std::string host;
        std::string posix;
        const char* cwd = nullptr; // a current directory under the data directory, for the rows after it
    };
    const Case cases[] = {
        {"C:\\Mixed Case\\SubDir\\File.TXT", file},
        {"C:\\Acqudb", data + "/Acqudb"},
        {"C:\\acqudb", data + "/ACQUDB"},
        {"C:\\mixed case\\.\\subdir\\..\\SUBDIR\\\\file.txt", file},
        {"C:\\..\\..\\mixed case", data + "/Mixed Case"},
        {"C:\\mixed case\\subdir\\..\\", data + "/Mixed Case/"},
        {"C:\\", data},
        {"C:", data},
        {"c:study.pro", data + "/Study.PRO"},
        {"z:", "/"},
        {"Z:\\..\\tmp\\.", "/tmp"},
        {"D:\\data\\x.raw", data + "/drives/d/data/x.raw"},
        {"\\usr\\bin", "/usr/bin"},
        {std::string("C:\\acqudb\0\\ignored", 18), data + "/ACQUDB"},
        {"subdir\\file.txt", file, "Mixed Case"},
        {"..\\acqudb\\new.mdb", data + "/ACQUDB/new.mdb", "Mixed Case"},
        {".", data + "/Mixed Case", "Mixed Case"},
        {"new/", data + "/Mixed Case/new/", "Mixed Case"},
    };
    const auto home = std::filesystem::current_path();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.host);
        if (c.cwd)
            std::filesystem::current_path(dir_.file(c.cwd));
        EXPECT_EQ(platform::toPosixPath(c.host), c.posix);
    }
    EXPECT_EQ(platform::toHostPath("SubDir/File.TXT"), "C:\\Mixed Case\\SubDir\\File.TXT");
    std::filesystem::current_path(home);
}

TEST_F(WinPathTest, HostPathsOfPosixPaths)
{
    const std::string data = dir_.path();
    std::string sibling = "Z:" + data + "-sibling\\x";
    std::replace(sibling.begin(), sibling.end(), '/', '\\');
    const std::pair<std::string, std::string> cases[] = {
        {data, "C:\\"},
        {data + "/temp/", "C:\\temp\\"},
        {data + "//temp/./x/../y", "C:\\temp\\y"},
        {data + "-sibling/x", sibling}, // a longer name is not under the data directory
        {"/", "Z:\\"},
    };
    for (const auto& [posix, host] : cases)
        EXPECT_EQ(platform::toHostPath(posix), host) << posix;
}

TEST_F(WinPathTest, DataAndTemporaryDirectories)
{
    platform::setDataDirectory(dir_.file("new/nested/data/"));
    EXPECT_EQ(platform::dataDirectory(), dir_.file("new/nested/data"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.file("new/nested/data")));
    {
        // Without a directory set, the data directory is under the home directory, created on demand.
        const ScopedEnvironment homeVariable("HOME", dir_.file("home").c_str());
        platform::setDataDirectory("");
        EXPECT_TRUE(std::filesystem::is_directory(dir_.file("home/.local/share/kelvane")));
    }
    platform::setDataDirectory(dir_.path());

    const std::pair<std::string, const char*> temporaries[] = {
        {dir_.file("Mixed Case"), "C:\\Mixed Case\\"}, {dir_.file("missing"), "Z:\\tmp\\"}, {"", "Z:\\tmp\\"}};
    for (const auto& [tmpdir, host] : temporaries)
    {
        const ScopedEnvironment tmp("TMPDIR", tmpdir.empty() ? nullptr : tmpdir.c_str());
        EXPECT_EQ(platform::hostTemporaryDirectory(), host) << tmpdir;
    }
}
} // namespace
