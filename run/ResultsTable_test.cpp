// The results table that a run prints and tessaly final and export read back: its reader, its
// refusals, and a writer whose text reads back as the rows, also against spreadsheets.
#include "run/ResultsTable.h"

#include <gtest/gtest.h>

namespace
{
using tessaly::ResultRow;

const std::string kHeader = "compound\tstatus\tparent_mz\tdaughter_mz\tcone_voltage\tcollision_energy\tresponse\t"
                            "ion_mode\tpolarity\n";

TEST(ResultsTable, ReadsAnyColumnOrderLineEndAndMarkAtTheTablesPrecision)
{
    struct Case
    {
        const char* name;
        std::string text;
        std::vector<ResultRow> rows;
        std::vector<int> lines;
    };
    const Case cases[] = {
        {"plain, rounded to the written precision",
         kHeader + "Caffeine\tok\t195.08771\t138.0662\t30\t22\t12345.67\tESP\t+\n",
         {{"Caffeine", true, 195.088, 138.066, 30, 22, 12345.7, IONMODE_ESP, IONMODEOPT_POSITIVE}},
         {2}},
        {"mark, CR LF, blank lines, blanks around cells",
         "\xEF\xBB\xBF"
         "compound\tstatus\tparent_mz\tdaughter_mz\tcone_voltage\tcollision_energy\tresponse\tion_mode"
         "\tpolarity\r\n\r\n \t \r\n Caffeine \tok\t 195.088\t\t-3\t0\t0\tAPcI\t-\r\n",
         {{"Caffeine", true, 195.088, 0.0, -3, 0, 0.0, IONMODE_APCI, IONMODEOPT_NEGATIVE}},
         {4}},
        {"other order, extra columns ignored",
         "at_edge\tpolarity\tion_mode\tresponse\tcollision_energy\tcone_voltage\tdaughter_mz\tparent_"
         "mz\tstatus\tcompound\n"
         "maybe\t+\tESP\t1e+06\t22\t30\t138.066\t195.088\tok\tCaffeine\n",
         {{"Caffeine", true, 195.088, 138.066, 30, 22, 1e6, IONMODE_ESP, IONMODEOPT_POSITIVE}},
         {2}},
        {"failed rows need no values",
         kHeader + "Ibuprofen\tfailed\t\t\t\t\t\t\t\nX\tfailed\tabc\t\t\t\t\t\tnone\n",
         {{"Ibuprofen"}, {"X"}},
         {2, 3}},
        {"header only", kHeader, {}, {}},
        {"names a spreadsheet marked lose one mark",
         kHeader + " '=X \tfailed\t\t\t\t\t\t\t\n'Y\tfailed\t\t\t\t\t\t\t\n''=Z\tfailed\t\t\t\t\t\t\t\n",
         {{"=X"}, {"'Y"}, {"'=Z"}},
         {2, 3, 4}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        tessaly::ResultsTable table;
        std::string error;
        ASSERT_TRUE(tessaly::readResultsTable(c.text, "r.tsv", table, error)) << error;
        EXPECT_EQ(table.rows, c.rows);
        EXPECT_EQ(table.lines, c.lines);
    }
}

TEST(ResultsTable, RefusesSayingWhereWhatAndWhatWasExpected)
{
    const auto row = [](const char* cells) { return kHeader + "Caffeine\tok\t" + cells + "\n"; };
    struct Case
    {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {row("abc\t138.066\t30\t22\t1\tESP\t+"), "r.tsv:2: \"parent_mz\" is \"abc\", not a number above 0"},
        {row("195\t-1\t30\t22\t1\tESP\t+"), "r.tsv:2: \"daughter_mz\" is \"-1\", not empty or a number above 0"},
        {row("195\t\t30.5\t22\t1\tESP\t+"), "r.tsv:2: \"cone_voltage\" is \"30.5\", not a whole number"},
        {row("195\t\t30\t2147483648\t1\tESP\t+"),
         "r.tsv:2: \"collision_energy\" is \"2147483648\", not a whole number"},
        {row("195\t\t30\t22\t1e39\tESP\t+"), "r.tsv:2: \"response\" is \"1e39\", not a number from 0 to 3.40282e+38"},
        {row("195\t\t30\t22\t1\tesp\t+"), "r.tsv:2: \"ion_mode\" is \"esp\", not ESP or APcI"},
        {kHeader + "Caffeine\tOK\t\t\t\t\t\t\t\n", "r.tsv:2: \"status\" is \"OK\", not ok or failed"},
        {kHeader + " \tfailed\t\t\t\t\t\t\t\n", "r.tsv:2: \"compound\" is empty"},
        {kHeader + "Caf\rfeine\tfailed\t\t\t\t\t\t\t\n", "r.tsv:2: \"compound\" holds a control character"},
        {kHeader + "\nCaffeine\tfailed\t\t\n", "r.tsv:3: 4 cells, but the header has 9"},
        {"compound\tstatus\tparent_mz\tdaughter_mz\tcone_voltage\tcollision_energy\tresponse\tion_mode\n",
         "r.tsv:1: no \"polarity\" column in the header"},
        {"status\t" + kHeader, "r.tsv:1: \"status\" names two columns of the header"},
        {"\r\n  \n", "r.tsv: no header row; expected one naming the columns"},
        {std::string(tessaly::kMaxResultsTableBytes + 1, '\n'),
         "r.tsv: 67108865 bytes, more than the 64 MiB a results table may hold"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text.substr(0, 200));
        tessaly::ResultsTable table;
        std::string error;
        EXPECT_FALSE(tessaly::readResultsTable(c.text, "r.tsv", table, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(ResultsTable, WritesTheRunsFormatGuardedAgainstSpreadsheetsAndReadsItBack)
{
    const std::string header = kHeader.substr(0, kHeader.size() - 1) + "\tat_edge\n";
    struct Case
    {
        const char* name;
        std::vector<ResultRow> rows;
        std::vector<std::string> atEdge;
        std::string text;             // after the header
        std::vector<ResultRow> back;  // read back; empty: the rows
    };
    const ResultRow caffeine = {"Caffeine", true, 195.0877, 138.066, 30, 22, 12345.67, IONMODE_ESP, IONMODEOPT_POSITIVE};
    const ResultRow apci = {"X", true, 100.0, 0.0, 15, 0, 0.0, IONMODE_APCI, IONMODEOPT_NEGATIVE};
    const Case cases[] = {
        {"rounded, failed and MS-only rows",
         {caffeine, {"Ibu\tprofen", false}, apci},
         {"cv,ce", "ce", ""},
         "Caffeine\tok\t195.088\t138.066\t30\t22\t12345.7\tESP\t+\tcv,ce\n"
         "Ibu profen\tfailed\t\t\t\t\t\t\t\t\n"
         "X\tok\t100.000\t\t15\t0\t0\tAPcI\t-\t\n",
         {{"Caffeine", true, 195.088, 138.066, 30, 22, 12345.7, IONMODE_ESP, IONMODEOPT_POSITIVE},
          {"Ibu profen", false},
          apci}},
        // Which cells are guarded is the guard's own test; here, that the writer guards the name and
        // the edge text, and the reader gives the name back, also one that already looks guarded.
        {"a formula name", {{"=HYPERLINK(\"http://x\",\"y\")", true, 100.0, 0.0, 15, 0, 0.0, IONMODE_APCI,
                             IONMODEOPT_NEGATIVE}},
         {"=edge"}, "'=HYPERLINK(\"http://x\",\"y\")\tok\t100.000\t\t15\t0\t0\tAPcI\t-\t'=edge\n", {}},
        {"a number stays a number", {{"-5", false}}, {""}, "-5\tfailed\t\t\t\t\t\t\t\t\n", {}},
        {"already marked", {{"'=X", false}}, {""}, "''=X\tfailed\t\t\t\t\t\t\t\t\n", {}},
        {"a control character before a leader is a space",
         {{"\x1b=X", false}}, {""}, " =X\tfailed\t\t\t\t\t\t\t\t\n", {{"=X"}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string text = tessaly::writeResultsTable(c.rows, c.atEdge);
        EXPECT_EQ(text, header + c.text);
        tessaly::ResultsTable table;
        std::string error;
        ASSERT_TRUE(tessaly::readResultsTable(text, "r.tsv", table, error)) << error;
        EXPECT_EQ(table.rows, c.back.empty() ? c.rows : c.back);
    }
}
} // namespace
