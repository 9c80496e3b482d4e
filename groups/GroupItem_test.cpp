// Tests of CGroupItem: upper-casing on the way in and the ordinal comparisons.
#include "groups/GroupItem.h"

#include <gtest/gtest.h>

TEST(GroupItem, UpperCasesPlainStringsOnlyAtoZ)
{
    const CGroupItem constructed(CString("qc b\xe9"));
    CGroupItem assigned;
    assigned = CString("a1.b;2");
    const CString constructed_text = constructed;
    const CString assigned_text = assigned;
    EXPECT_EQ(constructed_text.str(), "QC B\xe9");
    EXPECT_EQ(assigned_text.str(), "A1.B;2");
}

TEST(GroupItem, ComparesBytesAsUnsignedWithoutFolding)
{
    struct Case
    {
        const char* name;
        const char* item;  // upper-cased on construction
        const char* other; // compared exactly as given
        int equal;
        int less;
        int greater;
    };
    const Case cases[] = {
        {"same", "A", "A", 1, 0, 0},
        {"string not upper-cased", "A", "a", 0, 1, 0},
        {"next letter", "A", "B", 0, 1, 0},
        {"digits as text", "10", "9", 0, 1, 0},
        {"prefix sorts first", "AB", "A", 0, 0, 1},
        {"both empty", "", "", 1, 0, 0},
        {"high byte after ASCII", "\xe9", "Z", 0, 0, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CGroupItem item{CString(c.item)};
        const CString other(c.other);
        EXPECT_EQ(item == other, c.equal);
        EXPECT_EQ(item < other, c.less);
        EXPECT_EQ(item > other, c.greater);
        if (CString(other).MakeUpper() == other) // an item would upper-case the other text
        {
            const CGroupItem other_item(other);
            EXPECT_EQ(item == other_item, c.equal);
            EXPECT_EQ(item < other_item, c.less);
            EXPECT_EQ(item > other_item, c.greater);
        }
    }
    EXPECT_EQ(static_cast<int>(CGroupItem()), 0);
    EXPECT_EQ(static_cast<int>(CGroupItem(CString(" "))), 1);
}

TEST(GroupItem, TextHoldingZeroByteComparesByAllBytes)
{
    // A C-string comparison would stop at the zero byte and call these equal.
    const CGroupItem with_zero(CString(std::string_view("A\0B", 3)));
    const CGroupItem plain(CString("A"));
    EXPECT_EQ(with_zero == plain, 0);
    EXPECT_EQ(with_zero > plain, 1);
}
