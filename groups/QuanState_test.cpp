// The quantify state on real sample-list files of the Kelvane stand-in, and on a mock host where
// the host calls themselves are the point.
#include "groups/QuanState.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;

// Every test starts from a closed list and group 0 with rows 0 to 0, whatever ran before.
void resetQuanState()
{
    QuanCloseSampleList();
    nQuanGroup = 0;
    nQuanGroups = 0;
}

class QuanStateTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        resetQuanState();
    }
    void TearDown() override
    {
        resetQuanState();
    }

    // Writes a CSV list with one row per SAMPLE_GROUP cell and returns its host path.
    std::string csvList(const std::string& name, const std::vector<std::string>& cells)
    {
        std::string text = "FILE_NAME,SAMPLE_GROUP,METH_DB\n";
        for (const std::string& cell : cells)
            text += "S,\"" + cell + "\",old\n";
        testkit::writeText(dir_.file(name), text);
        return platform::toHostPath(dir_.file(name));
    }

    std::string title()
    {
        static int window;
        testkit::ScriptedUserInterface ui;
        EXPECT_EQ(QuanSetTitle(reinterpret_cast<HWND>(&window)), 1);
        return ui.windowTexts().empty() ? std::string("(none)") : ui.windowTexts().back().text;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(QuanStateTest, TitleAndFlagFollowTheCurrentGroup)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> cells;
        int group; // -1: left as it was
        const char* title;
        int flag;
    };
    const Case cases[] = {
        {"every row unlabelled", {"", " ", ""}, 0, "Quantify", 1},
        {"second group unlabelled", {"A", ""}, 1, "Quantify (Group 2 - Unlabelled)", 0},
        // Opening does not reset the current group; one the new list does not have is not read.
        {"current group beyond the groups", {"A"}, -1, "Quantify", 0},
        {"two names", {"b a", "A;B", "C"}, 0, "Quantify (Group 1 - A B)", 0},
        {"one labelled group", {"x", "X,"}, 0, "Quantify (Group 1 - X)", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(QuanOpenSampleList(csvList("t.csv", c.cells).c_str()), 1);
        int flag = 0;
        if (c.group >= 0)
        {
            ASSERT_EQ(QuanChangeGroup(0, c.group, &flag), 1);
        }
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(title(), c.title);
    }
    EXPECT_EQ(QuanSetTitle(nullptr), 0);
}

TEST_F(QuanStateTest, ChangeGroupAndSampleSteps)
{
    // Rows 4 to 6 form the second group: samples 5 to 7.
    ASSERT_EQ(QuanOpenSampleList(csvList("s.csv", {"A", "A", "A", "A", "B", "B", "B", "C"}).c_str()), 1);
    struct Case
    {
        int groups; // the exported count, which the host may have changed
        int index;
        int result;
    };
    for (const Case c : {Case{3, -1, 0}, Case{3, 0, 1}, Case{2, 2, 0}, Case{10, 3, 0}, Case{3, 1, 1}})
    {
        SCOPED_TRACE(testing::Message() << c.groups << " groups, index " << c.index);
        nQuanGroup = 0;
        nQuanGroups = c.groups;
        int flag = 5;
        EXPECT_EQ(QuanChangeGroup(0, c.index, &flag), c.result);
        EXPECT_EQ(flag, c.result ? 0 : 5);
        EXPECT_EQ(nQuanGroup, c.result ? c.index : 0);
    }
    // From every sample 1 to 9, the next and then the previous sample of group 2; "!" marks a wrap.
    std::string steps;
    for (int (*step)(int*) : {QuanIncrimentSample, QuanDecrimentSample})
    {
        EXPECT_EQ(step(nullptr), 0);
        for (int from = 1; from <= 9; ++from)
        {
            int sample = from;
            steps += step(&sample) ? std::to_string(sample) + "! " : std::to_string(sample) + " ";
        }
    }
    EXPECT_EQ(steps, "5 5 5 5 6 7 5! 5! 5! 7! 7! 7! 7! 7! 5 6 7 7 ");
}

// The set functions write through to the file: reopened, the list shows the new text in every row
// of the group and in no other, in both file forms.
// The host hands back the getters' own texts (the open list's memory), to copy a cell or to
// reopen the current list after a change.
TEST_F(QuanStateTest, SetIsWrittenToTheFileAndTheCurrentListReopens)
{
    // Names too long to be stored inside the list's own object, so a freed name reads as garbage.
    for (const char* name : {"quantify_sample_list.csv", "quantify_sample_list.spl"})
    {
        SCOPED_TRACE(name);
        std::string path = csvList("quantify_sample_list.csv", {"A", "A", "B", "B", "B", "C"});
        kelvane::CsvTable table;
        std::string error;
        if (std::string_view(name).ends_with(".spl"))
        {
            ASSERT_TRUE(
                kelvane::readSampleListTable(platform::toPosixPath(path), kelvane::SampleListFormat::kCsv, table,
                                             error) &&
                kelvane::writeSampleListTable(dir_.file(name), kelvane::SampleListFormat::kDatabase, table, error));
            path = platform::toHostPath(dir_.file(name));
        }
        ASSERT_EQ(QuanOpenSampleList(path.c_str()), 1);
        ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
        EXPECT_STREQ(QuanGetCurrentMethod(), "old");
        ASSERT_EQ(QuanSetCurrentMethod("C:\\Quan\\B.mdb"), 1);
        ASSERT_EQ(QuanSetCurrentMethod(QuanGetCurrentMethod()), 1);
        ASSERT_EQ(QuanSetCurrentCurve(QuanGetCurrentMethod()), 1);
        EXPECT_STREQ(QuanGetCurrentDump(), "");

        ASSERT_EQ(QuanOpenSampleList(QuanGetCurrentSampleList()), 1);
        EXPECT_EQ(QuanGetCurrentSampleList(), path);
        EXPECT_EQ(nQuanGroups, 3);
        EXPECT_STREQ(QuanGetCurrentCurve(), "C:\\Quan\\B.mdb");
        EXPECT_EQ(title(), "Quantify (Group 2 - B)");
        QuanCloseSampleList();

        const std::string posix = platform::toPosixPath(path);
        ASSERT_TRUE(kelvane::readSampleListTable(posix, kelvane::sampleListFormatOf(posix), table, error)) << error;
        ASSERT_EQ(table.header[2], "METH_DB");
        std::string methods;
        for (const auto& row : table.rows)
            methods += row[2] + "|";
        EXPECT_EQ(methods, "old|old|C:\\Quan\\B.mdb|C:\\Quan\\B.mdb|C:\\Quan\\B.mdb|old|");
    }
}

TEST_F(QuanStateTest, FailedOpenClosesTheListButKeepsTheGroupsAndAnEmptyListStaysOpen)
{
    const std::string two = csvList("two.csv", {"A", "B"});
    ASSERT_EQ(QuanOpenSampleList(two.c_str()), 1);
    // The list is recorded as the host's sample list.
    tag_HXFILE stored;
    ASSERT_EQ(GetSystemListValue("SystemList", "SAMPLES_DB", 0, &stored), 1);
    char text[MAX_PATH];
    ConvertHxFileToPath(text, MAX_PATH, &stored);
    EXPECT_EQ(text, two);

    testkit::writeText(dir_.file("bad.csv"), "SAMPLE_GROUP\n\"A\n");
    EXPECT_EQ(QuanOpenSampleList(platform::toHostPath(dir_.file("bad.csv")).c_str()), 0);
    // No list is open now: the getters give the empty text and the setters fail, but the groups
    // outlive the list, so the title still names the current group.
    EXPECT_STREQ(QuanGetCurrentSampleList(), "");
    EXPECT_STREQ(QuanGetCurrentMethod(), "");
    EXPECT_EQ(QuanSetCurrentMethod("x"), 0);
    EXPECT_EQ(nQuanGroups, 2);
    ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
    EXPECT_EQ(title(), "Quantify (Group 2 - B)");
    EXPECT_EQ(QuanOpenSampleList(nullptr), 0);

    testkit::writeText(dir_.file("empty.csv"), "SAMPLE_GROUP\n");
    const std::string empty = platform::toHostPath(dir_.file("empty.csv"));
    EXPECT_EQ(QuanOpenSampleList(empty.c_str()), 0);
    EXPECT_EQ(nQuanGroups, 0);
    EXPECT_STREQ(QuanGetCurrentSampleList(), empty.c_str());
}

TEST_F(QuanStateTest, ChangeDumpFileStoresAChoiceAndKeepsItOnCancel)
{
    char buffer[MAX_PATH] = "unchanged";
    EXPECT_EQ(ChangeDumpFile(nullptr, nullptr), 0);
    EXPECT_EQ(ChangeDumpFile(nullptr, buffer), 0) << "no answer given: the dialog is cancelled";
    EXPECT_STREQ(buffer, "");

    host_.SetNormalFileAnswer("C:\\Lims\\Export.txt");
    ASSERT_EQ(ChangeDumpFile(nullptr, buffer), 1);
    EXPECT_STREQ(buffer, "C:\\Lims\\Export.txt");

    host_.ClearNormalFileAnswer();
    EXPECT_EQ(ChangeDumpFile(nullptr, buffer), 0);
    tag_HXFILE stored;
    ASSERT_EQ(GetSystemListValue("SystemList", "QUAN_DUMP_FILE", 0, &stored), 1);
    EXPECT_EQ(stored.FileName().str(), "Export");
}

TEST(QuanStateColumns, MissingFieldIsMinusOneAndNamesCompareByteForByte)
{
    const tag_SLFIELDDEF table[] = {{"FILE_NAME", "File Name", 255}, {"METH_DB", "Method", 255}};
    EXPECT_EQ(groups::detail::findFieldColumn(table, 2, "METH_DB"), 1);
    EXPECT_EQ(groups::detail::findFieldColumn(table, 2, "meth_db"), -1);
    EXPECT_EQ(groups::detail::findFieldColumn(table, 1, "METH_DB"), -1);
}

// The extension chooses the host class and call: a mock host records which read was asked for,
// and fails it.
TEST(QuanStateOnMockHost, ExtensionChoosesTheListType)
{
    using Kind = host::SampleListKind;
    for (const auto& c : {std::pair{"C:\\a.SPL", Kind::kDatabase}, std::pair{"C:\\a.olb", Kind::kLoaded},
                          std::pair{"C:\\a.Sdb", Kind::kLoaded}, std::pair{"C:\\a.txt", Kind::kFormatted},
                          std::pair{"C:\\a", Kind::kFormatted}})
    {
        SCOPED_TRACE(c.first);
        NiceMock<host::MockHost> mock;
        host::ScopedHost installed(mock);
        EXPECT_CALL(mock, ReadSampleList(_, c.second, _, _)).WillOnce(Return(0));
        EXPECT_EQ(QuanOpenSampleList(c.first), 0);
        EXPECT_STREQ(QuanGetCurrentSampleList(), "");
    }
    CSampleListMem sentinel;
    for (const int code : {0, 5})
    {
        CSampleListMem* list = &sentinel;
        const tag_SELECT_DATATYPE type = {"", "", code, "", ""};
        EXPECT_EQ(OpenUnknownSampleList("C:\\a.csv", list, type), 0);
        EXPECT_EQ(list, &sentinel) << "type code " << code;
    }
}

// The host refuses to write the list back (a read-only or locked file): the set function says so.
TEST(QuanStateOnMockHost, SetReportsAFailedWriteBack)
{
    resetQuanState();
    NiceMock<host::MockHost> mock;
    host::ScopedHost installed(mock);
    ON_CALL(mock, ReadSampleList(_, _, _, _))
        .WillByDefault([](CSampleListMem& list, host::SampleListKind, const char*, const tag_SELECT_DATATYPE&) {
            list.AddRow();
            list.AddRow();
            return 1;
        });
    EXPECT_CALL(mock, WriteSampleList(_, host::SampleListKind::kFormatted)).WillOnce(Return(0)).WillOnce(Return(1));
    ASSERT_EQ(QuanOpenSampleList("C:\\a.csv"), 1);
    ASSERT_EQ(QuanChangeGroup(0, 0, nullptr), 1);
    EXPECT_EQ(QuanSetCurrentDump("d.txt"), 0);
    EXPECT_STREQ(QuanGetCurrentDump(), "d.txt");
    EXPECT_EQ(QuanSetCurrentDump("e.txt"), 1);
    resetQuanState();
}
} // namespace
