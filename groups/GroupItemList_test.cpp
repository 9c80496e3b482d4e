// Tests of CGroupItem and CGroupItemList: parsing group expressions, sorting, labels and the
// ordinal comparisons of names and labels.
#include "groups/GroupItemList.h"
#include "groups/SplitGroups.h"

#include <gtest/gtest.h>
#include <string>
#include <type_traits>
#include <vector>

namespace
{
std::string label(const CGroupItemList& list)
{
    const CString text = list;
    return text.str();
}
} // namespace

// Each comparison of a with b and with b's text: ==, <, >, then != where there is one.
template <class T> std::vector<int> comparisons(const T& a, const T& b)
{
    const CString text = b;
    std::vector<int> out{a == b, (a < b), (a > b), a == text, (a < text), (a > text)};
    if constexpr (std::is_same_v<T, CGroupItemList>)
        out.insert(out.end(), {a != b, a != text});
    return out;
}

TEST(GroupItem, UpperCasesPlainStringsAndComparesBytesAsUnsigned)
{
    CGroupItem assigned;
    assigned = CString("a1.b;\xe9");
    EXPECT_EQ(CString(assigned).str(), "A1.B;\xe9");
    EXPECT_EQ(static_cast<int>(CGroupItem()) * 10 + static_cast<int>(CGroupItem(CString(" "))), 1);
    // A plain string is not upper-cased for the comparison.
    EXPECT_EQ(CGroupItem(CString("a")) == CString("a"), 0);

    const CGroupItem a(CString("a"));
    EXPECT_EQ(comparisons(a, CGroupItem(CString("A"))), (std::vector<int>{1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(comparisons(a, CGroupItem(CString("B"))), (std::vector<int>{0, 1, 0, 0, 1, 0}));
    EXPECT_EQ(comparisons(CGroupItem(CString("AB")), a), (std::vector<int>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(comparisons(CGroupItem(CString("\xe9")), a), (std::vector<int>{0, 0, 1, 0, 0, 1}));
    // A C-string comparison would stop at the zero byte and call these equal.
    EXPECT_EQ(comparisons(CGroupItem(CString(std::string_view("A\0B", 3))), a), (std::vector<int>{0, 0, 1, 0, 0, 1}));
}

TEST(GroupItemList, ParsesSortsAndLabelsExpressions)
{
    struct Case { const char* name; const char* expression; const char* label; };
    const Case cases[] = {
        {"mixed separators and empty names", "b; a,,c", "A B C"},  {"surrounding blanks and bar", "  c A|B ", "A B C"},
        {"full stop separates", "1.5", "1 5"},                     {"numbers sort as text", "10,9,2", "10 2 9"},
        {"repeats stay", "A,A", "A A"},                            {"tab joins", "A\tB", "A\tB"},
        {"inner blanks kept, outer trimmed", "\tx\t,y\n", "X\t Y"}, {"only separators", ",;|", ""},
        {"blanks only", " \t\r\n", ""},                            {"only a-z upper-cased", "\xe9t\xe9", "\xe9T\xe9"},
        {"prefix first", "AB a", "A AB"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CGroupItemList list{CString("zzz")};
        list = CString(c.expression);
        EXPECT_EQ(label(list), c.label);
        EXPECT_EQ(static_cast<int>(list), *c.label ? 1 : 0);
        // The sample-list walk labels rows without building lists; it must agree exactly.
        groups::detail::ExpressionLabel labelOf;
        EXPECT_EQ(labelOf(CString(c.expression)), c.label);
    }
}

TEST(GroupItemList, ComparesLabels)
{
    // ==, <, > against the parsed other and its label, then !=.
    struct Case { const char* name; const char* expression; const char* other; std::vector<int> results; };
    const Case cases[] = {
        {"same names", "b a", "A;B", {1, 0, 0, 1, 0, 0, 0, 0}}, {"before", "a", "b", {0, 1, 0, 0, 1, 0, -1, -1}},
        {"after", "c", "B", {0, 0, 1, 0, 0, 1, 1, 1}}, {"prefix before", "a", "A B", {0, 1, 0, 0, 1, 0, -1, -1}},
        {"empty", "", ";", {1, 0, 0, 1, 0, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(comparisons(CGroupItemList(CString(c.expression)), CGroupItemList(CString(c.other))), c.results);
    }
    // Text is compared as given, not parsed.
    const CGroupItemList ba(CString("b a"));
    EXPECT_EQ((ba != CString("B A")) * 10 + (ba == CString("b a")), -10);
}

TEST(GroupItemList, AddingSortsAndFindMatchesExactly)
{
    CGroupItemList list{CString("a d")};
    list += CString("c");
    list += CGroupItem(CString("b"));
    list += CGroupItemList(CString("e a"));
    list += static_cast<const CGroupItemList&>(list);
    EXPECT_EQ(label(list), "A A A A B B C C D D E E");
    EXPECT_EQ(list.Find(CString("E")) * 100 + list.Find(CString("e")) * 10 + list.Find(CString("A B")), 100);
}
