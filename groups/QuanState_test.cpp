// The quantify state on real sample-list files of the Kelvane stand-in, and on a mock host where
// the host calls themselves are the point.
#include "groups/QuanState.h"
#include "testing/MockHost.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"
#include "platform/WinPath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using testkit::writeText;
using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;

HWND aWindow()
{
    static int window;
    return reinterpret_cast<HWND>(&window);
}

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
        std::string text = "FILE_NAME,SAMPLE_GROUP,METH_DB,Operator\n";
        for (size_t i = 0; i < cells.size(); ++i)
            text += "S" + std::to_string(i + 1) + ",\"" + cells[i] + "\",old,op" + std::to_string(i + 1) + "\n";
        writeText(dir_.file(name), text);
        return platform::toHostPath(dir_.file(name));
    }

    std::string title()
    {
        testkit::ScriptedUserInterface ui;
        EXPECT_EQ(QuanSetTitle(aWindow()), 1);
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
        int group;
        const char* title;
        int flag;
    };
    const Case cases[] = {
        {"every row unlabelled", {"", " ", ""}, 0, "Quantify", 1},
        {"second group unlabelled", {"A", ""}, 1, "Quantify (Group 2 - Unlabelled)", 0},
        {"two names", {"b a", "A;B", "C"}, 0, "Quantify (Group 1 - A B)", 0},
        {"one labelled group", {"x", "X,"}, 0, "Quantify (Group 1 - X)", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(QuanOpenSampleList(csvList("t.csv", c.cells).c_str()), 1);
        int flag = -1;
        ASSERT_EQ(QuanChangeGroup(0, c.group, &flag), 1);
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(title(), c.title);
    }
    EXPECT_EQ(QuanSetTitle(nullptr), 0);
}

// The current group is not reset by opening a list; a group the new list does not have must not
// be read.
TEST_F(QuanStateTest, StaleGroupAfterReopeningGivesThePlainTitle)
{
    ASSERT_EQ(QuanOpenSampleList(csvList("many.csv", {"A", "B", "C"}).c_str()), 1);
    ASSERT_EQ(QuanChangeGroup(0, 2, nullptr), 1);
    ASSERT_EQ(QuanOpenSampleList(csvList("few.csv", {"A"}).c_str()), 1);
    EXPECT_EQ(nQuanGroups, 1);
    EXPECT_EQ(nQuanGroup, 2);
    EXPECT_EQ(title(), "Quantify");
}

TEST_F(QuanStateTest, ChangeGroupRefusesIndexesOutsideTheGroups)
{
    ASSERT_EQ(QuanOpenSampleList(csvList("g.csv", {"A", "A", "B"}).c_str()), 1);
    ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
    for (const int index : {-1, 2, 1000})
    {
        SCOPED_TRACE(index);
        int flag = 5;
        EXPECT_EQ(QuanChangeGroup(0, index, &flag), 0);
        EXPECT_EQ(flag, 5);
        EXPECT_EQ(nQuanGroup, 1);
    }
    // The exported count is writable by the host; a count above the groups built must not let
    // an index past them through.
    nQuanGroups = 10;
    EXPECT_EQ(QuanChangeGroup(0, 5, nullptr), 0);
}

TEST_F(QuanStateTest, SamplesStepAndWrapWithinTheGroup)
{
    // Rows 4 to 6 form the second group: samples 5 to 7.
    ASSERT_EQ(QuanOpenSampleList(csvList("s.csv", {"A", "A", "A", "A", "B", "B", "B", "C"}).c_str()), 1);
    ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
    struct Case
    {
        bool increment;
        int from;
        int to;
        int wrapped;
    };
    const Case cases[] = {
        {true, 5, 6, 0},  {true, 6, 7, 0},  {true, 7, 5, 1},  {true, 2, 5, 0},  {true, 9, 5, 1},
        {false, 7, 6, 0}, {false, 6, 5, 0}, {false, 5, 7, 1}, {false, 9, 7, 0}, {false, 1, 7, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.increment ? "increment " : "decrement ") + std::to_string(c.from));
        int sample = c.from;
        EXPECT_EQ(c.increment ? QuanIncrimentSample(&sample) : QuanDecrimentSample(&sample), c.wrapped);
        EXPECT_EQ(sample, c.to);
    }
    EXPECT_EQ(QuanIncrimentSample(nullptr), 0);
    EXPECT_EQ(QuanDecrimentSample(nullptr), 0);
}

// The set functions write through to the file: reopened, the list shows the new text in every row
// of the group and in no other, in both file forms, and columns the host does not know survive.
TEST_F(QuanStateTest, SetMethodIsWrittenToTheFileForThatGroupOnly)
{
    for (const char* name : {"w.csv", "w.spl"})
    {
        SCOPED_TRACE(name);
        const std::string csv = csvList("source.csv", {"A", "A", "B", "B", "B", "C"});
        std::string path = csv;
        if (std::string(name) == "w.spl")
        {
            kelvane::CsvTable table;
            std::string error;
            ASSERT_TRUE(
                kelvane::readSampleListTable(dir_.file("source.csv"), kelvane::SampleListFormat::kCsv, table, error));
            ASSERT_TRUE(
                kelvane::writeSampleListTable(dir_.file(name), kelvane::SampleListFormat::kDatabase, table, error));
            path = platform::toHostPath(dir_.file(name));
        }
        ASSERT_EQ(QuanOpenSampleList(path.c_str()), 1);
        ASSERT_EQ(nQuanGroups, 3);
        ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
        EXPECT_STREQ(QuanGetCurrentMethod(), "old");
        ASSERT_EQ(QuanSetCurrentMethod("C:\\Quan\\B.mdb"), 1);
        ASSERT_EQ(QuanSetCurrentCurve("C:\\Quan\\B.cdb"), 1);
        EXPECT_STREQ(QuanGetCurrentMethod(), "C:\\Quan\\B.mdb");
        EXPECT_STREQ(QuanGetCurrentCurve(), "C:\\Quan\\B.cdb");
        EXPECT_STREQ(QuanGetCurrentDump(), "");
        QuanCloseSampleList();

        kelvane::CsvTable table;
        std::string error;
        const std::string posix = platform::toPosixPath(path);
        ASSERT_TRUE(kelvane::readSampleListTable(posix, kelvane::sampleListFormatOf(posix), table, error)) << error;
        ASSERT_EQ(table.rows.size(), 6u);
        ASSERT_EQ(table.header[2], "METH_DB");
        ASSERT_EQ(table.header[3], "Operator");
        for (size_t row = 0; row < table.rows.size(); ++row)
        {
            SCOPED_TRACE(row);
            const bool inGroup = row >= 2 && row <= 4;
            EXPECT_EQ(table.rows[row][2], inGroup ? "C:\\Quan\\B.mdb" : "old");
            EXPECT_EQ(table.rows[row][3], "op" + std::to_string(row + 1));
        }
        ASSERT_EQ(QuanOpenSampleList(path.c_str()), 1);
        ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
        EXPECT_STREQ(QuanGetCurrentCurve(), "C:\\Quan\\B.cdb");
        QuanCloseSampleList();
    }
}

TEST_F(QuanStateTest, WithoutAListGettersAreEmptyAndSettersFail)
{
    ASSERT_EQ(QuanOpenSampleList(csvList("c.csv", {"A", "B"}).c_str()), 1);
    ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
    EXPECT_NE(std::string(QuanGetCurrentSampleList()).find("c.csv"), std::string::npos);
    QuanCloseSampleList();
    EXPECT_STREQ(QuanGetCurrentMethod(), "");
    EXPECT_STREQ(QuanGetCurrentSampleList(), "");
    EXPECT_EQ(QuanSetCurrentMethod("x"), 0);
    EXPECT_EQ(QuanSetCurrentDump("x"), 0);
    // The groups outlive the list, so the title still names the group.
    EXPECT_EQ(title(), "Quantify (Group 2 - B)");
}

TEST_F(QuanStateTest, FailedOpenKeepsThePreviousGroupsAndEmptyListStaysOpen)
{
    ASSERT_EQ(QuanOpenSampleList(csvList("two.csv", {"A", "B"}).c_str()), 1);
    writeText(dir_.file("bad.csv"), "SAMPLE_GROUP\n\"A\n");
    EXPECT_EQ(QuanOpenSampleList(platform::toHostPath(dir_.file("bad.csv")).c_str()), 0);
    EXPECT_STREQ(QuanGetCurrentSampleList(), "");
    EXPECT_EQ(nQuanGroups, 2);
    EXPECT_EQ(QuanOpenSampleList(nullptr), 0);

    writeText(dir_.file("empty.csv"), "SAMPLE_GROUP\n");
    const std::string empty = platform::toHostPath(dir_.file("empty.csv"));
    EXPECT_EQ(QuanOpenSampleList(empty.c_str()), 0);
    EXPECT_EQ(nQuanGroups, 0);
    EXPECT_STREQ(QuanGetCurrentSampleList(), empty.c_str());
}

TEST_F(QuanStateTest, OpenRecordsTheListAsTheHostsSampleList)
{
    const std::string path = csvList("rec.csv", {"A"});
    ASSERT_EQ(QuanOpenSampleList(path.c_str()), 1);
    tag_HXFILE stored;
    ASSERT_EQ(GetSystemListValue("SystemList", "SAMPLES_DB", 0, &stored), 1);
    char text[MAX_PATH];
    ConvertHxFileToPath(text, MAX_PATH, &stored);
    EXPECT_EQ(std::string(text), path);
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
    EXPECT_EQ(groups::detail::findFieldColumn(table, 2, "DUMP_FILE"), -1);
}

// The extension chooses the host class and call: a mock host records which read was asked for.
TEST(QuanStateOnMockHost, ExtensionChoosesTheListType)
{
    struct Case
    {
        const char* path;
        host::SampleListKind kind;
    };
    const Case cases[] = {
        {"C:\\a.spl", host::SampleListKind::kDatabase},        {"C:\\a.SPL", host::SampleListKind::kDatabase},
        {"C:\\a.olb", host::SampleListKind::kLoaded},          {"C:\\a.Sdb", host::SampleListKind::kLoaded},
        {"C:\\a.txt", host::SampleListKind::kFormatted},       {"C:\\a", host::SampleListKind::kFormatted},
        {"C:\\x.PRO\\list", host::SampleListKind::kFormatted},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        NiceMock<host::MockHost> mock;
        host::ScopedHost installed(mock);
        EXPECT_CALL(mock, ReadSampleList(_, c.kind, _, _)).WillOnce(Return(0));
        EXPECT_CALL(mock, WriteSampleList(_, _)).Times(0);
        EXPECT_EQ(QuanOpenSampleList(c.path), 0);
        EXPECT_STREQ(QuanGetCurrentSampleList(), "");
    }
}

TEST(QuanStateOnMockHost, UnknownTypeCodeLeavesThePointerAlone)
{
    CSampleListMem sentinel;
    for (const int code : {0, 5, -1})
    {
        CSampleListMem* list = &sentinel;
        const tag_SELECT_DATATYPE type = {"", "", code, "", ""};
        EXPECT_EQ(OpenUnknownSampleList("C:\\a.csv", list, type), 0);
        EXPECT_EQ(list, &sentinel);
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
