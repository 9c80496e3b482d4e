#include "kelvane/Csv.h"

#include <gtest/gtest.h>

namespace kelvane
{
namespace
{
using Rows = std::vector<std::vector<std::string>>;

TEST(Csv, ParsesWhatSpreadsheetsWrite)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<std::string> header;
        Rows rows;
    };
    const Case cases[] = {
        {"plain LF", "A,B\n1,2\n3,4\n", {"A", "B"}, {{"1", "2"}, {"3", "4"}}},
        {"CRLF and no final line end", "A,B\r\n1,2\r\n3,4", {"A", "B"}, {{"1", "2"}, {"3", "4"}}},
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
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CsvTable table;
        std::string error;
        ASSERT_TRUE(parseCsv(c.text, table, error)) << error;
        EXPECT_EQ(table.header, c.header);
        EXPECT_EQ(table.rows, c.rows);
    }
}

TEST(Csv, RefusesMalformedTextWithTheLine)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"empty", "", "no header row"},
        {"blank lines only", "\n\r\n", "no header row"},
        {"unterminated quote", "A\n1\n\"open\n", "line 3: quoted field has no closing quote"},
        {"text after closing quote", "A,B\n\"x\"y,2\n", "line 2: text after a closing quote"},
        {"too many fields", "A,B\n1,2\n1,2,3\n", "line 3: 3 fields, but the header names 2"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CsvTable table;
        std::string error;
        EXPECT_FALSE(parseCsv(c.text, table, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(Csv, FormattedTextReadsBackUnchanged)
{
    CsvTable table;
    table.header = {"FILE_NAME", "FILE_TEXT", "SAMPLE_GROUP"};
    table.rows = {{"a", "plain", ""}, {"b", "comma, inside", "say \"x\""}, {"c", "two\nlines", " padded "}};
    CsvTable back;
    std::string error;
    ASSERT_TRUE(parseCsv(formatCsv(table), back, error)) << error;
    EXPECT_EQ(back.header, table.header);
    EXPECT_EQ(back.rows, table.rows);

    // Bytes of a byte-order mark that belong to the first name (the file did not start with
    // them) must not be taken for a mark when the table is read back.
    CsvTable marked;
    marked.header = {"\xEF\xBB\xBFS", "B"};
    marked.rows = {{"1", "2"}};
    ASSERT_TRUE(parseCsv(formatCsv(marked), back, error)) << error;
    EXPECT_EQ(back.header, marked.header);

    CsvTable single;
    single.header = {"A"};
    single.rows = {{""}, {"x"}};
    ASSERT_TRUE(parseCsv(formatCsv(single), back, error)) << error;
    EXPECT_EQ(back.rows, single.rows);
}
} // namespace
} // namespace kelvane
