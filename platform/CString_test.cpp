#include "platform/CString.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
TEST(CString, ExtractionClampsToTheString)
{
    const CString s("abcdef");
    struct Case
    {
        const char* name;
        CString got;
        const char* expected;
    };
    const Case cases[] = {
        {"Mid inside", s.Mid(2, 3), "cde"},
        {"Mid to the end", s.Mid(4), "ef"},
        {"Mid count past the end", s.Mid(4, 100), "ef"},
        {"Mid start past the end", s.Mid(10, 2), ""},
        {"Mid at the end", s.Mid(6), ""},
        {"Mid negative start", s.Mid(-2, 3), "abc"},
        {"Mid negative count", s.Mid(1, -1), ""},
        {"Left", s.Left(2), "ab"},
        {"Left too many", s.Left(100), "abcdef"},
        {"Left negative", s.Left(-1), ""},
        {"Right", s.Right(2), "ef"},
        {"Right too many", s.Right(100), "abcdef"},
        {"Right negative", s.Right(-3), ""},
        {"SpanIncluding", CString("aabxa").SpanIncluding("ab"), "aab"},
        {"SpanIncluding none", s.SpanIncluding("xyz"), ""},
        {"SpanExcluding", CString("name.ext").SpanExcluding(".,"), "name"},
        {"SpanExcluding all", s.SpanExcluding("xyz"), "abcdef"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.expected);
    }
    EXPECT_EQ(s.GetAt(6), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
    EXPECT_EQ(s[1], 'b');
}

TEST(CString, CaseMappingTouchesAsciiLettersOnly)
{
    // A single-byte locale where 0xE4 is a lower-case letter must not change the result.
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1");
    CString s("aZ\xe4\xc4\xff_1 m\x80");
    s.MakeUpper();
    EXPECT_EQ(s, "AZ\xe4\xc4\xff_1 M\x80");
    s.MakeLower();
    EXPECT_EQ(s, "az\xe4\xc4\xff_1 m\x80");
    std::setlocale(LC_CTYPE, saved.c_str());
}

TEST(CString, ComparesBytesAsUnsigned)
{
    struct Case
    {
        const char* a;
        const char* b;
        int compare;       // sign of Compare
        int compareNoCase; // sign of CompareNoCase
    };
    const Case cases[] = {
        {"abc", "abc", 0, 0}, {"abc", "ABC", 1, 0}, {"a", "b", -1, -1}, {"B", "a", -1, 1}, {"ab", "abc", -1, -1},
        {"\xe4", "z", 1, 1},  {"_", "a", -1, -1},   {"_", "A", 1, -1},  {"", "", 0, 0},    {"", "a", -1, -1},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(sign(CString(c.a).Compare(c.b)), c.compare);
        EXPECT_EQ(sign(CString(c.a).CompareNoCase(c.b)), c.compareNoCase);
        EXPECT_EQ(CString(c.a) < c.b, c.compare < 0);
        EXPECT_EQ(c.a < CString(c.b), c.compare < 0);
        EXPECT_EQ(CString(c.a) >= c.b, c.compare >= 0);
        EXPECT_EQ(CString(c.a) == c.b, c.compare == 0);
        EXPECT_EQ(CString(c.a) != CString(c.b), c.compare != 0);
    }
    EXPECT_EQ(CString(nullptr), "");
    EXPECT_GT(CString("x").Compare(nullptr), 0);
}

TEST(CString, TrimsBlanksAndSets)
{
    EXPECT_EQ(CString(" \t\r\n\v\fab c \n").Trim(), "ab c");
    EXPECT_EQ(CString("  ab  ").TrimLeft(), "ab  ");
    EXPECT_EQ(CString("  ab  ").TrimRight(), "  ab");
    EXPECT_EQ(CString("xxabxx").Trim("x"), "ab");
    EXPECT_EQ(CString("\\dir\\").TrimRight('\\'), "\\dir");
    EXPECT_EQ(CString("--").TrimLeft('-'), "");
    EXPECT_EQ(CString("   ").Trim(), "");
}

TEST(CString, FindsAndEdits)
{
    const CString s("a.b.c");
    EXPECT_EQ(s.Find('.'), 1);
    EXPECT_EQ(s.Find('.', 2), 3);
    EXPECT_EQ(s.Find('.', 4), -1);
    EXPECT_EQ(s.Find('.', 99), -1);
    EXPECT_EQ(s.Find(".c"), 3);
    EXPECT_EQ(s.Find("b", 3), -1);
    EXPECT_EQ(s.ReverseFind('.'), 3);
    EXPECT_EQ(s.ReverseFind('x'), -1);
    EXPECT_EQ(s.FindOneOf("cb"), 2);

    CString r("aaaa");
    EXPECT_EQ(r.Replace("aa", "b"), 2);
    EXPECT_EQ(r, "bb");
    EXPECT_EQ(r.Replace("", "x"), 0);
    EXPECT_EQ(r.Replace('b', 'c'), 2);
    EXPECT_EQ(r, "cc");
    CString grow("x");
    EXPECT_EQ(grow.Replace("x", "xx"), 1) << "replacement text is not searched again";
    EXPECT_EQ(grow, "xx");

    CString e("hello");
    EXPECT_EQ(e.Remove('l'), 2);
    EXPECT_EQ(e, "heo");
    EXPECT_EQ(e.Insert(1, 'X'), 4);
    EXPECT_EQ(e.Insert(99, "!"), 5);
    EXPECT_EQ(e.Insert(-5, "<"), 6);
    EXPECT_EQ(e, "<hXeo!");
    EXPECT_EQ(e.Delete(1, 2), 4);
    EXPECT_EQ(e, "<eo!");
    EXPECT_EQ(e.Delete(3, 99), 3);
    EXPECT_EQ(e.Delete(-1, 1), 2);
    EXPECT_EQ(e, "eo");
    EXPECT_EQ(e.MakeReverse(), "oe");
}

TEST(CString, FormatsTextOfAnyLength)
{
    CString s;
    s.Format("%s-%03d-%.2f", "M", 7, 35.5);
    EXPECT_EQ(s, "M-007-35.50");
    const std::string big(1000, 'q');
    s.Format("%s", big.c_str());
    EXPECT_EQ(s.str(), big);
    s.AppendFormat("%c", '!');
    EXPECT_EQ(s.GetLength(), 1001);
}

TEST(CString, BufferAccessSetsTheLength)
{
    CString s("abc");
    char* buffer = s.GetBuffer(10);
    EXPECT_EQ(buffer[3], '\0');
    std::strcpy(buffer, "longer");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "longer");
    EXPECT_EQ(s.GetLength(), 6);

    buffer = s.GetBufferSetLength(3);
    buffer[0] = 'X';
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, "Xo");
}

TEST(CString, ConcatenatesAndAssigns)
{
    CString s = CString("a") + "b" + 'c' + CString("d");
    EXPECT_EQ(s, "abcd");
    EXPECT_EQ('x' + s, "xabcd");
    EXPECT_EQ("y" + s, "yabcd");
    s += nullptr;
    s += 'e';
    EXPECT_EQ(s, "abcde");
    s = 'z';
    EXPECT_EQ(s, "z");
    s = nullptr;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(CString('-', 3), "---");
    EXPECT_EQ(CString('-', -1), "");
    EXPECT_EQ(CString("abc", 2), "ab");
    EXPECT_EQ(CString(std::string_view("a\0b", 3)).GetLength(), 3);
    s.SetAt(5, 'q');
    s.SetAt(0, 'q');
    EXPECT_EQ(s, "");
}
} // namespace
