// Tests of CGroupItemList: parsing group expressions, sorting, labels and comparisons.
#include "groups/GroupItemList.h"

#include "groups/SplitGroups.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// Opens the protected operations so unsorted lists can be built.
class ExposedList : public CGroupItemList
{
  public:
    using CGroupItemList::AddTail;
    using CGroupItemList::Parse;
    using CGroupItemList::Sort;
};

std::vector<std::string> texts(const CGroupItemList& list)
{
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
    {
        const CString text = list.GetNext(pos);
        out.push_back(text.str());
    }
    return out;
}

std::string label(const CGroupItemList& list)
{
    const CString text = list;
    return text.str();
}
} // namespace

TEST(GroupItemList, ParsesSortsAndLabelsExpressions)
{
    struct Case
    {
        const char* name;
        const char* expression;
        std::vector<std::string> items;
        const char* label;
    };
    const Case cases[] = {
        {"mixed separators and empty names", "b; a,,c", {"A", "B", "C"}, "A B C"},
        {"surrounding blanks and bar", "  c A|B ", {"A", "B", "C"}, "A B C"},
        {"full stop separates", "1.5", {"1", "5"}, "1 5"},
        {"numbers sort as text", "10,9,2", {"10", "2", "9"}, "10 2 9"},
        {"repeats stay", "A,A", {"A", "A"}, "A A"},
        {"tab joins", "A\tB", {"A\tB"}, "A\tB"},
        {"inner blanks kept, outer trimmed", "\tx\t,y\n", {"X\t", "Y"}, "X\t Y"},
        {"only separators", ",;|", {}, ""},
        {"blanks only", " \t\r\n", {}, ""},
        {"only a-z upper-cased", "\xe9t\xe9", {"\xe9T\xe9"}, "\xe9T\xe9"},
        {"prefix first", "AB a", {"A", "AB"}, "A AB"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CGroupItemList list{CString(c.expression)};
        EXPECT_EQ(texts(list), c.items);
        EXPECT_EQ(label(list), c.label);
        EXPECT_EQ(static_cast<int>(list), c.items.empty() ? 0 : 1);

        CGroupItemList assigned{CString("zzz")};
        assigned = CString(c.expression);
        EXPECT_EQ(texts(assigned), c.items);

        // The sample-list walk labels rows without building lists; it must agree exactly.
        groups::detail::ExpressionLabel labelOf;
        EXPECT_EQ(labelOf(CString(c.expression)), c.label);
    }
}

TEST(GroupItemList, ComparesLabels)
{
    struct Case
    {
        const char* name;
        const char* expression;
        const char* other; // compared exactly as given
        int equal;
        int differ; // result of !=
        int less;
        int greater;
    };
    const Case cases[] = {
        {"canonical label", "b a", "A B", 1, 0, 0, 0},      {"unsorted text differs", "b a", "B A", 0, -1, 1, 0},
        {"lower case text differs", "a", "a", 0, -1, 1, 0}, {"after", "c", "B", 0, 1, 0, 1},
        {"prefix before", "a", "A B", 0, -1, 1, 0},         {"empty list and empty text", "", "", 1, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CGroupItemList list{CString(c.expression)};
        const CString other(c.other);
        EXPECT_EQ(list == other, c.equal);
        EXPECT_EQ(list != other, c.differ);
        EXPECT_EQ(list < other, c.less);
        EXPECT_EQ(list > other, c.greater);
        const CGroupItemList other_list{other};
        if (label(other_list) == c.other) // the same comparisons against a list
        {
            EXPECT_EQ(list == other_list, c.equal);
            EXPECT_EQ(list != other_list, c.differ);
            EXPECT_EQ(list < other_list, c.less);
            EXPECT_EQ(list > other_list, c.greater);
        }
    }
}

TEST(GroupItemList, FindMatchesItemTextExactly)
{
    const CGroupItemList list{CString("a;qc")};
    EXPECT_EQ(list.Find(CString("a")), 0);
    EXPECT_EQ(list.Find(CString("A")), 1);
    EXPECT_EQ(list.Find(CString("QC")), 1);
    EXPECT_EQ(list.Find(CString("A QC")), 0);
}

TEST(GroupItemList, AddingSortsAndAssigningReplaces)
{
    CGroupItemList list{CString("a d")};
    list += CString("c");
    EXPECT_EQ(label(list), "A C D");
    list += CGroupItem(CString("b"));
    EXPECT_EQ(label(list), "A B C D");
    list += CGroupItemList(CString("e a"));
    EXPECT_EQ(label(list), "A A B C D E");
    const CGroupItemList& same = list;
    list += same;
    EXPECT_EQ(texts(list).size(), 12u);
    list = CString("c");
    EXPECT_EQ(texts(list), (std::vector<std::string>{"C"}));
}

TEST(GroupItemList, CopiesKeepTheSourceOrder)
{
    ExposedList unsorted;
    unsorted.Parse(CString("z"));
    unsorted.AddTail(CGroupItem(CString("a b")));
    const std::vector<std::string> expected = {"Z", "A B"};
    EXPECT_EQ(texts(unsorted), expected);

    EXPECT_EQ(texts(CGroupItemList(unsorted)), expected);
    CGroupItemList assigned{CString("q r s")};
    assigned = unsorted;
    EXPECT_EQ(texts(assigned), expected);

    unsorted.Sort();
    EXPECT_EQ(texts(unsorted), (std::vector<std::string>{"A B", "Z"}));
}
