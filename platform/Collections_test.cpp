#include "platform/Collections.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
using IntList = CList<int, int>;

// Checks the list read forwards and backwards: both directions must agree after every change,
// which is what catches a link that was not repaired.
void expectList(const IntList& list, const std::vector<int>& expected)
{
    std::vector<int> forwards, backwards;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        forwards.push_back(list.GetNext(pos));
    for (POSITION pos = list.GetTailPosition(); pos;)
        backwards.insert(backwards.begin(), list.GetPrev(pos));
    EXPECT_EQ(forwards, expected);
    EXPECT_EQ(backwards, expected);
    EXPECT_EQ(list.GetCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(list.IsEmpty(), expected.empty());
}

TEST(CList, AddsInsertsAndRemovesAnywhere)
{
    IntList list;
    list.AddTail(2);
    list.AddHead(1);
    const POSITION three = list.AddTail(3);
    list.InsertBefore(three, 25);
    list.InsertAfter(three, 4);
    list.InsertBefore(list.GetHeadPosition(), 0);
    list.InsertAfter(nullptr, 5);
    list.InsertBefore(nullptr, -1);
    expectList(list, {-1, 0, 1, 2, 25, 3, 4, 5});
    EXPECT_EQ(list.GetHead(), -1);
    EXPECT_EQ(list.GetTail(), 5);
    EXPECT_EQ(list.RemoveHead(), -1);
    EXPECT_EQ(list.RemoveTail(), 5);
    expectList(list, {0, 1, 2, 25, 3, 4});

    for (const auto& [index, expected] :
         std::vector<std::pair<int, std::vector<int>>>{{0, {2, 3, 4}}, {2, {1, 2, 4}}, {3, {1, 2, 3}}})
    {
        SCOPED_TRACE(index);
        IntList four;
        for (int v : {1, 2, 3, 4})
            four.AddTail(v);
        four.RemoveAt(four.FindIndex(index));
        expectList(four, expected);
        four.AddTail(9);
        four.AddHead(8);
        EXPECT_EQ(four.GetHead(), 8);
        EXPECT_EQ(four.GetTail(), 9);
    }
    IntList empty;
    empty.InsertAfter(nullptr, 7);
    expectList(empty, {7});
    EXPECT_EQ(empty.RemoveTail(), 7);
    expectList(empty, {});
}

TEST(CList, FindsValuesAndIndexes)
{
    IntList list;
    for (int v : {5, 6, 5, 7})
        list.AddTail(v);
    const POSITION first = list.Find(5);
    EXPECT_EQ(first, list.GetHeadPosition());
    const POSITION second = list.Find(5, first);
    EXPECT_EQ(second, list.FindIndex(2));
    EXPECT_EQ(list.Find(5, second), nullptr);
    EXPECT_EQ(list.FindIndex(3), list.GetTailPosition());
    EXPECT_EQ(list.FindIndex(4), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    list.SetAt(second, 50);
    IntList copy;
    copy.AddTail(&list);
    list.RemoveAll();
    expectList(list, {});
    expectList(copy, {5, 6, 50, 7});
}

TEST(CArray, GrowsShrinksAndCopies)
{
    CArray<int, int> array;
    EXPECT_EQ(array.Add(1), 0);
    EXPECT_EQ(array.Add(2), 1);
    array.SetAtGrow(4, 5);
    EXPECT_EQ(array.GetUpperBound(), 4);
    array.InsertAt(1, 9, 2);
    array.InsertAt(9, 7);
    EXPECT_EQ(std::vector<int>(array.GetData(), array.GetData() + array.GetSize()),
              (std::vector<int>{1, 9, 9, 2, 0, 0, 5, 0, 0, 7}))
        << "grown elements are value-initialised";
    array.RemoveAt(1, 2);
    array.RemoveAt(7);
    EXPECT_EQ(std::vector<int>(array.GetData(), array.GetData() + array.GetSize()),
              (std::vector<int>{1, 2, 0, 0, 5, 0, 0}));
    array.SetSize(-1);
    EXPECT_TRUE(array.IsEmpty());

    CStringArray a, b;
    a.Add("x");
    a.Add("y");
    b.Add("z");
    EXPECT_EQ(b.Append(a), 1);
    a.Copy(b);
    a.Copy(a);
    ASSERT_EQ(a.GetSize(), 3);
    a.ElementAt(1) = "changed";
    EXPECT_EQ(b[1], "x") << "a copy shares nothing";
    EXPECT_EQ(a.GetAt(2), "y");
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
} // namespace
