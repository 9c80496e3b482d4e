// Tests of CIntList, CGroup and GetGroups: row lists, row removal and splitting sample lists.
#include "groups/Group.h"
#include "groups/SplitGroups.h"
#include "host/host.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
CIntList listOf(const std::vector<int>& values)
{
    CIntList list;
    for (int v : values)
        list.AddTail(v);
    return list;
}

std::vector<int> rows(const CIntList& list)
{
    std::vector<int> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(list.GetNext(pos));
    return out;
}

// The groups as "label first-last|" texts.
std::string spans(const CGroupArray& array)
{
    std::string out;
    for (int i = 0; i < array.GetSize(); ++i)
    {
        const std::vector<int> samples = rows(array[i].m_Samples);
        EXPECT_EQ(samples.size(), 2u) << "group " << i;
        const std::string span = std::to_string(samples.front()) + "-" + std::to_string(samples.back());
        out += CString(array[i]).str() + " " + span + "|";
    }
    return out;
}
} // namespace

TEST(IntList, SortsAscendingTrimsDuplicatesAndCopies)
{
    // The input, then the list after Sort, and after TrimDuplicates on the input, unsorted.
    struct Case { const char* name; std::vector<int> input; std::vector<int> sorted; std::vector<int> trimmed; };
    const Case cases[] = {
        {"two values", {3, -1}, {-1, 3}, {3, -1}},
        {"two equal values", {5, 5}, {5, 5}, {5}},
        {"only adjacent runs shrink", {2, 2, 1, 2}, {1, 2, 2, 2}, {2, 1, 2}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CIntList trimmed = listOf(c.input), sorted = listOf({42});
        trimmed.TrimDuplicates();
        sorted = listOf(c.input);
        sorted.Sort();
        EXPECT_EQ(rows(trimmed), c.trimmed);
        EXPECT_EQ(rows(sorted), c.sorted);
    }
    CIntList list = listOf({9, 1});
    list = static_cast<const CIntList&>(list);
    EXPECT_EQ(rows(CIntList(list)), (std::vector<int>{9, 1}));
}

TEST(Group, ComparesNamesOnly)
{
    const CGroup ab(CString("b a"), 4);
    CGroup b(CGroupItemList(CString("b")), 0);
    b.Add(7);
    EXPECT_EQ(rows(ab.m_Samples), (std::vector<int>{4}));
    EXPECT_EQ(rows(b.m_Samples), (std::vector<int>{0, 7}));
    // Each result as equal, differ, less, greater; against a group and against its label text.
    const auto results = [](const CGroup& x, const CGroup& y) {
        const CString text = y;
        return std::vector<int>{x == y, x != y, (x < y), (x > y), x == text, x != text, (x < text), (x > text)};
    };
    EXPECT_EQ(results(ab, b), (std::vector<int>{0, -1, 1, 0, 0, -1, 1, 0}));
    EXPECT_EQ(results(b, ab), (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(results(ab, CGroup(CString("A;B"), 9)), (std::vector<int>{1, 0, 0, 0, 1, 0, 0, 0}));
}

TEST(Group, RemoveFromGroupWalksBothAscendingLists)
{
    struct Case { const char* name; std::vector<int> group; std::vector<int> remove; std::vector<int> left; };
    const Case cases[] = {
        {"middle and last", {1, 5, 7, 9}, {5, 9}, {1, 7}}, {"unlisted skipped", {7}, {3, 7}, {}},
        {"one removal per listed value", {4, 4, 4}, {4, 4}, {4}}, {"none shared", {2, 4, 6}, {1, 3, 5, 7}, {2, 4, 6}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CGroup group;
        group.m_Samples = listOf(c.group);
        group.RemoveFromGroup(listOf(c.remove));
        EXPECT_EQ(rows(group.m_Samples), c.left);
    }
    // The group's own rows: walking them while removing them once stepped from a freed node.
    CGroup group;
    group.m_Samples = listOf({2, 2, 5});
    group.RemoveFromGroup(group.m_Samples);
    EXPECT_TRUE(group.m_Samples.IsEmpty());
}

TEST(GetGroups, SplitsRowsWhereTheLabelChanges)
{
    const int column = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    struct Case { const char* name; std::vector<const char*> cells; const char* groups; };
    const Case cases[] = {
        // Case, separators and the order of names are seen end to end through the driver.
        {"no rows", {}, ""}, {"single row", {"A"}, "A 0-0|"}, {"empty first row", {"", "A", "A"}, " 0-0|A 1-2|"},
        {"same label again later", {"A", "B", "A"}, "A 0-0|B 1-1|A 2-2|"},
        {"all unlabelled", {"", " ", ";,", "\t"}, " 0-3|"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CSampleList list;
        for (const char* cell : c.cells)
            list[list.AddRow()][column].SetString(cell, CKVVariant::kTypeString);
        // No list is the caller's fault: no stale groups are left and the call fails.
        CGroupArray array;
        array.Add(CGroup(CString("STALE"), 0));
        EXPECT_EQ(GetGroups(array, nullptr) * 10 + array.GetSize(), 0);
        array.Add(CGroup(CString("STALE"), 0));
        EXPECT_EQ(GetGroups(array, &list), 1);
        EXPECT_EQ(spans(array), c.groups);
        // A host whose field table lacks "SAMPLE_GROUP" reports -1, and a column past the row's
        // cells must not be read either: every row is unlabelled.
        for (int missing : {-1, CSampleList::m_nSLFieldDefs})
        {
            groups::detail::splitGroups(array, list, missing);
            EXPECT_EQ(spans(array), c.cells.empty() ? "" : " 0-" + std::to_string(c.cells.size() - 1) + "|");
        }
    }
}
