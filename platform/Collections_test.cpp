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
}

TEST(CList, AddsInsertsRemovesAndFinds)
{
    IntList list;
    list.AddTail(2);
    list.AddHead(1);
    const POSITION three = list.AddTail(3);
    list.InsertBefore(three, 25);
    list.InsertAfter(three, 4);
    list.InsertAfter(nullptr, 5);
    list.InsertBefore(nullptr, -1);
    expectList(list, {-1, 1, 2, 25, 3, 4, 5});
    EXPECT_EQ(list.RemoveHead(), -1);
    EXPECT_EQ(list.RemoveTail(), 5);
    // Removing the head, a middle and the tail node.
    for (int index : {0, 1, 2})
        list.RemoveAt(list.FindIndex(index));
    expectList(list, {2, 3});

    for (int v : {5, 2, 7})
        list.AddTail(v);
    const POSITION first = list.Find(2);
    EXPECT_EQ(first, list.GetHeadPosition());
    const POSITION second = list.Find(2, first);
    EXPECT_EQ(second, list.FindIndex(3));
    EXPECT_EQ(list.Find(2, second), nullptr);
    EXPECT_EQ(list.FindIndex(5), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    list.SetAt(second, 50);
    IntList copy;
    copy.AddTail(&list);
    list.RemoveAll();
    expectList(list, {});
    expectList(copy, {2, 3, 5, 50, 7});
}

TEST(CArray, GrowsShrinksAndCopies)
{
    CArray<int, int> array;
    EXPECT_EQ(array.Add(1), 0);
    array.Add(2);
    array.SetAtGrow(4, 5);
    array.InsertAt(1, 9, 2);
    array.InsertAt(9, 7);
    EXPECT_EQ(std::vector<int>(array.GetData(), array.GetData() + array.GetSize()),
              (std::vector<int>{1, 9, 9, 2, 0, 0, 5, 0, 0, 7}))
        << "grown elements are value-initialised";
    array.RemoveAt(1, 2);
    array.RemoveAt(7);
    EXPECT_EQ(std::vector<int>(array.GetData(), array.GetData() + array.GetSize()),
              (std::vector<int>{1, 2, 0, 0, 5, 0, 0}));

    CStringArray a, b;
    a.Add("x");
    b.Add("z");
    b.Append(a);
    a.Copy(b);
    a.Copy(a);
    a.ElementAt(0) = "changed";
    EXPECT_EQ(b[0] + b[1] + a.GetAt(1), "zxx") << "a copy shares nothing";

    // Growing moves the elements; adding one of them must copy it first (AddressSanitizer
    // reports the use of the moved-from storage otherwise).
    CStringArray grown;
    grown.Add(CString(std::string(100, 'a')));
    grown.SetAtGrow(40, grown[0]);
    grown.InsertAt(60, grown[0]);
    EXPECT_EQ(grown[40] + grown[60], grown[0] + grown[0]);
}
} // namespace
