// The results table against spreadsheets: a compound whose name a spreadsheet would run as a
// formula is written as text and still reads back as itself, so tessaly final and export match it.
#include "apps/ResultsTable.h"

#include <gtest/gtest.h>

namespace
{
using tessaly::ResultRow;

const std::string kHeader = "compound\tstatus\tparent_mz\tdaughter_mz\tcone_voltage\tcollision_energy\tresponse\t"
                            "ion_mode\tpolarity\tat_edge\n";

// The compound's cell in the table written for row, and the row read back from that table.
TEST(ResultsTable, WritesFormulaNamesAsTextThatReadsBackAsTheName)
{
    struct Case
    {
        const char* name;
        std::string compound;
        std::string cell; // as written
    };
    // Which cells are guarded is the guard's own test (SafeText); here, that the writer guards the
    // name and the reader gives it back, also one that already looks guarded.
    const Case cases[] = {
        {"formula", "=HYPERLINK(\"http://x\",\"y\")", "'=HYPERLINK(\"http://x\",\"y\")"},
        {"a number stays a number", "-5", "-5"},
        {"already marked", "'=X", "''=X"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<ResultRow> rows = {
            {c.compound, true, 195.088, 138.066, 30, 22, 12345.7, IONMODE_ESP, IONMODEOPT_POSITIVE},
            {c.compound, false},
        };
        const std::string text = tessaly::writeResultsTable(rows, {"cv", "ce"});
        EXPECT_EQ(text, kHeader + c.cell + "\tok\t195.088\t138.066\t30\t22\t12345.7\tESP\t+\tcv\n" + c.cell +
                            "\tfailed\t\t\t\t\t\t\t\t\n");
        tessaly::ResultsTable table;
        std::string error;
        ASSERT_TRUE(tessaly::readResultsTable(text, "r.tsv", table, error)) << error;
        EXPECT_EQ(table.rows, rows);
    }
}

// A control character before a leader is a space, which no spreadsheet runs, and the reader trims;
// an edge text gets the same guard as a name.
TEST(ResultsTable, GuardsEveryCellAfterBlankingControls)
{
    const std::string text = tessaly::writeResultsTable(
        {{"\x1b=X", true, 100.0, 0.0, 15, 0, 0.0, IONMODE_APCI, IONMODEOPT_NEGATIVE}}, {"=edge"});
    EXPECT_EQ(text, kHeader + " =X\tok\t100.000\t\t15\t0\t0\tAPcI\t-\t'=edge\n");
    tessaly::ResultsTable table;
    std::string error;
    ASSERT_TRUE(tessaly::readResultsTable(text, "r.tsv", table, error)) << error;
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_EQ(table.rows[0].compound, "=X");
}

// A table a person saved from a spreadsheet, which marked a formula name the same way.
TEST(ResultsTable, ReadsAMarkedNameAsTheTextTheSpreadsheetShows)
{
    tessaly::ResultsTable table;
    std::string error;
    ASSERT_TRUE(tessaly::readResultsTable(kHeader + " '=X \tfailed\t\t\t\t\t\t\t\t\n'Y\tfailed\t\t\t\t\t\t\t\t\n",
                                          "r.tsv", table, error))
        << error;
    EXPECT_EQ(table.rows, (std::vector<ResultRow>{{"=X"}, {"'Y"}}));
}
} // namespace
