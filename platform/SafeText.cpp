// Spreadsheet cells that cannot run as formulas and names that cannot drive a terminal. The rules
// are byte rules on purpose: they must not depend on the locale a program happens to run in.
#include "platform/SafeText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace
{
// The characters with which a spreadsheet starts a formula (or, for tab and carriage return, with
// which some strip the cell up to one).
bool isFormulaLeader(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// A sign, then a decimal number std::from_chars reads whole, finite and within a double's range.
// from_chars takes no '+' and no blanks, hexadecimal only when asked, and ignores the locale.
bool isSignedPlainNumber(std::string_view cell)
{
    if (cell.size() < 2 || (cell[0] != '+' && cell[0] != '-'))
        return false;
    std::string_view digits = cell;
    if (cell[0] == '+')
    {
        digits.remove_prefix(1);
        // "+-5" would pass from_chars after the '+'; a spreadsheet takes it as the formula +(-5).
        if (digits[0] == '-')
            return false;
    }
    double value = 0.0;
    const char* end = digits.data() + digits.size();
    const auto [stop, ec] = std::from_chars(digits.data(), end, value, std::chars_format::general);
    return ec == std::errc() && stop == end && std::isfinite(value);
}

// The length of the apostrophes that begin cell.
std::size_t apostrophes(std::string_view cell)
{
    const std::size_t first = cell.find_first_not_of('\'');
    return first == std::string_view::npos ? cell.size() : first;
}

// Whether cell is one or more apostrophes and then a formula leader: the cells that neutralisedCell
// makes by marking a leader, and so the ones restoredCell must unmark.
bool isMarkedLeader(std::string_view cell)
{
    const std::size_t marks = apostrophes(cell);
    return marks > 0 && marks < cell.size() && isFormulaLeader(cell[marks]);
}

// The length of the well-formed UTF-8 character at the start of text, or 0 when there is none (a
// stray continuation byte, a cut sequence, an overlong form, a surrogate, a code point beyond
// U+10FFFF).
std::size_t utf8Length(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto continuation = [&](std::size_t i, unsigned char low, unsigned char high) {
        return i < text.size() && byte(i) >= low && byte(i) <= high;
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(1, 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF)
    {
        // E0 needs A0 and up (below is overlong); ED stops at 9F (above are the surrogates).
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(1, low, high) && continuation(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4)
    {
        // F0 needs 90 and up (below is overlong); F4 stops at 8F (above is beyond U+10FFFF).
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(1, low, high) && continuation(2, 0x80, 0xBF) && continuation(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}
} // namespace

namespace platform
{
std::string neutralisedCell(std::string_view cell)
{
    const bool leader = !cell.empty() && isFormulaLeader(cell[0]) && !isSignedPlainNumber(cell);
    // Appended rather than "'" + std::string: g++ 12 at -O2 warns falsely (-Wrestrict) on that.
    std::string written;
    if (leader || isMarkedLeader(cell))
        written = "'";
    return written.append(cell);
}

std::string restoredCell(std::string_view cell)
{
    return std::string(isMarkedLeader(cell) ? cell.substr(1) : cell);
}

std::string printableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8Length(text.substr(i));
        const bool c0 = lead < 0x20 || lead == 0x7F;
        const bool c1Byte = length == 0 && lead >= 0x80 && lead <= 0x9F;
        const bool c1Utf8 = length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        const bool control = c0 || c1Byte || c1Utf8;
        if (control)
            out += ' ';
        else
            out.append(text.substr(i, length == 0 ? 1 : length));
        i += length == 0 ? 1 : length;
    }
    return out;
}
} // namespace platform
