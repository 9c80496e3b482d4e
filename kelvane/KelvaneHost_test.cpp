// The stand-in's path forms, system list, number formatting and configuration. The tests of other
// folders install it.
#include "kelvane/KelvaneHost.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>

namespace
{
tag_HXFILE pathForm(const char* directory, const char* name, const char* extension)
{
    tag_HXFILE form;
    form.SetDirectory(directory);
    form.SetFileName(name);
    form.SetExtension(extension);
    return form;
}

// The form's three texts and the path it joins to, as "directory|name|extension|path".
std::string dump(const tag_HXFILE& form, int limit = 1024)
{
    char back[1024];
    const int joined = host::Current().ConvertHxFileToPath(back, limit, form);
    return form.Directory().str() + "|" + form.FileName().str() + "|" + form.Extension().str() + "|" + back +
           (joined ? "" : " (cut)");
}

// Each test runs on its own data directory (what C:\ names).
class KelvaneHostTest : public ::testing::Test
{
  protected:
    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost scope_{host_};
};

TEST_F(KelvaneHostTest, PathFormSplitsJoinsAndRefusesOverlongParts)
{
    struct Case
    {
        const char *path, *expected;
    };
    const Case cases[] = {
        {"C:\\Data\\Proj.PRO\\abc.tym", "C:\\Data\\Proj.PRO\\|abc|tym|C:\\Data\\Proj.PRO\\abc.tym"},
        {"C:\\x\\archive.tar.gz", "C:\\x\\|archive.tar|gz|C:\\x\\archive.tar.gz"}, {"C:\\x\\a", "C:\\x\\|a||C:\\x\\a"},
        {"C:\\x\\.hidden", "C:\\x\\||hidden|C:\\x\\.hidden"},
        {"z:/runs/A001.RAW", "z:\\runs\\|A001|RAW|z:\\runs\\A001.RAW"},
        {"C:name.txt", "C:\\|name|txt|C:\\name.txt"}, {"C:\\dir\\", "C:\\dir\\|||C:\\dir\\"}, {"", "|||"},
        {"\\\\server\\share\\f.spl", "\\\\server\\share\\|f|spl|\\\\server\\share\\f.spl"},
        {"rel\\list.spl", "C:\\rel\\|list|spl|C:\\rel\\list.spl"}, // against the current folder
        {"/no-root/P.PRO/a.tym", "Z:\\no-root\\P.PRO\\|a|tym|Z:\\no-root\\P.PRO\\a.tym"},
    };
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        tag_HXFILE form;
        ASSERT_EQ(host_.ConvertPathToHxFile(form, c.path), 1);
        EXPECT_EQ(dump(form), c.expected);
    }
    std::filesystem::current_path(previous);
    tag_HXFILE form = pathForm("C:\\dir", "name", "ext");
    EXPECT_EQ(host_.ConvertPathToHxFile(form, nullptr), 0);
    // A directory without a trailing backslash gets one; a path cut to the limit says so.
    EXPECT_EQ(dump(form, 16), "C:\\dir|name|ext|C:\\dir\\name.ext");
    EXPECT_EQ(dump(form, 10), "C:\\dir|name|ext|C:\\dir\\na (cut)");
    // Each part has its own width; a part one longer than it fits is refused and the form kept.
    const std::string d = "C:\\", x = "C:\\x\\";
    const std::pair<std::string, int> widths[] = {
        {d + std::string(255, 'd') + "\\a.b", 1}, {d + std::string(256, 'd') + "\\a.b", 0},
        {x + std::string(255, 'n') + ".b", 1},    {x + std::string(256, 'n') + ".b", 0},
        {x + "a." + std::string(257, 'e'), 1},    {x + "a." + std::string(258, 'e'), 0},
    };
    for (const auto& [path, expected] : widths)
    {
        SCOPED_TRACE(path.size());
        tag_HXFILE form = pathForm("C:\\old\\", "old", "old");
        form.SetSecondNumber(77);
        ASSERT_EQ(ConvertPathToHxFile(&form, path.c_str()), expected);
        EXPECT_EQ(dump(form).substr(dump(form).rfind('|') + 1), expected ? path : "C:\\old\\old.old");
        EXPECT_EQ(form.SecondNumber(), 77u) << "only the texts belong to the conversion";
    }
}

// Keys are found in any case; blanks around a value survive; an empty value is a value of its own,
// while a key never set is not found and clears the form.
TEST_F(KelvaneHostTest, SystemListKeepsValuesAcrossHostsAndTellsUnsetKeysApart)
{
    {
        kelvane::KelvaneHost writer;
        host::ScopedHost scope(writer);
        for (const auto& [key, form] : {std::pair{"METHOD_DB", pathForm("C:\\a\\", "one", "mdb")},
                                        {"method_db", pathForm("C:\\Study.PRO\\MethDB\\", "quan", "mdb")},
                                        {"TUNE_DB", pathForm("", " tune ", "")}, {"LC_DB", tag_HXFILE()}})
            ASSERT_EQ(SetSystemListValue("SystemList", key, &form, 1), 1);
    }
    std::string seen;
    for (const char* key : {"Method_DB", "TUNE_DB", "LC_DB", "SAMPLES_DB", ""})
    {
        tag_HXFILE value = pathForm("C:\\junk\\", "junk", "junk");
        value.SetChosen(1);
        seen += std::to_string(host_.GetSystemListValue("SystemList", key, 0, value));
        seen += " " + dump(value) + " " + std::to_string(value.Chosen()) + "\n";
    }
    EXPECT_EQ(seen, "1 C:\\Study.PRO\\MethDB\\|quan|mdb|C:\\Study.PRO\\MethDB\\quan.mdb 0\n1 | tune || tune  0\n"
                    "1 ||| 0\n0 ||| 0\n0 ||| 0\n");
    EXPECT_EQ(host_.SetSystemListValue("SystemList", "", tag_HXFILE(), 1), 0);
    EXPECT_EQ(host_.GetSystemListValue("", "TUNE_DB", 0, *std::make_unique<tag_HXFILE>()), 0);
}

TEST_F(KelvaneHostTest, FtoaRendersFixedPointAndReadsBack)
{
    const double inf = std::numeric_limits<double>::infinity();
    // 1.005 is just below it as a double, 0.125 an exact tie that rounds to even; -2e59 in fixed point
    // takes 64 characters, one more than the buffer holds.
    const std::tuple<double, int, const char*> cases[] = {
        {10.0, 2, "10.00"}, {-1.239, 2, "-1.24"}, {-0.001, 2, "0.00"}, {-0.0, 2, "0.00"}, {2.7, -3, "3"},
        {1.005, 2, "1.00"}, {0.125, 2, "0.12"}, {1.0, 99, "1.000000000000000000000000000000"}, {-2e59, 2, "-2e+59"},
        {1e300, 2, "1e+300"}, {1.5e61, 2, "1.5e+61"}, {1.7976931348623157e308, 2, "1.7976931348623157e+308"},
        {std::nan(""), 2, "nan"}, {inf, 2, "inf"}, {-inf, 2, "-inf"},
    };
    for (const auto& [value, precision, expected] : cases)
    {
        SCOPED_TRACE(::testing::Message() << value << " at " << precision);
        char buffer[80];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(host_.ftoa(value, buffer, precision), buffer);
        EXPECT_STREQ(buffer, expected);
        EXPECT_EQ(buffer[64], '#') << "written past the 64 bytes a caller hands";
    }
}

TEST_F(KelvaneHostTest, SimultaneousSamplesDefaultConfiguredAndSet)
{
    for (const auto& [text, expected] : {std::pair{"4", 4}, {"1024", 1024}, {"1025", 1}, {"0", 1}, {"4x", 1}, {"", 1}})
    {
        testkit::writeText(dir_.file("Kelvane.ini"), std::string("[Inlet]\r\nSimultaneous Samples = ") + text + "\r\n");
        EXPECT_EQ(host_.GetTotalSimultaneousSamples(), expected) << text;
    }
    host_.SetTotalSimultaneousSamples(2);
    EXPECT_EQ(host_.GetTotalSimultaneousSamples(), 2) << "a set count wins over the file";
}
} // namespace
