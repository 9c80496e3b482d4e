// Names from people's files made safe for where the programs write them: cells of the CSV and TSV
// files a spreadsheet opens (where "=..." would run as a formula) and lines a person reads in a
// log or on a terminal (where ESC [ ... would drive the terminal).
#pragma once

#include "platform/Export.h"

#include <string>
#include <string_view>

namespace platform
{
/// cell as a spreadsheet must show it as text: a cell that begins with one of the formula leaders
/// '=', '+', '-', '@', a tab or a carriage return gets an apostrophe in front, the mark by which
/// spreadsheets take the rest of a cell as text and do not show the apostrophe itself. A plain
/// number stays as it is, so it is still a number: a '+' or '-', then a decimal number read whole
/// and without a range error by std::from_chars (digits with at most one point, at least one
/// digit, an optional exponent "e-7"), in any locale; no blanks, no second sign, no hexadecimal,
/// "inf" or "nan". A number beyond a double's range ("-1e999", "-1e-999") is not plain and is
/// marked, which only makes it text. So that restoredCell gives back every cell exactly, a cell of
/// one or more apostrophes followed by a leader ("'=x", "''-5") gets one apostrophe more. Every
/// other cell, the empty one included, is returned unchanged.
PLATFORM_API std::string neutralisedCell(std::string_view cell);

/// The cell that neutralisedCell was given, from what it returned: a cell of one or more
/// apostrophes followed by a formula leader loses its first apostrophe; every other cell is
/// returned unchanged. A cell typed by a person as "'=x" so reads as "=x", the text the
/// spreadsheet shows.
PLATFORM_API std::string restoredCell(std::string_view cell);

/// text with every control character a terminal or log viewer would act on written as a space:
/// the C0 controls 0x00 to 0x1F (ESC, tab and line breaks included), DEL (0x7F), and the C1
/// controls U+0080 to U+009F, both as UTF-8 (0xC2 0x80 to 0xC2 0x9F, two bytes become one space)
/// and as bytes 0x80 to 0x9F that are not part of a well-formed UTF-8 character (an 8-bit
/// terminal takes 0x9B as CSI). Well-formed UTF-8 characters from U+00A0 up pass unchanged, and
/// so do other bytes from 0xA0 up, which are letters in the 8-bit Windows and Latin code pages.
PLATFORM_API std::string printableText(std::string_view text);
} // namespace platform
