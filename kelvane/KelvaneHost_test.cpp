// The stand-in's path forms, system list, number formatting and configuration. The tests of other
// folders install it.
#include "kelvane/KelvaneHost.h"
#include "testing/DialogDriver.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

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
    const std::pair<const char*, const char*> cases[] = {
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
    for (const auto& [path, expected] : cases)
    {
        SCOPED_TRACE(path);
        tag_HXFILE form;
        ASSERT_EQ(host_.ConvertPathToHxFile(form, path), 1);
        EXPECT_EQ(dump(form), expected);
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
// The open dialog asks the person: the path form's file starts it and its extension filters it.
// A choice replaces only the texts; a path the form or the engine's 260-byte buffers cannot hold is
// refused with a message and the person asked again; cancelling leaves the form as it was.
TEST_F(KelvaneHostTest, OpenDialogTakesOnlyPathsTheHostCanHold)
{
    const std::string longDirectory(200, 'd'), longName(100, 'n');
    std::filesystem::create_directories(dir_.file("Q/" + longDirectory));
    for (const std::string& name : {std::string("Q/plasma.mdb"), "Q/" + longDirectory + "/" + longName + ".mdb"})
        ASSERT_TRUE(testkit::writeText(dir_.file(name), "x"));
    const std::string tooLong = "C:\\Q\\" + longDirectory + "\\" + longName + ".mdb";
    // The person's answers ("" cancels), the result, the form's texts after and the messages shown.
    const std::tuple<const char*, std::vector<std::string>, short, const char*, size_t> cases[] = {
        {"host path, default extension added", {"C:\\Q\\plasma"}, 1, "C:\\Q\\|plasma|mdb", 0},
        {"POSIX path", {dir_.file("Q/plasma.mdb")}, 1, "C:\\Q\\|plasma|mdb", 0},
        {"cancelled", {""}, 0, "C:\\Q\\|quan|mdb", 0},
        {"missing file, then cancelled", {"C:\\Q\\gone.mdb", ""}, 0, "C:\\Q\\|quan|mdb", 1},
        {"path too long, then a good one", {tooLong, "C:\\Q\\plasma.mdb"}, 1, "C:\\Q\\|plasma|mdb", 1},
        {"path too long, then cancelled", {tooLong, ""}, 0, "C:\\Q\\|quan|mdb", 1},
    };
    for (const auto& [name, answers, result, texts, messages] : cases)
    {
        SCOPED_TRACE(name);
        testkit::DialogDriver user;
        for (const std::string& answer : answers)
            answer.empty() ? user.cancelFile() : user.chooseFile(answer);
        tag_HXFILE form = pathForm("C:\\Q\\", "quan", "mdb");
        form.SetSecondNumber(77);
        EXPECT_EQ(GenOpenFile(nullptr, nullptr, &form, GENOPENFILE_FLAGS, "Select Quantify Method File"), result);
        EXPECT_EQ(form.Directory().str() + "|" + form.FileName().str() + "|" + form.Extension().str(), texts);
        EXPECT_EQ(form.SecondNumber(), 77u);
        ASSERT_EQ(user.messages().messages().size(), messages);
        if (answers[0] == tooLong)
        {
            EXPECT_EQ(user.messages().messages()[0].text,
                      longName + ".mdb\nThe path of this file is too long.\nChoose a file whose path has at most 259 "
                                 "characters.");
        }
        const platform::FileDialogRequest& asked = user.fileRequests().at(0);
        EXPECT_EQ(asked.title + "|" + asked.initialFile + "|" + asked.defaultExtension,
                  "Select Quantify Method File|C:\\Q\\quan.mdb|mdb");
        EXPECT_EQ(asked.flags, static_cast<DWORD>(GENOPENFILE_FLAGS));
        ASSERT_EQ(asked.filters.size(), 2u);
        EXPECT_EQ(asked.filters[0].first + asked.filters[0].second + asked.filters[1].second,
                  "MDB Files (*.mdb)*.mdb*.*");
    }
}

// The general dialog asks the person, and the request's numbers come back as they went. The preset
// answer that stands in for the person is the driver's test (QuanCommand).
TEST_F(KelvaneHostTest, GeneralDialogUsesThePresetAnswerOrAsks)
{
    testkit::DialogDriver user;
    const auto ask = [](std::string& texts) {
        tag_FILE_DIALOG_REQUEST request;
        request.SetTitle("File Open - LIMS Export File");
        request.SetDirectory("C:\\Out\\");
        request.SetFileName("old");
        request.SetExtension("txt");
        request.SetFirstNumber(3.5);
        const short result = GenGetNormalFile(nullptr, nullptr, &request);
        texts = request.Directory().str() + "|" + request.FileName().str() + "|" + request.Extension().str() + "|" +
                std::to_string(request.FirstNumber());
        return result;
    };
    std::string texts;
    user.cancelFile();
    EXPECT_EQ(std::to_string(ask(texts)) + " " + texts, "0 C:\\Out\\|old|txt|3.500000");
    user.chooseFile("C:\\Out\\new.csv");
    EXPECT_EQ(std::to_string(ask(texts)) + " " + texts, "1 C:\\Out\\|new|csv|3.500000") << "no file need exist yet";
    ASSERT_EQ(user.fileRequests().size(), 2u);
    EXPECT_EQ(user.fileRequests()[0].title + "|" + user.fileRequests()[0].initialFile,
              "File Open - LIMS Export File|C:\\Out\\old.txt");
}
} // namespace
