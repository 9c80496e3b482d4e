#include "testing/TempDir.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using platform::dataDirectory;
using platform::toHostPath;
using platform::toPosixPath;
using testkit::TempDir;
using testkit::writeText;

// Runs the test body in another current directory and goes back afterwards.
class CurrentDirectory
{
  public:
    explicit CurrentDirectory(const std::string& path) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~CurrentDirectory()
    {
        std::filesystem::current_path(previous_);
    }

  private:
    std::filesystem::path previous_;
};

// Sets an environment variable for one scope.
class ScopedEnvironment
{
  public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string flipCase(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

class WinPathTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char* sub : {"Mixed Case/SubDir", "Acqudb", "ACQUDB", "Study.PRO/Methods"})
            std::filesystem::create_directories(dir_.file(sub));
        writeText(dir_.file("Mixed Case/SubDir/File.TXT"), "");
        writeText(dir_.file("Study.PRO/Methods/a.tym"), "");
    }

    TempDir dir_;
};

TEST_F(WinPathTest, MapsDrivesAndFindsExistingNamesWhateverTheirCase)
{
    const std::string data = dir_.path();
    // The test directory as a Z: path with every letter's case flipped ("Z:\TMP\bRENMOpLATFORMtEST...").
    std::string flipped = "Z:" + flipCase(data);
    std::replace(flipped.begin(), flipped.end(), '/', '\\');
    struct Case
    {
        std::string host;
        std::string posix;
    };
    const Case cases[] = {
        {"C:\\Mixed Case\\SubDir\\File.TXT", data + "/Mixed Case/SubDir/File.TXT"},
        {"c:\\mixed case\\subdir\\file.txt", data + "/Mixed Case/SubDir/File.TXT"},
        {"C:/MIXED CASE/subdir/file.txt", data + "/Mixed Case/SubDir/File.TXT"},
        {"C:\\mixed case/SUBDIR\\New File.Txt", data + "/Mixed Case/SubDir/New File.Txt"},
        {"C:\\mixed case\\NewDir\\Study.PRO\\x", data + "/Mixed Case/NewDir/Study.PRO/x"},
        {"C:\\Acqudb", data + "/Acqudb"},
        {"C:\\acqudb", data + "/ACQUDB"},
        {"C:\\ACQUDB", data + "/ACQUDB"},
        {"C:\\study.pro\\methods\\A.TYM", data + "/Study.PRO/Methods/a.tym"},
        {"C:\\mixed case\\.\\subdir\\..\\SUBDIR\\\\file.txt", data + "/Mixed Case/SubDir/File.TXT"},
        {"C:\\..\\..\\mixed case", data + "/Mixed Case"},
        {"C:\\mixed case\\", data + "/Mixed Case/"},
        {"C:\\mixed case\\subdir\\..\\", data + "/Mixed Case/"},
        {"C:\\new\\", data + "/new/"},
        {"C:\\", data},
        {"C:", data},
        {"c:study.pro", data + "/Study.PRO"},
        {"Z:\\", "/"},
        {"z:", "/"},
        {"Z:\\..\\tmp\\.", "/tmp"},
        {"D:\\data\\x.raw", data + "/drives/d/data/x.raw"},
        {"d:/x", data + "/drives/d/x"},
        {"\\usr\\bin", "/usr/bin"},
        {data + "/Mixed Case", data + "/Mixed Case"},
        {flipped + "\\MIXED CASE", data + "/Mixed Case"},
        {std::string("C:\\acqudb\0\\ignored", 18), data + "/ACQUDB"},
        {"", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(toPosixPath(c.host), c.posix);
    }
}

TEST_F(WinPathTest, PathsWithoutADriveAreRelativeToTheCurrentDirectory)
{
    const std::string data = dir_.path();
    const CurrentDirectory inside(data + "/Mixed Case");
    struct Case
    {
        const char* host;
        std::string posix;
    };
    const Case cases[] = {
        {"subdir\\file.txt", data + "/Mixed Case/SubDir/File.TXT"},
        {".\\SUBDIR", data + "/Mixed Case/SubDir"},
        {"..\\acqudb\\new.mdb", data + "/ACQUDB/new.mdb"},
        {".", data + "/Mixed Case"},
        {"new/", data + "/Mixed Case/new/"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(toPosixPath(c.host), c.posix);
    }
    EXPECT_EQ(toHostPath("SubDir/File.TXT"), "C:\\Mixed Case\\SubDir\\File.TXT");
    EXPECT_EQ(toHostPath("../.."), toHostPath(std::filesystem::path(data).parent_path().string()));
}

TEST_F(WinPathTest, HostPathsOfPosixPaths)
{
    const std::string data = dir_.path();
    struct Case
    {
        std::string posix;
        std::string host;
    };
    const Case cases[] = {
        {data + "/Study.PRO/Methods/a.tym", "C:\\Study.PRO\\Methods\\a.tym"},
        {data, "C:\\"},
        {data + "/", "C:\\"},
        {data + "/temp/", "C:\\temp\\"},
        {data + "//temp/./x/../y", "C:\\temp\\y"},
        {data + "-sibling/x", "Z:" + data + "-sibling/x"}, // a longer name is not under the data directory
        {"/", "Z:\\"},
        {"/usr/lib/", "Z:\\usr\\lib\\"},
        {"/usr/./lib/../bin", "Z:\\usr\\bin"},
        {"/..", "Z:\\"},
        {"", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.posix);
        std::string expected = c.host;
        if (expected.starts_with("Z:/"))
            std::replace(expected.begin(), expected.end(), '/', '\\');
        EXPECT_EQ(toHostPath(c.posix), expected);
    }
}

TEST_F(WinPathTest, RoundTripsExistingPaths)
{
    for (const char* sub : {"", "/Mixed Case/SubDir/File.TXT", "/Acqudb", "/ACQUDB", "/Study.PRO/Methods/"})
    {
        const std::string posix = dir_.path() + sub;
        SCOPED_TRACE(posix);
        EXPECT_EQ(toPosixPath(toHostPath(posix)), posix);
    }
    EXPECT_EQ(toPosixPath(toHostPath("/usr/bin")), "/usr/bin");
}

TEST_F(WinPathTest, DrivePathsNeverLeaveTheirDrive)
{
    // Random paths of existing names in any case, new names, "." and ".." and both separators:
    // the result stays under the drive's directory, is normalised, and maps back to itself.
    const std::string data = dir_.path();
    const char* parts[] = {"mixed case", "SUBDIR", "File.txt", "acqudb", "Study.pro", "new", ".", "..", "..", ""};
    std::mt19937 random(11);
    for (int round = 0; round < 500; ++round)
    {
        std::string host = "C:";
        const int count = static_cast<int>(random() % 7);
        for (int i = 0; i < count; ++i)
            host += std::string(random() % 2 ? "\\" : "/") + parts[random() % std::size(parts)];
        SCOPED_TRACE(host);
        const std::string posix = toPosixPath(host);
        ASSERT_TRUE(posix == data || posix.starts_with(data + "/"));
        EXPECT_EQ(posix.find("/./"), std::string::npos);
        EXPECT_EQ(posix.find("/../"), std::string::npos);
        EXPECT_EQ(posix.find("//"), std::string::npos);
        EXPECT_FALSE(posix.ends_with("/..") || posix.ends_with("/."));
        EXPECT_EQ(toPosixPath(toHostPath(posix)), posix);
    }
}

TEST_F(WinPathTest, DataDirectoryIsCreatedAndNormalised)
{
    platform::setDataDirectory(dir_.file("new/nested/data/"));
    EXPECT_EQ(dataDirectory(), dir_.file("new/nested/data"));
    struct stat status;
    EXPECT_EQ(stat(dataDirectory().c_str(), &status), 0);
    EXPECT_EQ(toPosixPath("C:\\x"), dir_.file("new/nested/data/x"));

    {
        const CurrentDirectory inside(dir_.path());
        platform::setDataDirectory("relative/./dir/..");
    }
    EXPECT_EQ(dataDirectory(), dir_.file("relative"));

    // Without a directory set, the data directory is under the home directory, created on demand.
    const ScopedEnvironment home("HOME", dir_.file("home").c_str());
    platform::setDataDirectory("");
    EXPECT_EQ(dataDirectory(), dir_.file("home/.local/share/kelvane"));
    EXPECT_EQ(stat(dir_.file("home/.local/share/kelvane").c_str(), &status), 0);
    platform::setDataDirectory(dir_.path());
}

TEST_F(WinPathTest, TemporaryDirectoryInHostForm)
{
    {
        const ScopedEnvironment tmp("TMPDIR", dir_.file("Mixed Case").c_str());
        EXPECT_EQ(platform::hostTemporaryDirectory(), "C:\\Mixed Case\\");
    }
    {
        const ScopedEnvironment tmp("TMPDIR", dir_.file("missing").c_str());
        EXPECT_EQ(platform::hostTemporaryDirectory(), "Z:\\tmp\\");
    }
    const ScopedEnvironment tmp("TMPDIR", nullptr);
    EXPECT_EQ(platform::hostTemporaryDirectory(), "Z:\\tmp\\");
    EXPECT_EQ(toPosixPath(platform::hostTemporaryDirectory()), "/tmp/");
}
} // namespace
