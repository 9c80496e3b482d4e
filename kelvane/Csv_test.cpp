#include "kelvane/Csv.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kelvane
{
namespace
{
// The table as "[field]" runs, one ";" after each record (the header's first), or the error.
std::string parsed(std::string_view text)
{
    CsvTable table;
    std::string error, out;
    if (!parseCsv(text, table, error))
        return "error: " + error;
    table.rows.insert(table.rows.begin(), table.header);
    for (const auto& row : table.rows)
    {
        for (const auto& field : row)
            out += "[" + field + "]";
        out += ";";
    }
    return out;
}

// Each text parses to its header and rows, or fails with the message given.
TEST(Csv, ParsesWhatSpreadsheetsWriteAndWritesBackOnlyTheCellsSet)
{
    const std::tuple<const char*, const char*, const char*> parses[] = {
        {"plain LF", "A,B\n1,2\n3,4\n", "[A][B];[1][2];[3][4];"},
        {"CRLF, lone CR and no final line end", "A,B\r\n1,2\r3,4", "[A][B];[1][2];[3][4];"},
        {"byte-order mark", "\357\273\277A,B\n1,2\n", "[A][B];[1][2];"},
        {"quoted fields", "A,B\n\"x,y\",\"say \"\"hi\"\"\nthere\"\n", "[A][B];[x,y][say \"hi\"\nthere];"},
        {"short rows padded", "A,B,C\n1\n1,2\n", "[A][B][C];[1][][];[1][2][];"},
        {"blank lines skipped", "A\n\n1\r\n\r\n2\n", "[A];[1];[2];"},
        {"quoted empty field is a row", "A\n\"\"\n", "[A];[];"},
        {"blank lines only", "\n\r\n", "error: no header row"},
        {"unterminated quote", "A\n1\n\"open\n", "error: line 3: quoted field has no closing quote"},
        {"text after closing quote", "A,B\n\"x\"y,2\n", "error: line 2: text after a closing quote"},
        {"too many fields", "A,B\n\"1\n\",2\n1,2,3\n", "error: line 4: 3 fields, but the header names 2"},
    };
    for (const auto& [name, text, expected] : parses)
        EXPECT_EQ(parsed(text), expected) << name;
    // A list read from a file and written back changes only the cells set: every other byte stays.
    // csv_fuzz checks over its corpus that an unchanged table writes back byte for byte, and that a
    // cell set to text that must be quoted, or emptied, reads back as set.
    // The text, the row and column set (a row past the last is appended) to the value (null: the rows
    // from row on are dropped), and the text written back.
    const std::tuple<const char*, const char*, size_t, size_t, const char*, const char*> edits[] = {
        {"blank lines and LF", "A,B\n\n1,2\n\n3,4\n", 1, 0, "x", "A,B\n\n1,2\n\nx,4\n"},
        {"CRLF", "A,B\r\n1,2\r\n", 0, 1, "y", "A,B\r\n1,y\r\n"},
        {"mixed line ends, none at the end", "A,B\r\n1,2\n3,4\r5,6", 1, 1, "y", "A,B\r\n1,2\n3,y\r5,6"},
        {"quoted cells stay quoted", "A,B\n\"1\",\"2\"\n", 0, 1, "z", "A,B\n\"1\",\"z\"\n"},
        {"embedded newline kept", "A,B\n\"two\r\nlines\",2\n", 0, 1, "3", "A,B\n\"two\r\nlines\",3\n"},
        {"mark, blank lines before the header", "\xEF\xBB\xBF\r\nA\r\n1\r\n", 0, 0, "2", "\xEF\xBB\xBF\r\nA\r\n2\r\n"},
        {"short record grows to the cell set", "A,B,C\n1\n", 0, 2, "z", "A,B,C\n1,,z\n"},
        {"empty fields beyond the header stay", "A,B\n1,2,,\n", 0, 0, "x", "A,B\nx,2,,\n"},
        {"appended row takes the file's line end", "A,B\n1,2", 1, 1, "y", "A,B\n1,2\n,y\n"},
        {"appended row after a lone CR", "A\r1\r", 1, 0, "2", "A\r1\r2\r"},
        {"appended row after CRLF", "A,B\r\n1,2\r\n", 1, 0, "3", "A,B\r\n1,2\r\n3,\r\n"},
        {"appended row to a text of one line", "A", 0, 0, "1", "A\r\n1\r\n"},
        {"dropped rows go with their blank lines", "A\n1\n\n2\n\n3\n", 1, 0, nullptr, "A\n1\n\n"},
    };
    for (const auto& [name, text, row, column, value, expected] : edits)
    {
        SCOPED_TRACE(name);
        CsvTable table;
        std::string error;
        ASSERT_TRUE(parseCsv(text, table, error)) << error;
        table.rows.resize(value ? std::max(row + 1, table.rows.size()) : row,
                          std::vector<std::string>(table.header.size()));
        if (value)
            table.rows[row][column] = value;
        EXPECT_EQ(formatCsv(table), expected);
    }
    // A table built in memory is written afresh (csv_fuzz checks that it reads back as it was).
    EXPECT_EQ(formatCsv(CsvTable{{"A"}, {{""}, {" x,\"y\""}}, false, "", {}}), "A\r\n\"\"\r\n\" x,\"\"y\"\"\"\r\n");
}

} // namespace
} // namespace kelvane
