// The stand-in's path forms, system list, number formatting, configuration and installation.
#include "kelvane/KelvaneHost.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;

tag_HXFILE pathForm(const char* directory, const char* name, const char* extension)
{
    tag_HXFILE form;
    form.SetDirectory(directory);
    form.SetFileName(name);
    form.SetExtension(extension);
    return form;
}

// Each test runs on its own data directory (what C:\ names).
class KelvaneHostTest : public ::testing::Test
{
  protected:
    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
};

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
        {"C:\\Data\\Proj.PRO\\abc.tym", "C:\\Data\\Proj.PRO\\", "abc", "tym", "C:\\Data\\Proj.PRO\\abc.tym"},
        {"C:\\x\\archive.tar.gz", "C:\\x\\", "archive.tar", "gz", "C:\\x\\archive.tar.gz"},
        {"C:\\x\\noext", "C:\\x\\", "noext", "", "C:\\x\\noext"},
        {"C:\\x\\.hidden", "C:\\x\\", "", "hidden", "C:\\x\\.hidden"},
        {"z:/runs/A001.RAW", "z:\\runs\\", "A001", "RAW", "z:\\runs\\A001.RAW"},
        {"C:name.txt", "C:\\", "name", "txt", "C:\\name.txt"},
        {"C:\\dir\\", "C:\\dir\\", "", "", "C:\\dir\\"},
        {"\\\\server\\share\\f.spl", "\\\\server\\share\\", "f", "spl", "\\\\server\\share\\f.spl"},
        {"", "", "", "", ""},
        {"rel\\list.spl", "C:\\rel\\", "list", "spl", "C:\\rel\\list.spl"}, // against the current folder
        {"/no-root/P.PRO/a.tym", "Z:\\no-root\\P.PRO\\", "a", "tym", "Z:\\no-root\\P.PRO\\a.tym"},
    };
    const fs::path previous = fs::current_path();
    fs::current_path(dir_.path());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        tag_HXFILE form;
        ASSERT_EQ(host_.ConvertPathToHxFile(form, c.path), 1);
        EXPECT_EQ(form.Directory(), c.directory);
        EXPECT_EQ(form.FileName(), c.name);
        EXPECT_EQ(form.Extension(), c.extension);
        char back[MAX_PATH];
        EXPECT_EQ(host_.ConvertHxFileToPath(back, MAX_PATH, form), 1);
        EXPECT_STREQ(back, c.joined);
    }
    fs::current_path(previous);
    tag_HXFILE form;
    EXPECT_EQ(host_.ConvertPathToHxFile(form, nullptr), 0);
}

// Each part has its own width; a part one longer than it fits is refused and the form kept.
TEST_F(KelvaneHostTest, OverlongPartsAreRefusedAndTheFormKept)
{
    struct Case
    {
        std::string path;
        int expected;
    };
    const Case cases[] = {
        {"C:\\" + std::string(255, 'd') + "\\a.b", 1}, {"C:\\" + std::string(256, 'd') + "\\a.b", 0},
        {"C:\\x\\" + std::string(255, 'n') + ".b", 1}, {"C:\\x\\" + std::string(256, 'n') + ".b", 0},
        {"C:\\x\\a." + std::string(257, 'e'), 1},      {"C:\\x\\a." + std::string(258, 'e'), 0},
    };
    host::ScopedHost scope(host_);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path.size());
        tag_HXFILE form = pathForm("C:\\old\\", "old", "old");
        form.SetSecondNumber(77);
        ASSERT_EQ(ConvertPathToHxFile(&form, c.path.c_str()), c.expected);
        char back[1024];
        EXPECT_EQ(ConvertHxFileToPath(back, sizeof back, &form), 1);
        EXPECT_EQ(back, c.expected ? c.path : "C:\\old\\old.old");
        EXPECT_EQ(form.SecondNumber(), 77u) << "only the texts belong to the conversion";
    }
}

TEST_F(KelvaneHostTest, JoinedPathIsCutToTheLimit)
{
    const tag_HXFILE form = pathForm("C:\\dir", "name", "ext"); // no trailing backslash
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(host_.ConvertHxFileToPath(out, 10, form), 0);
    EXPECT_STREQ(out, "C:\\dir\\na");
    EXPECT_EQ(out[10], '#') << "written past the limit";
    EXPECT_EQ(host_.ConvertHxFileToPath(out, 16, form), 1);
    EXPECT_STREQ(out, "C:\\dir\\name.ext");
    EXPECT_EQ(host_.ConvertHxFileToPath(out, 0, form), 0);
}

TEST_F(KelvaneHostTest, SystemListKeepsValuesAcrossHostsAndTellsUnsetKeysApart)
{
    {
        kelvane::KelvaneHost writer;
        host::ScopedHost scope(writer);
        const tag_HXFILE first = pathForm("C:\\a\\", "one", "mdb");
        ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &first, 1), 1);
        const tag_HXFILE method = pathForm("C:\\Study.PRO\\MethDB\\", "quan", "mdb");
        ASSERT_EQ(SetSystemListValue("SystemList", "method_db", &method, 1), 1);
        // Blanks around a value would be lost unless the value is quoted in the file.
        const tag_HXFILE tune = pathForm("", " tune ", "");
        ASSERT_EQ(SetSystemListValue("SystemList", "TUNE_DB", &tune, 1), 1);
        const tag_HXFILE empty;
        ASSERT_EQ(SetSystemListValue("SystemList", "LC_DB", &empty, 1), 1);
    }
    const std::string file = readText(dir_.file("SystemList.ini"));
    EXPECT_NE(file.find("[SystemList]"), std::string::npos) << file;
    EXPECT_NE(file.find("METHOD_DB=C:\\Study.PRO\\MethDB\\quan.mdb"), std::string::npos) << file;
    EXPECT_EQ(file.find("one.mdb"), std::string::npos) << file;
    tag_HXFILE value;
    ASSERT_EQ(host_.GetSystemListValue("SystemList", "Method_DB", 0, value), 1);
    EXPECT_EQ(value.Directory(), "C:\\Study.PRO\\MethDB\\");
    EXPECT_EQ(value.FileName(), "quan");
    EXPECT_EQ(value.Extension(), "mdb");
    ASSERT_EQ(host_.GetSystemListValue("SystemList", "TUNE_DB", 0, value), 1);
    EXPECT_EQ(value.FileName(), " tune ");
    // An empty value is a value of its own; a key never set is not found and clears the form.
    EXPECT_EQ(host_.GetSystemListValue("SystemList", "LC_DB", 0, value), 1);
    EXPECT_EQ(value.FileName(), "");
    value = pathForm("C:\\junk\\", "junk", "junk");
    value.SetChosen(1);
    EXPECT_EQ(host_.GetSystemListValue("SystemList", "SAMPLES_DB", 0, value), 0);
    EXPECT_EQ(value.Directory(), "");
    EXPECT_EQ(value.Chosen(), 0);
    EXPECT_EQ(host_.SetSystemListValue("SystemList", "", value, 1), 0);
    EXPECT_EQ(host_.GetSystemListValue("", "TUNE_DB", 0, value), 0);
}

TEST_F(KelvaneHostTest, FtoaRendersFixedPointAndReadsBack)
{
    struct Case
    {
        double value;
        int precision;
        const char* expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {10.0, 2, "10.00"},
        {-1.239, 2, "-1.24"},
        {1.005, 2, "1.00"}, // the double is just below 1.005
        {0.125, 2, "0.12"}, // an exact tie rounds to even
        {-0.001, 2, "0.00"},
        {-0.0, 2, "0.00"},
        {2.7, -3, "3"},
        {1.0, 99, "1.000000000000000000000000000000"},
        {-2e59, 2, "-2e+59"}, // 64 characters in fixed point: one more than the buffer holds
        {1e300, 2, "1e+300"},
        {1.5e61, 2, "1.5e+61"},
        {std::numeric_limits<double>::max(), 2, "1.7976931348623157e+308"},
        {std::nan(""), 2, "nan"},
        {inf, 2, "inf"},
        {-inf, 2, "-inf"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.value << " at " << c.precision);
        char buffer[80];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(host_.ftoa(c.value, buffer, c.precision), buffer);
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(buffer[64], '#') << "written past the 64 bytes a caller hands";
    }
}

TEST_F(KelvaneHostTest, SimultaneousSamplesDefaultConfiguredAndSet)
{
    EXPECT_EQ(host_.GetTotalSimultaneousSamples(), 1) << "no configuration file";
    testkit::writeText(dir_.file("Kelvane.ini"), "[Inlet]\r\nSimultaneous Samples = 4\r\n");
    EXPECT_EQ(host_.GetTotalSimultaneousSamples(), 4) << "a file written by hand";
    struct Case
    {
        const char* text;
        int expected;
    };
    const Case cases[] = {{"2", 2}, {"1024", 1024}, {"1025", 1}, {"0", 1}, {"-2", 1}, {"4x", 1}, {"", 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(WritePrivateProfileStringA(kelvane::KelvaneHost::kInletSection,
                                               kelvane::KelvaneHost::kSimultaneousSamplesKey, c.text,
                                               kelvane::KelvaneHost::kConfigurationFile));
        EXPECT_EQ(host_.GetTotalSimultaneousSamples(), c.expected);
    }
    host_.SetTotalSimultaneousSamples(2);
    EXPECT_EQ(host_.GetTotalSimultaneousSamples(), 2) << "a set count wins over the file";
    host_.SetTotalSimultaneousSamples(0);
    EXPECT_EQ(host_.GetTotalSimultaneousSamples(), 1);
}

TEST_F(KelvaneHostTest, InstallSetsTheDataDirectoryAndTheHost)
{
    host::Host* before = host::Install(nullptr);
    const std::string data = dir_.file("new/data");
    kelvane::KelvaneHost* installed = kelvane::install(data);
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(&host::Current(), installed);
    EXPECT_EQ(platform::dataDirectory(), data);
    tag_HXFILE value = pathForm("C:\\p\\", "m", "mdb");
    ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &value, 1), 1);
    EXPECT_TRUE(fs::exists(data + "/SystemList.ini"));

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
