#include "testing/MockHost.h"
#include "kelvane/KelvaneHost.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

// Each test runs on its own data directory (what C:\ names), removed afterwards.
class KelvaneHostTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kelvane-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        platform::setDataDirectory(dir_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string readFile(const std::string& name) const
    {
        std::ifstream in(fs::path(dir_) / name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static tag_HXFILE pathForm(const char* directory, const char* name, const char* extension)
    {
        tag_HXFILE form;
        form.SetDirectory(directory);
        form.SetFileName(name);
        form.SetExtension(extension);
        return form;
    }

    std::string dir_;
};

// ---- Path forms ---------------------------------------------------------------------------------

TEST_F(KelvaneHostTest, PathFormSplitsAndJoins)
{
    struct Case
    {
        const char* path;
        const char* directory;
        const char* name;
        const char* extension;
        const char* joined; // the path the form converts back to
    };
    const Case cases[] = {
        {"C:\\Data\\Proj.PRO\\Methods\\abc.tym", "C:\\Data\\Proj.PRO\\Methods\\", "abc", "tym",
         "C:\\Data\\Proj.PRO\\Methods\\abc.tym"},
        {"C:\\x\\archive.tar.gz", "C:\\x\\", "archive.tar", "gz", "C:\\x\\archive.tar.gz"},
        {"C:\\x\\noext", "C:\\x\\", "noext", "", "C:\\x\\noext"},
        {"C:\\x\\.hidden", "C:\\x\\", "", "hidden", "C:\\x\\.hidden"},
        {"Z:\\runs\\A001.RAW", "Z:\\runs\\", "A001", "RAW", "Z:\\runs\\A001.RAW"},
        {"C:/x/y.txt", "C:\\x\\", "y", "txt", "C:\\x\\y.txt"},
        {"C:name.txt", "C:\\", "name", "txt", "C:\\name.txt"},
        {"C:\\dir\\", "C:\\dir\\", "", "", "C:\\dir\\"},
        {"\\\\server\\share\\f.spl", "\\\\server\\share\\", "f", "spl", "\\\\server\\share\\f.spl"},
        {"", "", "", "", ""},
    };
    kelvane::KelvaneHost host;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        tag_HXFILE form;
        ASSERT_EQ(host.ConvertPathToHxFile(form, c.path), 1);
        EXPECT_EQ(form.Directory(), c.directory);
        EXPECT_EQ(form.FileName(), c.name);
        EXPECT_EQ(form.Extension(), c.extension);
        char back[MAX_PATH];
        EXPECT_EQ(host.ConvertHxFileToPath(back, MAX_PATH, form), 1);
        EXPECT_STREQ(back, c.joined);
    }
}

TEST_F(KelvaneHostTest, RelativeAndPosixPathsBecomeHostPaths)
{
    kelvane::KelvaneHost host;
    const fs::path previous = fs::current_path();
    fs::current_path(dir_);
    tag_HXFILE relative;
    const int converted = host.ConvertPathToHxFile(relative, "rel\\list.spl");
    fs::current_path(previous);
    ASSERT_EQ(converted, 1);
    EXPECT_EQ(relative.Directory(), "C:\\rel\\");
    EXPECT_EQ(relative.FileName(), "list");

    tag_HXFILE posix;
    ASSERT_EQ(host.ConvertPathToHxFile(posix, "/no-such-root/Study.PRO/a.tym"), 1);
    EXPECT_EQ(posix.Directory(), "Z:\\no-such-root\\Study.PRO\\");
    EXPECT_EQ(posix.Extension(), "tym");
}

TEST_F(KelvaneHostTest, OverlongPartsAreRefusedAndTheFormKept)
{
    struct Case
    {
        const char* name;
        std::string path;
        int expected;
    };
    const std::string longest_dir = "C:\\" + std::string(255, 'd') + "\\"; // 259 characters
    const Case cases[] = {
        {"directory of 259", longest_dir + "a.b", 1},
        {"directory of 260", "C:\\" + std::string(256, 'd') + "\\a.b", 0},
        {"name of 255", "C:\\x\\" + std::string(255, 'n') + ".b", 1},
        {"name of 256", "C:\\x\\" + std::string(256, 'n') + ".b", 0},
        {"extension of 257", "C:\\x\\a." + std::string(257, 'e'), 1},
        {"extension of 258", "C:\\x\\a." + std::string(258, 'e'), 0},
    };
    kelvane::KelvaneHost host;
    host::ScopedHost scope(host);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        tag_HXFILE form = pathForm("C:\\old\\", "old", "old");
        form.SetChosen(1);
        form.SetSecondNumber(77);
        ASSERT_EQ(ConvertPathToHxFile(&form, c.path.c_str()), c.expected);
        if (c.expected == 0)
        {
            EXPECT_EQ(form.Directory(), "C:\\old\\");
            EXPECT_EQ(form.FileName(), "old");
            EXPECT_EQ(form.Extension(), "old");
        }
        else
        {
            char back[1024];
            EXPECT_EQ(ConvertHxFileToPath(back, sizeof back, &form), 1);
            EXPECT_EQ(back, c.path);
        }
        // Only the texts belong to the conversion; the host's numbers stay.
        EXPECT_EQ(form.Chosen(), 1);
        EXPECT_EQ(form.SecondNumber(), 77u);
    }
}

TEST_F(KelvaneHostTest, JoinedPathIsCutToTheLimit)
{
    kelvane::KelvaneHost host;
    const tag_HXFILE form = pathForm("C:\\dir", "name", "ext"); // no trailing backslash
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(host.ConvertHxFileToPath(out, 10, form), 0);
    EXPECT_STREQ(out, "C:\\dir\\na");
    EXPECT_EQ(out[10], '#') << "written past the limit";
    EXPECT_EQ(host.ConvertHxFileToPath(out, 16, form), 1);
    EXPECT_STREQ(out, "C:\\dir\\name.ext");
    EXPECT_EQ(host.ConvertHxFileToPath(out, 0, form), 0);
}

// ---- System list --------------------------------------------------------------------------------

TEST_F(KelvaneHostTest, SystemListPersistsAcrossHosts)
{
    {
        kelvane::KelvaneHost writer;
        host::ScopedHost scope(writer);
        const tag_HXFILE method = pathForm("C:\\Study.PRO\\MethDB\\", "quan", "mdb");
        ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &method, 1), 1);
        const tag_HXFILE tune = pathForm("C:\\Study.PRO\\ACQUDB\\", "tune ", "ipr"); // trailing blank kept
        ASSERT_EQ(SetSystemListValue("SystemList", "TUNE_DB", &tune, 1), 1);
    }
    const std::string file = readFile("SystemList.ini");
    EXPECT_NE(file.find("[SystemList]"), std::string::npos) << file;
    EXPECT_NE(file.find("METHOD_DB=C:\\Study.PRO\\MethDB\\quan.mdb"), std::string::npos) << file;

    kelvane::KelvaneHost reader;
    host::ScopedHost scope(reader);
    tag_HXFILE value;
    ASSERT_EQ(GetSystemListValue("SystemList", "METHOD_DB", 0, &value), 1);
    EXPECT_EQ(value.Directory(), "C:\\Study.PRO\\MethDB\\");
    EXPECT_EQ(value.FileName(), "quan");
    EXPECT_EQ(value.Extension(), "mdb");
    ASSERT_EQ(GetSystemListValue("SystemList", "tune_db", 0, &value), 1) << "keys are not case-sensitive";
    EXPECT_EQ(value.FileName(), "tune ");
}

TEST_F(KelvaneHostTest, UnsetKeyIsNotFoundAndEmptyValueIs)
{
    kelvane::KelvaneHost host;
    tag_HXFILE value = pathForm("C:\\junk\\", "junk", "junk");
    value.SetChosen(1);
    EXPECT_EQ(host.GetSystemListValue("SystemList", "LC_DB", 0, value), 0);
    EXPECT_EQ(value.Directory(), "");
    EXPECT_EQ(value.Chosen(), 0);

    // Putting back an empty tune is a value of its own, not a missing key.
    const tag_HXFILE empty;
    ASSERT_EQ(host.SetSystemListValue("SystemList", "TUNE_DB", empty, 1), 1);
    value = pathForm("C:\\junk\\", "junk", "junk");
    EXPECT_EQ(host.GetSystemListValue("SystemList", "TUNE_DB", 0, value), 1);
    EXPECT_EQ(value.Directory(), "");
    EXPECT_EQ(value.FileName(), "");

    EXPECT_EQ(host.SetSystemListValue("SystemList", "", empty, 1), 0);
    EXPECT_EQ(host.GetSystemListValue("", "TUNE_DB", 0, value), 0);
}

TEST_F(KelvaneHostTest, LaterSetReplacesTheValue)
{
    kelvane::KelvaneHost host;
    ASSERT_EQ(host.SetSystemListValue("SystemList", "SAMPLES_DB", pathForm("C:\\a\\", "one", "spl"), 1), 1);
    ASSERT_EQ(host.SetSystemListValue("SystemList", "samples_db", pathForm("C:\\b\\", "two", "olb"), 1), 1);
    tag_HXFILE value;
    ASSERT_EQ(host.GetSystemListValue("SystemList", "SAMPLES_DB", 0, value), 1);
    EXPECT_EQ(value.Directory(), "C:\\b\\");
    EXPECT_EQ(value.FileName(), "two");
    const std::string file = readFile("SystemList.ini");
    EXPECT_EQ(file.find("one.spl"), std::string::npos) << file;
}

// ---- Numbers ------------------------------------------------------------------------------------

TEST_F(KelvaneHostTest, FtoaRendersFixedPoint)
{
    struct Case
    {
        double value;
        int precision;
        const char* expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {10.0, 2, "10.00"},     {0.2, 2, "0.20"},         {-1.239, 2, "-1.24"},
        {1.005, 2, "1.00"}, // the double is just below 1.005
        {0.125, 2, "0.12"}, // an exact tie rounds to even
        {-0.001, 2, "0.00"},    {-0.0, 2, "0.00"},        {2.7, -3, "3"},
        {2.7, 0, "3"},          {1e300, 2, "1e+300"},     {-1e60, 2, "-1e+60"},
        {1.5e61, 2, "1.5e+61"}, {std::nan(""), 2, "nan"}, {inf, 2, "inf"},
        {-inf, 2, "-inf"},
    };
    kelvane::KelvaneHost host;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.value << " at " << c.precision);
        char buffer[64];
        EXPECT_EQ(host.ftoa(c.value, buffer, c.precision), buffer);
        EXPECT_STREQ(buffer, c.expected);
    }
}

TEST_F(KelvaneHostTest, FtoaTextReadsBackAndFitsItsBuffer)
{
    kelvane::KelvaneHost host;
    for (double value : {1e59, -1e59, 1e60, 123456.789, 5e-7, std::numeric_limits<double>::max()})
    {
        for (int precision : {0, 2, 30, 99})
        {
            SCOPED_TRACE(::testing::Message() << value << " at " << precision);
            char buffer[80];
            std::memset(buffer, '#', sizeof buffer);
            host.ftoa(value, buffer, precision);
            ASSERT_LT(std::strlen(buffer), 64u);
            EXPECT_EQ(buffer[64], '#');
            // Half a unit of the last decimal, and the rounding of a long fixed-point text.
            const double tolerance = std::pow(10.0, -std::min(precision, 30)) / 2 + std::abs(value) * 1e-15;
            EXPECT_NEAR(std::atof(buffer), value, tolerance);
        }
    }
}

TEST_F(KelvaneHostTest, SimultaneousSamplesDefaultConfiguredAndSet)
{
    kelvane::KelvaneHost host;
    EXPECT_EQ(host.GetTotalSimultaneousSamples(), 1) << "no configuration file";

    struct Case
    {
        const char* text;
        int expected;
    };
    const Case cases[] = {{"4", 4}, {"2", 2}, {"0", 1}, {"-2", 1}, {"four", 1}, {"4x", 1}, {"", 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(WritePrivateProfileStringA(kelvane::KelvaneHost::kInletSection,
                                               kelvane::KelvaneHost::kSimultaneousSamplesKey, c.text,
                                               kelvane::KelvaneHost::kConfigurationFile));
        EXPECT_EQ(host.GetTotalSimultaneousSamples(), c.expected);
    }
    EXPECT_NE(readFile("Kelvane.ini").find("[Inlet]"), std::string::npos);

    host.SetTotalSimultaneousSamples(2);
    EXPECT_EQ(host.GetTotalSimultaneousSamples(), 2) << "a set count wins over the file";
    host.SetTotalSimultaneousSamples(0);
    EXPECT_EQ(host.GetTotalSimultaneousSamples(), 1);
}

TEST_F(KelvaneHostTest, ConfigurationFileWrittenByHandIsRead)
{
    {
        std::ofstream file(fs::path(dir_) / "Kelvane.ini");
        file << "[Inlet]\r\nSimultaneous Samples = 4\r\n";
    }
    kelvane::KelvaneHost host;
    host::ScopedHost scope(host);
    EXPECT_EQ(GetTotalSimultaneousSamples(), 4);
}

// ---- Installation -------------------------------------------------------------------------------

TEST_F(KelvaneHostTest, InstallSetsTheDataDirectoryAndTheHost)
{
    host::Host* before = host::Install(nullptr);
    const std::string data = (fs::path(dir_) / "new" / "data").string();
    kelvane::KelvaneHost* installed = kelvane::install(data);
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(&host::Current(), installed);
    EXPECT_TRUE(fs::is_directory(data));
    EXPECT_EQ(platform::dataDirectory(), data);

    tag_HXFILE value = pathForm("C:\\p\\", "m", "mdb");
    ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &value, 1), 1);
    EXPECT_TRUE(fs::exists(fs::path(data) / "SystemList.ini"));

    // Installing again replaces the host; uninstalling leaves none.
    kelvane::KelvaneHost* again = kelvane::install(data);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(&host::Current(), again);
    kelvane::uninstall();
    EXPECT_NE(&host::Current(), again);
    EXPECT_EQ(GetSystemListValue("SystemList", "METHOD_DB", 0, &value), 0);
    host::Install(before);
}
} // namespace
