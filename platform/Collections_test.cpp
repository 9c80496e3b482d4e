#include "platform/Collections.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
using IntList = CList<int, int>;

// The values read forwards and, separately, backwards: both directions must agree after every
// change, which is what catches a link that was not repaired.
std::vector<int> forwards(const IntList& list)
{
    std::vector<int> values;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        values.push_back(list.GetNext(pos));
    return values;
}

std::vector<int> backwards(const IntList& list)
{
    std::vector<int> values;
    for (POSITION pos = list.GetTailPosition(); pos;)
        values.insert(values.begin(), list.GetPrev(pos));
    return values;
}

void expectList(const IntList& list, const std::vector<int>& expected)
{
    EXPECT_EQ(forwards(list), expected);
    EXPECT_EQ(backwards(list), expected);
    EXPECT_EQ(list.GetCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(list.IsEmpty(), expected.empty());
}

TEST(CList, AddsAndInsertsAtEitherEndAndInside)
{
    IntList list;
    list.AddTail(2);
    list.AddHead(1);
    const POSITION three = list.AddTail(3);
    expectList(list, {1, 2, 3});
    list.InsertBefore(three, 25);
    list.InsertAfter(three, 4);
    list.InsertBefore(list.GetHeadPosition(), 0);
    list.InsertAfter(nullptr, 5);
    list.InsertBefore(nullptr, -1);
    expectList(list, {-1, 0, 1, 2, 25, 3, 4, 5});
    EXPECT_EQ(list.GetHead(), -1);
    EXPECT_EQ(list.GetTail(), 5);

    IntList empty;
    empty.InsertAfter(nullptr, 7);
    expectList(empty, {7});
}

TEST(CList, RemovesHeadTailAndMiddle)
{
    struct Case
    {
        const char* name;
        int index;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"head", 0, {2, 3, 4}},
        {"middle", 2, {1, 2, 4}},
        {"tail", 3, {1, 2, 3}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        IntList list;
        for (int v : {1, 2, 3, 4})
            list.AddTail(v);
        list.RemoveAt(list.FindIndex(c.index));
        expectList(list, c.expected);
        list.AddTail(9);
        list.AddHead(8);
        EXPECT_EQ(list.GetHead(), 8);
        EXPECT_EQ(list.GetTail(), 9);
    }

    IntList list;
    list.AddTail(1);
    list.AddTail(2);
    EXPECT_EQ(list.RemoveHead(), 1);
    EXPECT_EQ(list.RemoveTail(), 2);
    expectList(list, {});
    list.AddTail(3);
    expectList(list, {3});
}

TEST(CList, FindsValuesAndIndexes)
{
    IntList list;
    for (int v : {5, 6, 5, 7})
        list.AddTail(v);
    const POSITION first = list.Find(5);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, list.GetHeadPosition());
    const POSITION second = list.Find(5, first);
    EXPECT_EQ(second, list.FindIndex(2));
    EXPECT_EQ(list.Find(5, second), nullptr);
    EXPECT_EQ(list.Find(8), nullptr);
    EXPECT_EQ(list.FindIndex(4), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    list.SetAt(second, 50);
    EXPECT_EQ(list.GetAt(second), 50);

    IntList copy;
    copy.AddTail(&list);
    expectList(copy, {5, 6, 50, 7});
    list.RemoveAll();
    expectList(list, {});
    expectList(copy, {5, 6, 50, 7});
}

TEST(CArray, GrowsAndShrinks)
{
    CArray<int, int> array;
    EXPECT_EQ(array.Add(1), 0);
    EXPECT_EQ(array.Add(2), 1);
    array.SetAtGrow(4, 5);
    EXPECT_EQ(array.GetSize(), 5);
    EXPECT_EQ(array.GetUpperBound(), 4);
    EXPECT_EQ(array[2], 0) << "elements added by growing are value-initialised";
    EXPECT_EQ(array[4], 5);

    array.InsertAt(1, 9, 2);
    EXPECT_EQ(std::vector<int>(array.GetData(), array.GetData() + array.GetSize()),
              (std::vector<int>{1, 9, 9, 2, 0, 0, 5}));
    array.InsertAt(9, 7);
    EXPECT_EQ(array.GetSize(), 10);
    EXPECT_EQ(array[9], 7);
    array.RemoveAt(1, 2);
    EXPECT_EQ(std::vector<int>(array.GetData(), array.GetData() + array.GetSize()),
              (std::vector<int>{1, 2, 0, 0, 5, 0, 0, 7}));
    array.RemoveAt(7);
    EXPECT_EQ(array.GetSize(), 7);
    array.SetSize(2);
    EXPECT_EQ(array.GetSize(), 2);
    array.SetSize(-1);
    EXPECT_TRUE(array.IsEmpty());
}

TEST(CArray, AddsItsOwnElementsWhileGrowing)
{
    // Growing moves the elements; adding one of them must copy it first (AddressSanitizer
    // reports the use of the moved-from storage otherwise).
    CStringArray array;
    array.Add(CString(std::string(100, 'a')));
    for (int i = 0; i < 10; ++i)
        array.Add(array[0]);
    array.SetAtGrow(40, array[0]);
    array.InsertAt(60, array[0]);
    EXPECT_EQ(array.GetSize(), 61);
    EXPECT_EQ(array[40], array[0]);
    EXPECT_EQ(array[60], array[0]);
    EXPECT_TRUE(array[30].IsEmpty());
}

TEST(CArray, CopiesAndAppends)
{
    CStringArray a;
    a.Add("x");
    a.Add("y");
    CStringArray b;
    b.Add("z");
    EXPECT_EQ(b.Append(a), 1);
    EXPECT_EQ(b.GetSize(), 3);
    EXPECT_EQ(b.GetAt(2), "y");
    a.Copy(b);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[0], "z");
    a.Copy(a);
    EXPECT_EQ(a.GetSize(), 3);
    a.ElementAt(1) = "changed";
    EXPECT_EQ(b[1], "x");
    a.RemoveAll();
    EXPECT_EQ(a.GetCount(), 0);
}

TEST(CStringList, HoldsStrings)
{
    CStringList list;
    list.AddTail("b");
    list.AddHead("a");
    EXPECT_NE(list.Find("b"), nullptr);
    EXPECT_EQ(list.Find("B"), nullptr) << "finding compares bytes";
    EXPECT_EQ(list.GetHead(), "a");
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_STREQ(list.GetRuntimeClass()->m_lpszClassName, "CObject");
}
} // namespace
