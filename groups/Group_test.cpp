// Tests of CGroup and GetGroups: group construction, row removal and splitting sample lists.
#include "groups/Group.h"
#include "groups/SplitGroups.h"
#include "host/host.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::vector<int> rows(const CIntList& list)
{
    std::vector<int> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(list.GetNext(pos));
    return out;
}

std::string label(const CGroup& group)
{
    const CString text = group;
    return text.str();
}

// A group as GetGroups reports it: label, first row, last row.
struct Span
{
    std::string label;
    int first;
    int last;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Span& span)
{
    return out << '"' << span.label << "\" " << span.first << '-' << span.last;
}

std::vector<Span> spans(const CGroupArray& array)
{
    std::vector<Span> out;
    for (int i = 0; i < array.GetSize(); ++i)
    {
        const std::vector<int> samples = rows(array[i].m_Samples);
        EXPECT_EQ(samples.size(), 2u) << "group " << i;
        out.push_back({label(array[i]), samples.front(), samples.back()});
    }
    return out;
}

// A host sample list in memory with one row per "SAMPLE_GROUP" cell text.
class SampleGroupsTest : public ::testing::Test
{
  protected:
    void addRow(const char* cell)
    {
        list_[list_.AddRow()][column_].SetString(cell, CKVVariant::kTypeString);
    }

    const int column_ = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    CSampleList list_;
};
} // namespace

TEST(Group, ConstructorsCopiesAndComparisons)
{
    const CGroup parsed(CString("b a"), 4);
    EXPECT_EQ(label(parsed), "A B");
    EXPECT_EQ(rows(parsed.m_Samples), (std::vector<int>{4}));
    EXPECT_EQ(label(CGroup(CString(";;"))), "");

    CGroup assigned(CString("z"), 9);
    assigned = parsed;
    assigned.Add(1);
    EXPECT_EQ(rows(assigned.m_Samples), (std::vector<int>{4, 1}));
    EXPECT_EQ(rows(parsed.m_Samples), (std::vector<int>{4}));

    // Rows play no part in comparisons; != orders like a comparison.
    const CGroup b(CGroupItemList(CString("b")), 0);
    EXPECT_EQ(parsed == assigned, 1);
    EXPECT_EQ(parsed != b, -1);
    EXPECT_EQ(b != parsed, 1);
    EXPECT_EQ(parsed < b, 1);
    EXPECT_EQ(b > parsed, 1);
    EXPECT_EQ(b == CString("B"), 1);
    EXPECT_EQ(b != CString("b"), -1);
}

TEST(Group, RemoveFromGroupWalksBothAscendingLists)
{
    struct Case
    {
        const char* name;
        std::vector<int> group;
        std::vector<int> remove;
        std::vector<int> left;
    };
    const Case cases[] = {
        {"middle and last", {1, 5, 7, 9}, {5, 9}, {1, 7}},
        {"last only", {5, 9}, {9}, {5}},
        {"unlisted skipped", {7}, {3, 7}, {}},
        {"empty removal list", {1, 2}, {}, {1, 2}},
        {"empty group", {}, {1, 2}, {}},
        {"one removal per listed value", {4, 4, 4}, {4, 4}, {4}},
        {"nothing in common", {2, 4, 6}, {1, 3, 5, 7}, {2, 4, 6}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CGroup group;
        CIntList remove;
        for (int row : c.group)
            group.Add(row);
        for (int row : c.remove)
            remove.AddTail(row);
        group.RemoveFromGroup(remove);
        EXPECT_EQ(rows(group.m_Samples), c.left);
        group.Add(100); // the list must stay linked at its tail
        EXPECT_EQ(group.m_Samples.GetTail(), 100);
    }
}

TEST_F(SampleGroupsTest, SplitsRowsWhereTheLabelChanges)
{
    struct Case
    {
        const char* name;
        std::vector<const char*> cells;
        std::vector<Span> groups;
    };
    const Case cases[] = {
        {"no rows", {}, {}},
        {"single row", {"A"}, {{"A", 0, 0}}},
        {"case and separators", {"A", "a", "A,", "B", "", ""}, {{"A", 0, 2}, {"B", 3, 3}, {"", 4, 5}}},
        {"same label again later", {"A", "B", "A"}, {{"A", 0, 0}, {"B", 1, 1}, {"A", 2, 2}}},
        {"order of names", {"b a", "A;B"}, {{"A B", 0, 1}}},
        {"empty first row", {"", "A", "A"}, {{"", 0, 0}, {"A", 1, 2}}},
        {"all unlabelled", {"", " ", ";,", "\t"}, {{"", 0, 3}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        list_.RemoveAllRows();
        for (const char* cell : c.cells)
            addRow(cell);
        CGroupArray array;
        array.Add(CGroup(CString("STALE"), 0));
        EXPECT_EQ(GetGroups(array, &list_), 1);
        EXPECT_EQ(spans(array), c.groups);
    }
}

TEST_F(SampleGroupsTest, NullListGivesNoGroupsAndFails)
{
    CGroupArray array;
    array.Add(CGroup(CString("STALE"), 0));
    EXPECT_EQ(GetGroups(array, nullptr), 0);
    EXPECT_EQ(array.GetSize(), 0);
}

TEST_F(SampleGroupsTest, MissingColumnMakesEveryRowUnlabelled)
{
    // A host whose field table lacks "SAMPLE_GROUP" reports -1; a column past the row's cells
    // must not be read either.
    for (const char* cell : {"A", "B", "A"})
        addRow(cell);
    for (int column : {-1, CSampleList::m_nSLFieldDefs, 100000})
    {
        SCOPED_TRACE(column);
        CGroupArray array;
        groups::detail::splitGroups(array, list_, column);
        EXPECT_EQ(spans(array), (std::vector<Span>{{"", 0, 2}}));
    }
}

TEST_F(SampleGroupsTest, LongListKeepsEveryRunOfRows)
{
    // Runs of three rows cycling through two labels and the unlabelled group, over a list long
    // enough that rescanning earlier rows for each row would show.
    const int kRows = 100000;
    const char* const kCells[] = {"qc", "", "STD 1"};
    for (int row = 0; row < kRows; ++row)
        addRow(kCells[(row / 3) % 3]);
    CGroupArray array;
    ASSERT_EQ(GetGroups(array, &list_), 1);
    const std::vector<Span> found = spans(array);
    std::vector<Span> expected;
    const char* const kLabels[] = {"QC", "", "1 STD"};
    for (int first = 0; first < kRows; first += 3)
        expected.push_back({kLabels[(first / 3) % 3], first, std::min(first + 2, kRows - 1)});
    EXPECT_TRUE(found == expected);
}
