#include "platform/CString.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

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
    struct Case
    {
        const char* name;
        CString got;
        const char* expected;
    };
    const Case cases[] = {
        {"Mid inside", s.Mid(2, 3), "cde"},
        {"Mid count past the end", s.Mid(4, 100), "ef"},
        {"Mid start past the end", s.Mid(10, 2), ""},
        {"Mid negative start", s.Mid(-2, 3), "abc"},
        {"Right too many", s.Right(100), "abcdef"},
        {"Right negative", s.Right(-3), ""},
        {"Trim blanks", CString(" \t\r\n\v\fab c \n").Trim(), "ab c"},
        {"Trim a set", CString("xxabxx").Trim("x"), "ab"},
        {"TrimLeft everything", CString("--").TrimLeft('-'), ""},
        {"TrimRight everything", CString("--").TrimRight('-'), ""},
        {"Replace text not searched again", edited("x", [](CString& e) { e.Replace("x", "xx"); }), "xx"},
        {"Replace a character", edited("abab", [](CString& e) { e.Replace('b', 'c'); }), "acac"},
        {"Insert clamped", edited("heo", [](CString& e) { e.Insert(1, 'X'), e.Insert(99, "!"), e.Insert(-5, "<"); }),
         "<hXeo!"},
        {"Delete clamped", edited("<hXeo!", [](CString& e) { e.Delete(1, 2), e.Delete(3, 99), e.Delete(-1, 1); }),
         "eo"},
        {"Format", edited("", [](CString& e) { e.Format("%s-%03d-%.2f", "M", 7, 35.5); }), "M-007-35.50"},
        {"SetAt outside", edited("", [](CString& e) { e.SetAt(0, 'q'); }), ""},
        {"SetAt inside", edited("ab", [](CString& e) { e.SetAt(1, 'q'); }), "aq"},
        {"ReleaseBuffer measures",
         edited("abc", [](CString& e) { std::strcpy(e.GetBuffer(10), "x"), e.ReleaseBuffer(); }), "x"},
        {"ReleaseBuffer cuts", edited("abc", [](CString& e) { e.GetBufferSetLength(3)[0] = 'X', e.ReleaseBuffer(2); }),
         "Xb"},
        {"Find from past the end", n(dots.Find('.', 99)), "-1"},
        {"Find text from", n(dots.Find("b", 3)), "-1"},
        {"Find empty text at the end", n(dots.Find("", 5)), "5"},
        {"ReverseFind", n(dots.ReverseFind('.')), "3"},
        {"Replace count", n(CString("aaaa").Replace("aa", "b")), "2"},
        {"Replace empty", n(CString("aa").Replace("", "x")), "0"},
        {"Remove count", n(CString("hello").Remove('l')), "2"},
        {"GetAt past the end", n(s.GetAt(6)), "0"},
        {"GetAt negative", n(s.GetAt(-1)), "0"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.expected);
    }
    EXPECT_EQ(CString(std::string_view("a\0b", 3)).GetLength(), 3);
}

TEST(CString, ComparesBytesAsUnsignedAndFoldsAsciiOnly)
{
    // Two strings with the signs of Compare and of CompareNoCase.
    const std::tuple<const char*, const char*, int, int> cases[] = {
        {"abc", "abc", 0, 0}, {"abc", "ABC", 1, 0}, {"a", "b", -1, -1}, {"B", "a", -1, 1}, {"ab", "abc", -1, -1},
        {"\xe4", "z", 1, 1},  {"_", "a", -1, -1},   {"_", "A", 1, -1},  {"", "a", -1, -1},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& [a, b, compare, compareNoCase] : cases)
    {
        SCOPED_TRACE(std::string(a) + " vs " + b);
        EXPECT_EQ(sign(CString(a).Compare(b)), compare);
        EXPECT_EQ(sign(CString(a).CompareNoCase(b)), compareNoCase);
        EXPECT_EQ(CString(a) < b, compare < 0);
        EXPECT_EQ(CString(a) == b, compare == 0);
        EXPECT_EQ(CString(a) != CString(b), compare != 0);
    }

    // A single-byte locale where 0xE4 is a lower-case letter must not change the result.
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "de_DE.ISO-8859-1");
    CString s("aZ\xe4\xc4\xff_1 m\x80");
    EXPECT_EQ(s.MakeUpper(), "AZ\xe4\xc4\xff_1 M\x80");
    EXPECT_EQ(s.MakeLower(), "az\xe4\xc4\xff_1 m\x80");
    std::setlocale(LC_CTYPE, saved.c_str());
}
} // namespace
