// The table of optimised compounds that a run prints and `tessaly final` reads back: tab-separated
// text, a header row naming the columns, one row per compound. It uses only the standard library,
// header-only engine headers and the platform library, so the fuzz target can compile it without
// the driver.
#pragma once

#include "method/IonMode.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly
{
/// One compound of a results table. A failed row holds only its compound; the values are then
/// their defaults. Values hold exactly what the table's text can say: m/z to 3 decimals, the
/// response to 6 significant digits (see readResultsTable), so a table read, written and read
/// again gives equal rows.
struct ResultRow
{
    std::string compound;    // never empty; no control characters
    bool ok = false;         // status "ok" (else "failed")
    double parentMz = 0.0;   // above 0 in an ok row
    double daughterMz = 0.0; // 0: none (a run without daughter search); else above 0
    int coneVoltage = 0;     // V
    int collisionEnergy = 0; // eV
    double response = 0.0;   // 0 or above, at most the largest float (the host keeps a float)
    tag_IONMODE ionMode = IONMODE_ESP;
    tag_IONMODEOPT polarity = IONMODEOPT_POSITIVE; // "+" or "-" only

    bool operator==(const ResultRow&) const = default;
};

/// A table as read: its rows in file order and, beside each, the line it came from (from 1).
struct ResultsTable
{
    std::vector<ResultRow> rows;
    std::vector<int> lines;
};

/// The largest table read: 64 MiB. A run's table is a few kilobytes; anything near this is not one.
inline constexpr std::size_t kMaxResultsTableBytes = std::size_t{64} << 20;

/// Reads the text of a table named name (the name only appears in messages). Columns "compound",
/// "status", "parent_mz", "daughter_mz", "cone_voltage", "collision_energy", "response",
/// "ion_mode" and "polarity" must all be in the header, in any order; other columns are ignored.
/// A UTF-8 byte-order mark, CR LF line ends, blanks around cells and blank lines are tolerated.
/// A compound cell that a spreadsheet guard marked (apostrophes then a formula leader, "'=x") loses
/// its first apostrophe, as platform::restoredCell does, so a written compound reads back as itself.
/// An "ok" row needs parent_mz and response as numbers, daughter_mz empty or a number, the two
/// voltages as whole numbers, ion_mode "ESP" or "APcI" and polarity "+" or "-"; m/z values are
/// rounded to 3 decimals and the response to 6 significant digits, the precision the table is
/// written with, and checked after rounding. A "failed" row's other cells are not read. On
/// success fills table and returns true; otherwise returns false with error set to one line
/// "NAME:LINE: what was wrong" (or "NAME: ..." for the file as a whole), table unspecified.
bool readResultsTable(std::string_view text, const std::string& name, ResultsTable& table, std::string& error);

/// Reads the table in the file at path, as readResultsTable with path as its name. A file over
/// kMaxResultsTableBytes is refused before it is read; so is one that cannot be read, with the
/// system's reason.
bool readResultsTableFile(const std::string& path, ResultsTable& table, std::string& error);

/// The text of a table of rows: the header row, then one row each, "\n" after every line. m/z as
/// "%.3f" (an absent daughter m/z as an empty cell), voltages as whole numbers, the response as
/// "%.6g"; a failed row leaves its value cells empty. With atEdge (one text per row) an "at_edge"
/// column follows, naming the ramps whose optimum lay on their first or last step ("cv", "ce" or
/// "cv,ce"; empty for none and for a failed row), as the true optimum may lie beyond the ramp. A
/// control character in a compound name or an at_edge text (which would break the table's lines)
/// is written as a space. Those two cells then go through platform::neutralisedCell, so a
/// spreadsheet opening the table shows a compound named "=HYPERLINK(...)" as text instead of
/// running it; the other cells are numbers and the table's own words.
std::string writeResultsTable(const std::vector<ResultRow>& rows, const std::vector<std::string>& atEdge = {});
} // namespace tessaly
