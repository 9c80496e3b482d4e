#include "platform/CString.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
// The string that an edit in place leaves of text.
template <class Edit> CString edited(const char* text, Edit edit)
{
    CString s(text);
    edit(s);
    return s;
}

// A number as text, so that counts and positions share the table with strings.
CString n(int value)
{
    return CString(std::to_string(value));
}

TEST(CString, WorksAsThePlatformsString)
{
    const CString s("abcdef");
    const CString dots("a.b.c");
    CString big;
    big.Format("%s", std::string(1000, 'q').c_str());
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
        {"Mid negative start", s.Mid(-2, 3), "abc"},
        {"Mid negative count", s.Mid(1, -1), ""},
        {"Left too many", s.Left(100), "abcdef"},
        {"Right", s.Right(2), "ef"},
        {"Right too many", s.Right(100), "abcdef"},
        {"Right negative", s.Right(-3), ""},
        {"SpanIncluding", CString("aabxa").SpanIncluding("ab"), "aab"},
        {"SpanExcluding", CString("name.ext").SpanExcluding(".,"), "name"},
        {"Trim blanks", CString(" \t\r\n\v\fab c \n").Trim(), "ab c"},
        {"TrimLeft", CString("  ab  ").TrimLeft(), "ab  "},
        {"TrimRight", CString("  ab  ").TrimRight(), "  ab"},
        {"Trim a set", CString("xxabxx").Trim("x"), "ab"},
        {"TrimRight a character", CString("\\dir\\").TrimRight('\\'), "\\dir"},
        {"TrimLeft everything", CString("--").TrimLeft('-'), ""},
        {"TrimRight everything", CString("--").TrimRight('-'), ""},
        {"Replace text", edited("aaaa", [](CString& e) { e.Replace("aa", "b"); }), "bb"},
        {"Replace text not searched again", edited("x", [](CString& e) { e.Replace("x", "xx"); }), "xx"},
        {"Replace a character", edited("abab", [](CString& e) { e.Replace('b', 'c'); }), "acac"},
        {"Remove", edited("hello", [](CString& e) { e.Remove('l'); }), "heo"},
        {"Insert clamped", edited("heo", [](CString& e) { e.Insert(1, 'X'), e.Insert(99, "!"), e.Insert(-5, "<"); }),
         "<hXeo!"},
        {"Delete clamped", edited("<hXeo!", [](CString& e) { e.Delete(1, 2), e.Delete(3, 99), e.Delete(-1, 1); }),
         "eo"},
        {"MakeReverse", CString("abc").MakeReverse(), "cba"},
        {"Format", edited("", [](CString& e) { e.Format("%s-%03d-%.2f", "M", 7, 35.5); }), "M-007-35.50"},
        {"Format of any length", big.Mid(990), "qqqqqqqqqq"},
        {"AppendFormat", edited("a", [](CString& e) { e.AppendFormat("%c", '!'); }), "a!"},
        {"concatenation", CString("a") + "b" + 'c' + CString("d"), "abcd"},
        {"character first", 'x' + CString("a"), "xa"},
        {"text first", "y" + CString("a"), "ya"},
        {"adding null", edited("a", [](CString& e) { e += nullptr, e += 'e'; }), "ae"},
        {"repeated character", CString('-', 3), "---"},
        {"negative repeat", CString('-', -1), ""},
        {"counted text", CString("abc", 2), "ab"},
        {"assigned a character", edited("ab", [](CString& e) { e = 'z'; }), "z"},
        {"SetAt outside", edited("", [](CString& e) { e.SetAt(0, 'q'); }), ""},
        {"SetAt inside", edited("ab", [](CString& e) { e.SetAt(1, 'q'); }), "aq"},
        {"GetBuffer terminates", edited("abc", [](CString& e) { e.GetBuffer(10), e.ReleaseBuffer(); }), "abc"},
        {"ReleaseBuffer measures",
         edited("abc",
                [](CString& e) {
                    std::strcpy(e.GetBuffer(10), "longer");
                    e.ReleaseBuffer();
                }),
         "longer"},
        {"ReleaseBuffer cuts", edited("abc", [](CString& e) { e.GetBufferSetLength(3)[0] = 'X', e.ReleaseBuffer(2); }),
         "Xb"},
        {"Find", n(dots.Find('.')), "1"},
        {"Find from the last", n(dots.Find('c', 4)), "4"},
        {"Find from past the end", n(dots.Find('.', 99)), "-1"},
        {"Find text from", n(dots.Find("b", 3)), "-1"},
        {"Find empty text at the end", n(dots.Find("", 5)), "5"},
        {"Find text", n(dots.Find(".c")), "3"},
        {"ReverseFind", n(dots.ReverseFind('.')), "3"},
        {"ReverseFind missing", n(s.ReverseFind('x')), "-1"},
        {"FindOneOf", n(dots.FindOneOf("cb")), "2"},
        {"Replace count", n(CString("aaaa").Replace("aa", "b")), "2"},
        {"Replace empty", n(CString("aa").Replace("", "x")), "0"},
        {"Replace characters", n(CString("abab").Replace('b', 'c')), "2"},
        {"Remove count", n(CString("hello").Remove('l')), "2"},
        {"Insert length", n(CString("ab").Insert(1, "xy")), "4"},
        {"Delete length", n(CString("abcd").Delete(1, 2)), "2"},
        {"GetAt past the end", n(s.GetAt(6)), "0"},
        {"GetAt negative", n(s.GetAt(-1)), "0"},
        {"index", CString(s[1]), "b"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.expected);
    }
    EXPECT_EQ(big.GetLength(), 1000);
    EXPECT_EQ(CString(std::string_view("a\0b", 3)).GetLength(), 3);
}

TEST(CString, ComparesBytesAsUnsignedAndFoldsAsciiOnly)
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
        {"\xe4", "z", 1, 1},  {"_", "a", -1, -1},   {"_", "A", 1, -1},  {"", "a", -1, -1},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(sign(CString(c.a).Compare(c.b)), c.compare);
        EXPECT_EQ(sign(CString(c.a).CompareNoCase(c.b)), c.compareNoCase);
        EXPECT_EQ(CString(c.a) < c.b, c.compare < 0);
        EXPECT_EQ(CString(c.a) == c.b, c.compare == 0);
        EXPECT_EQ(CString(c.a) != CString(c.b), c.compare != 0);
    }
    EXPECT_GT(CString("x").Compare(nullptr), 0);

    // A single-byte locale where 0xE4 is a lower-case letter must not change the result.
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1");
    CString s("aZ\xe4\xc4\xff_1 m\x80");
    EXPECT_EQ(s.MakeUpper(), "AZ\xe4\xc4\xff_1 M\x80");
    EXPECT_EQ(s.MakeLower(), "az\xe4\xc4\xff_1 m\x80");
    std::setlocale(LC_CTYPE, saved.c_str());
}

} // namespace
