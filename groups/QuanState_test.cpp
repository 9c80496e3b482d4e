// The quantify state on real sample-list files of the Kelvane stand-in, and on a mock host where
// the host calls themselves are the point. The driver's end-to-end tests cover the listing of
// groups and the write-back of one group's method in both file forms.
#include "groups/QuanState.h"
#include "kelvane/KelvaneHost.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;

class QuanStateTest : public ::testing::Test
{
  protected:
    // Every test leaves a closed list and group 0 with rows 0 to 0, as the library starts.
    void TearDown() override
    {
        QuanCloseSampleList();
        nQuanGroup = 0;
        nQuanGroups = 0;
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

// The flag is 1 for a list with one group and no label; the title shows "Unlabelled" only where
// there are several groups.
TEST_F(QuanStateTest, TitleAndFlagFollowTheCurrentGroup)
{
    int flag = 5;
    ASSERT_EQ(QuanOpenSampleList(csvList("t.csv", {"", " ", ""}).c_str()) + QuanChangeGroup(0, 0, &flag), 2);
    EXPECT_EQ(title() + std::to_string(flag), "Quantify1");
    ASSERT_EQ(QuanOpenSampleList(csvList("t.csv", {"A", ""}).c_str()) + QuanChangeGroup(0, 1, &flag), 2);
    EXPECT_EQ(title() + std::to_string(flag), "Quantify (Group 2 - Unlabelled)0");
    // Opening does not reset the current group; one the new list does not have is not read.
    ASSERT_EQ(QuanOpenSampleList(csvList("t.csv", {"A"}).c_str()), 1);
    EXPECT_EQ(title(), "Quantify");
}

// Null arguments are refused; a field the table lacks (names compare byte for byte) is -1.
TEST_F(QuanStateTest, NullArgumentsAndMissingFieldsAreRefused)
{
    const tag_SLFIELDDEF table[] = {{"FILE_NAME", "File Name", 255}, {"METH_DB", "Method", 255}};
    using groups::detail::findFieldColumn;
    EXPECT_EQ(findFieldColumn(table, 2, "METH_DB"), 1);
    EXPECT_EQ(findFieldColumn(table, 2, "meth_db") + findFieldColumn(table, 1, "METH_DB"), -2);
    EXPECT_EQ(QuanSetTitle(nullptr) + QuanIncrimentSample(nullptr) + QuanDecrimentSample(nullptr) +
                  QuanOpenSampleList(nullptr) + ChangeDumpFile(nullptr, nullptr),
              0);
    // A host without a file dialog: the choice is refused, never taken as made.
    host::Host none;
    const host::ScopedHost installed(none);
    char chosen[MAX_PATH] = "old";
    EXPECT_EQ(ChangeDumpFile(nullptr, chosen) * 10 + (chosen[0] == '\0'), 1);
}

TEST_F(QuanStateTest, ChangeGroupAndSampleSteps)
{
    // Rows 4 to 6 form the second group: samples 5 to 7.
    ASSERT_EQ(QuanOpenSampleList(csvList("s.csv", {"A", "A", "A", "A", "B", "B", "B", "C"}).c_str()), 1);
    // The exported count, which the host may have changed, the index and the result.
    for (const auto& [groups, index, result] : {std::tuple{3, -1, 0}, {3, 0, 1}, {2, 2, 0}, {10, 3, 0}, {3, 1, 1}})
    {
        SCOPED_TRACE(testing::Message() << groups << " groups, index " << index);
        nQuanGroup = 0;
        nQuanGroups = groups;
        int flag = 5;
        EXPECT_EQ(QuanChangeGroup(0, index, &flag), result);
        EXPECT_EQ(flag * 10 + nQuanGroup, result ? index : 50);
    }
    // From every sample 1 to 9, the next and then the previous sample of group 2; "!" marks a wrap.
    std::string steps;
    for (int (*step)(int*) : {QuanIncrimentSample, QuanDecrimentSample})
    {
        for (int from = 1; from <= 9; ++from)
        {
            int sample = from;
            steps += step(&sample) ? std::to_string(sample) + "! " : std::to_string(sample) + " ";
        }
    }
    EXPECT_EQ(steps, "5 5 5 5 6 7 5! 5! 5! 7! 7! 7! 7! 7! 5 6 7 7 ");
}

// The host hands back the getters' own texts (the open list's memory), to copy a cell or to
// reopen the current list after a change; the name is too long to be stored inside the list's own
// object, so a freed name reads as garbage. The change reaches every row of the group, and no other.
TEST_F(QuanStateTest, SetIsWrittenToTheFileAndTheCurrentListReopens)
{
    const std::string path = csvList("quantify_sample_list.csv", {"A", "A", "B", "B", "B", "C"});
    ASSERT_EQ(QuanOpenSampleList(path.c_str()), 1);
    ASSERT_EQ(QuanChangeGroup(0, 1, nullptr), 1);
    EXPECT_STREQ(QuanGetCurrentMethod(), "old");
    ASSERT_EQ(QuanSetCurrentMethod("C:\\Quan\\B.mdb"), 1);
    ASSERT_EQ(QuanSetCurrentMethod(QuanGetCurrentMethod()), 1);
    ASSERT_EQ(QuanSetCurrentCurve(QuanGetCurrentMethod()), 1);

    ASSERT_EQ(QuanOpenSampleList(QuanGetCurrentSampleList()), 1);
    EXPECT_EQ(QuanGetCurrentSampleList(), path);
    EXPECT_STREQ(QuanGetCurrentCurve(), "C:\\Quan\\B.mdb");
    EXPECT_EQ(title(), "Quantify (Group 2 - B)");
    QuanCloseSampleList();

    EXPECT_EQ(testkit::readText(platform::toPosixPath(path)),
              "FILE_NAME,SAMPLE_GROUP,METH_DB,CURVE_DB\nS,\"A\",old\nS,\"A\",old\n"
              "S,\"B\",C:\\Quan\\B.mdb,C:\\Quan\\B.mdb\nS,\"B\",C:\\Quan\\B.mdb,C:\\Quan\\B.mdb\n"
              "S,\"B\",C:\\Quan\\B.mdb,C:\\Quan\\B.mdb\nS,\"C\",old\n");
}

TEST_F(QuanStateTest, FailedOpenClosesTheListButKeepsTheGroupsAndAnEmptyListStaysOpen)
{
    ASSERT_EQ(QuanOpenSampleList(csvList("two.csv", {"A", "B"}).c_str()), 1);
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

    testkit::writeText(dir_.file("empty.csv"), "SAMPLE_GROUP\n");
    const std::string empty = platform::toHostPath(dir_.file("empty.csv"));
    EXPECT_EQ(QuanOpenSampleList(empty.c_str()), 0);
    EXPECT_EQ(nQuanGroups, 0);
    EXPECT_STREQ(QuanGetCurrentSampleList(), empty.c_str());
}

// The extension chooses the host class and call: a mock host records which read was asked for,
// and fails it. Type codes outside 1 to 4 open nothing and leave the list alone.
TEST(QuanStateOnMockHost, ExtensionChoosesTheListType)
{
    using Kind = host::SampleListKind;
    for (const auto& [path, kind] : {std::pair{"C:\\a.SPL", Kind::kDatabase}, {"C:\\a.olb", Kind::kLoaded},
                                     {"C:\\a.Sdb", Kind::kLoaded}, {"C:\\a.txt", Kind::kFormatted},
                                     {"C:\\a", Kind::kFormatted}})
    {
        SCOPED_TRACE(path);
        NiceMock<host::MockHost> mock;
        host::ScopedHost installed(mock);
        EXPECT_CALL(mock, ReadSampleList(_, kind, _, _)).WillOnce(Return(0));
        EXPECT_EQ(QuanOpenSampleList(path), 0);
        EXPECT_STREQ(QuanGetCurrentSampleList(), "");
    }
    CSampleListMem sentinel;
    for (const int code : {0, 5})
    {
        CSampleListMem* list = &sentinel;
        EXPECT_EQ(OpenUnknownSampleList("C:\\a.csv", list, {"", "", code, "", ""}), 0);
        EXPECT_EQ(list, &sentinel) << "type code " << code;
    }
}
} // namespace
