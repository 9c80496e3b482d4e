// The spreadsheet-cell guard and the printable-name cleaner: formula leaders, numbers that must stay
// numbers, the exact round trip through the reader, and control characters in and around UTF-8.
#include "platform/SafeText.h"

#include <clocale>
#include <cwchar>
#include <gtest/gtest.h>
#include <locale.h>
#include <string>

namespace
{
using namespace std::string_literals;

// Every cell the writers may meet, with what a spreadsheet must be given; each must also come back
// from restoredCell exactly.
TEST(SafeText, NeutralisesFormulaCellsKeepsNumbersAndRoundTrips)
{
    struct Case
    {
        const char* name;
        std::string cell;
        std::string written;
    };
    const Case cases[] = {
        // Formulas, whatever their leader.
        {"hyperlink", "=HYPERLINK(\"http://x\",\"y\")", "'=HYPERLINK(\"http://x\",\"y\")"},
        {"dde", "+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"at", "@SUM(1+1)", "'@SUM(1+1)"},
        {"arithmetic", "-2+3", "'-2+3"},
        {"tab", "\t=1+1", "'\t=1+1"},
        {"carriage return", "\r=1+1", "'\r=1+1"},
        {"lone minus", "-", "'-"},
        {"lone plus", "+", "'+"},
        // Plain numbers stay numbers.
        {"negative", "-5", "-5"},
        {"positive exponent", "+1.5e3", "+1.5e3"},
        {"fraction", "-0.25", "-0.25"},
        {"no integer digits", "-.5", "-.5"},
        {"trailing point", "+5.", "+5."},
        {"negative exponent", "-1E-7", "-1E-7"},
        {"leading zeros", "-007", "-007"},
        // Almost numbers are not.
        {"two signs", "+-5", "'+-5"},
        {"trailing blank", "-5 ", "'-5 "},
        {"blank after sign", "- 5", "'- 5"},
        {"decimal comma", "-1,5", "'-1,5"},
        {"cut exponent", "-1e", "'-1e"},
        {"hexadecimal", "-0x10", "'-0x10"},
        {"infinity", "-inf", "'-inf"},
        {"not a number", "-nan", "'-nan"},
        {"overflow", "-1e999", "'-1e999"},
        {"underflow", "+1e-999", "'+1e-999"},
        {"two points", "-1.2.3", "'-1.2.3"},
        // A leader already behind apostrophes gets one more, so the reader can take one away.
        {"marked", "'=x", "''=x"},
        {"marked number", "'-5", "''-5"},
        // Everything else is left alone.
        {"name", "Caffeine", "Caffeine"},
        {"empty", "", ""},
        {"apostrophe only", "'", "'"},
        {"apostrophe text", "'abc", "'abc"},
        {"leader inside", "5-2", "5-2"},
        {"leader after a blank", " =1", " =1"},
        {"unsigned number", "12.5", "12.5"},
        {"utf-8", "\xC3\xA9=1", "\xC3\xA9=1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::neutralisedCell(c.cell), c.written);
        EXPECT_EQ(platform::restoredCell(c.written), c.cell);
    }
}

TEST(SafeText, PrintableTextBlanksControlsAndKeepsUtf8)
{
    // Every two bytes are tried below; these are the exact blanks and longer texts. U+2013 and
    // U+1F600 carry the continuation bytes 0x80 and 0x9F, which alone would be C1.
    const std::string utf8Text = "Koffein \xE2\x80\x93 \xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80";
    struct Case
    {
        const char* name;
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"plain", "Caffeine 1 ng/mL", "Caffeine 1 ng/mL"},
        {"escape sequences", "\x1b[31mRed\x1b[0m\x1b]0;title\x07", " [31mRed [0m ]0;title "},
        {"nul and del", "a\0b\x7F"s, "a b "},
        {"utf-8", utf8Text, utf8Text},
        {"utf-8 csi", "\xC2\x9B[31m", " [31m"},
        {"latin-1 letter", "Caf\xE9", "Caf\xE9"},
        {"cut sequence", "a\xE2\x80", "a\xE2 "},
        {"overlong escape", "\xC0\x9B", "\xC0 "},
        {"surrogate", "\xED\xA0\x80", "\xED\xA0 "},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\xF4   "},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::printableText(c.text), c.shown);
    }
}

// Every text of two bytes, decoded by the C library's own UTF-8 decoder: no control character of
// any kind is left, and well-formed text without one is unchanged.
TEST(SafeText, PrintableTextLeavesNoControlInAnyTwoBytes)
{
    const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    if (!utf8)
        GTEST_SKIP() << "no C.UTF-8 locale to decode with";
    const locale_t saved = uselocale(utf8);
    const auto isControl = [](wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); };
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b)
        {
            const std::string text = {static_cast<char>(a), static_cast<char>(b)};
            const std::string shown = platform::printableText(text);
            bool wellFormed = true, controls = false;
            std::mbstate_t state{};
            for (std::size_t i = 0; i < text.size();)
            {
                wchar_t c = 0;
                const std::size_t n = std::mbrtowc(&c, text.data() + i, text.size() - i, &state);
                if (n == 0 || n > text.size() - i)
                {
                    wellFormed = false;
                    break;
                }
                controls = controls || isControl(c);
                i += n;
            }
            SCOPED_TRACE(testing::Message() << "bytes " << a << " " << b);
            if (wellFormed && !controls)
            {
                EXPECT_EQ(shown, text);
            }
            state = {};
            for (std::size_t i = 0; i < shown.size();)
            {
                wchar_t c = 0;
                std::size_t n = std::mbrtowc(&c, shown.data() + i, shown.size() - i, &state);
                if (n == 0 || n > shown.size() - i)
                {
                    // Not a character: a byte the cleaner keeps must be a code-page letter.
                    EXPECT_GE(static_cast<unsigned char>(shown[i]), 0xA0);
                    state = {};
                    n = 1;
                }
                else
                    EXPECT_FALSE(isControl(c)) << "U+" << std::hex << static_cast<unsigned>(c);
                i += n;
            }
        }
    uselocale(saved);
    freelocale(utf8);
}
} // namespace
