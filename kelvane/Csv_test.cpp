#include "kelvane/Csv.h"

#include <gtest/gtest.h>

namespace kelvane
{
namespace
{
using Rows = std::vector<std::vector<std::string>>;

// Each text parses to its header and rows, or fails with the message given.
TEST(Csv, ParsesWhatSpreadsheetsWriteAndRefusesMalformedTextWithTheLine)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<std::string> header;
        Rows rows;
        const char* error = "";
    };
    const Case cases[] = {
        {"plain LF", "A,B\n1,2\n3,4\n", {"A", "B"}, {{"1", "2"}, {"3", "4"}}},
        {"CRLF, lone CR and no final line end", "A,B\r\n1,2\r3,4", {"A", "B"}, {{"1", "2"}, {"3", "4"}}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "A,B\n1,2\n",
         {"A", "B"},
         {{"1", "2"}}},
        {"quoted separator, quote and line break",
         "A,B\n\"x,y\",\"say \"\"hi\"\"\nthere\"\n",
         {"A", "B"},
         {{"x,y", "say \"hi\"\nthere"}}},
        {"short rows padded", "A,B,C\n1\n1,2\n", {"A", "B", "C"}, {{"1", "", ""}, {"1", "2", ""}}},
        {"trailing empty fields beyond the header", "A,B\n1,2,,\n", {"A", "B"}, {{"1", "2"}}},
        {"blank lines skipped", "A\n\n1\r\n\r\n2\n", {"A"}, {{"1"}, {"2"}}},
        {"quoted empty field is a row", "A\n\"\"\n", {"A"}, {{""}}},
        {"quote inside an unquoted field is text", "A\nab\"c\n", {"A"}, {{"ab\"c"}}},
        {"header only", "A,B\n", {"A", "B"}, {}},
        {"empty", "", {}, {}, "no header row"},
        {"blank lines only", "\n\r\n", {}, {}, "no header row"},
        {"unterminated quote", "A\n1\n\"open\n", {}, {}, "line 3: quoted field has no closing quote"},
        {"text after closing quote", "A,B\n\"x\"y,2\n", {}, {}, "line 2: text after a closing quote"},
        {"too many fields", "A,B\n\"1\n\",2\n1,2,3\n", {}, {}, "line 4: 3 fields, but the header names 2"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CsvTable table;
        std::string error;
        EXPECT_EQ(parseCsv(c.text, table, error), !*c.error);
        EXPECT_EQ(error, c.error);
        if (*c.error)
            continue;
        EXPECT_EQ(table.header, c.header);
        EXPECT_EQ(table.rows, c.rows);
    }
}

// A list read from a file and written back changes only the cells set: every other byte stays.
TEST(Csv, WriteBackChangesOnlyTheCellsSet)
{
    struct Case
    {
        const char* name;
        std::string text;
        size_t row, column; // row == the number of rows: a row is appended
        const char* value;  // null: the rows from row on are dropped
        std::string expected;
    };
    const Case cases[] = {
        {"blank lines and LF", "A,B\n\n1,2\n\n3,4\n", 1, 0, "x", "A,B\n\n1,2\n\nx,4\n"},
        {"CRLF", "A,B\r\n1,2\r\n", 0, 1, "y", "A,B\r\n1,y\r\n"},
        {"mixed line ends, none at the end", "A,B\r\n1,2\n3,4\r5,6", 1, 1, "y", "A,B\r\n1,2\n3,y\r5,6"},
        {"quoted cells stay quoted", "A,B\n\"1\",\"2\"\n", 0, 1, "z", "A,B\n\"1\",\"z\"\n"},
        {"a changed cell is quoted when it must be", "A,B\n1,2\n", 0, 0, "a,\"b\"", "A,B\n\"a,\"\"b\"\"\",2\n"},
        {"embedded newline kept", "A,B\n\"two\r\nlines\",2\n", 0, 1, "3", "A,B\n\"two\r\nlines\",3\n"},
        {"byte-order mark and blank lines before the header", "\xEF\xBB\xBF\r\nA\r\n1\r\n", 0, 0, "2",
         "\xEF\xBB\xBF\r\nA\r\n2\r\n"},
        {"short record grows to the cell set", "A,B,C\n1\n", 0, 2, "z", "A,B,C\n1,,z\n"},
        {"empty fields beyond the header stay", "A,B\n1,2,,\n", 0, 0, "x", "A,B\nx,2,,\n"},
        {"a record emptied is not a blank line", "A,B\nx\n", 0, 0, "", "A,B\n\"\"\n"},
        {"unchanged text stays byte for byte", "A,\"B\"\r\n\r\n1, 2 ,,\n", 0, 0, "1", "A,\"B\"\r\n\r\n1, 2 ,,\n"},
        {"appended row takes the file's line end", "A,B\n1,2", 1, 1, "y", "A,B\n1,2\n,y\n"},
        {"appended row after a lone CR", "A\r1\r", 1, 0, "2", "A\r1\r2\r"},
        {"appended row after CRLF", "A,B\r\n1,2\r\n", 1, 0, "3", "A,B\r\n1,2\r\n3,\r\n"},
        {"appended row to a text of one line", "A", 0, 0, "1", "A\r\n1\r\n"},
        {"dropped rows go with their blank lines", "A\n1\n\n2\n\n3\n", 1, 0, nullptr, "A\n1\n\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CsvTable table;
        std::string error;
        ASSERT_TRUE(parseCsv(c.text, table, error)) << error;
        if (!c.value)
            table.rows.resize(c.row);
        else if (c.row == table.rows.size())
            table.rows.emplace_back(table.header.size());
        if (c.value)
            table.rows[c.row][c.column] = c.value;
        EXPECT_EQ(formatCsv(table), c.expected);
    }
}

// A table built in memory is written afresh: csv_fuzz checks that it reads back as it was.
TEST(Csv, TableWithoutSourceIsWrittenAfreshWithCrLf)
{
    CsvTable table;
    table.header = {"A"};
    table.rows = {{""}, {" x,\"y\""}};
    EXPECT_EQ(formatCsv(table), "A\r\n\"\"\r\n\" x,\"\"y\"\"\"\r\n");
}
} // namespace
} // namespace kelvane
