// Tests of CIntList: sorting, duplicate trimming and copying of row lists.
#include "groups/IntList.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace
{
CIntList makeList(const std::vector<int>& values)
{
    CIntList list;
    for (int v : values)
        list.AddTail(v);
    return list;
}

std::vector<int> values(const CIntList& list)
{
    std::vector<int> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(list.GetNext(pos));
    return out;
}
} // namespace

TEST(IntList, SortsAscendingAndTrimsDuplicates)
{
    struct Case
    {
        const char* name;
        std::vector<int> input;
        std::vector<int> sorted;  // after Sort
        std::vector<int> trimmed; // after TrimDuplicates on the input, unsorted
    };
    const Case cases[] = {
        {"empty", {}, {}, {}},
        {"one value", {7}, {7}, {7}},
        {"signed order with repeats", {3, -1, 3, 0}, {-1, 0, 3, 3}, {3, -1, 3, 0}},
        {"only adjacent runs shrink", {2, 2, 1, 2}, {1, 2, 2, 2}, {2, 1, 2}},
        {"run at the tail", {1, 3, 3, 3}, {1, 3, 3, 3}, {1, 3}},
        {"extremes", {INT32_MAX, INT32_MIN, 0}, {INT32_MIN, 0, INT32_MAX}, {INT32_MAX, INT32_MIN, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CIntList trimmed = makeList(c.input);
        trimmed.TrimDuplicates();
        EXPECT_EQ(values(trimmed), c.trimmed);
        // The tail must still be linked after removals at the end.
        trimmed.AddTail(99);
        EXPECT_EQ(trimmed.GetTail(), 99);

        CIntList list = makeList(c.input);
        list.Sort();
        EXPECT_EQ(values(list), c.sorted);
        // Sorted, every value remains exactly once.
        list.TrimDuplicates();
        std::vector<int> set = c.sorted;
        set.erase(std::unique(set.begin(), set.end()), set.end());
        EXPECT_EQ(values(list), set);
    }
}

TEST(IntList, AssignmentReplacesAndCopyKeepsOrder)
{
    const CIntList source = makeList({9, 1, 5});
    CIntList target = makeList({4, 4});
    target = source;
    EXPECT_EQ(values(target), (std::vector<int>{9, 1, 5}));
    const CIntList& same = target;
    target = same;
    EXPECT_EQ(values(target), (std::vector<int>{9, 1, 5}));

    CIntList copy(source);
    copy.AddTail(0);
    EXPECT_EQ(values(copy), (std::vector<int>{9, 1, 5, 0}));
    EXPECT_EQ(values(source), (std::vector<int>{9, 1, 5}));
}
