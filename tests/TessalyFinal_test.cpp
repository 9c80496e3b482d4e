// tessaly final end to end on a copy of the example project: final quan methods made from a table
// of earlier results.
#include "testing/DriverTest.h"

#include <array>
#include <gtest/gtest.h>

namespace
{
namespace fs = std::filesystem;

const std::string kHeader = "compound\tstatus\tparent_mz\tdaughter_mz\tcone_voltage\tcollision_energy\tresponse\t"
                            "ion_mode\tpolarity\n";

// The example project copied to C:\Projects\Demo.PRO, whose analysis list has the groups PLASMA
// (rows 1 to 4), SCREEN URINE (5 to 7) and the unlabelled row 8. Its method is MS/MS with the
// collision energy ramp 5, 10, ... 40 and a stage-2 LC method of 5 minutes.
class TessalyFinal : public tests::DriverTest
{
  protected:
    void SetUp() override
    {
        fs::create_directories(path("Projects"));
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", project_, fs::copy_options::recursive);
    }
    Result final(const std::string& table, std::vector<std::string> more = {}, const std::string& list = "") const
    {
        std::vector<std::string> args = {
            "final",   "--method", method_,       "--analysis", list.empty() ? list_ : list,
            "--group", "1",        "--compounds", table};
        args.insert(args.end(), more.begin(), more.end());
        return tessaly(args);
    }
    const std::string project_ = path("Projects/Demo.PRO");
    const std::string method_ = project_ + "/Methods/Demo.tym";
    const std::string list_ = project_ + "/SampleDB/Analysis.csv";
    // Group 1: row 1 failed; rows 2 to 4 on the ramp's steps 4 and 8 and off the ramp (function
    // 1); a later result of row 2's compound is not its first ok one.
    const std::string results_ =
        write("results.tsv", kHeader + "Solvent blank\tfailed\t\t\t\t\t\t\t\n"
                                       "Calibration standard 1 ng/mL\tok\t195.0877\t138.066\t30\t20\t5\tESP\t+\n"
                                       "Calibration standard 10 ng/mL\tok\t152.071\t110.06\t25\t40\t4\tESP\t+\n"
                                       "Quality control low\tok\t181.1\t120.2\t20\t23\t3\tESP\t+\n"
                                       "Calibration standard 1 ng/mL\tok\t1\t1\t1\t10\t9\tESP\t+\n");
    // The printed records of results_ in group 1, each ending in the "Use Reference" and
    // "Reference Record" given for it.
    static std::string records(const std::array<const char*, 3>& references)
    {
        const char* const records[] = {"1\tCalibration standard 1 ng/mL\t5\t195.088 > 138.066",
                                       "2\tCalibration standard 10 ng/mL\t9\t152.071 > 110.060",
                                       "3\tQuality control low\t1\t181.100 > 120.200"};
        std::string text = "Record\tCompound\tFunction\tMass\tExpected Time\tWindow\tRange Start\tRange End"
                           "\tUse Reference\tReference Record\n";
        for (std::size_t i = 0; i < references.size(); ++i)
            text += std::string(records[i]) + "\t2.500\t2.500\t0.000\t5.000\t" + references[i] + "\n";
        return text;
    }
};

TEST_F(TessalyFinal, WritesTheGroupsRecordsAndNeverOverwritesAnEarlierMethod)
{
    const std::string methods = project_ + "/MethDB/";
    const Result r = final(results_);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + methods + "Analysis_PLASMA.mdb\n" + records({"0\t0", "0\t0", "0\t0"}) +
                         "row 1 (Solvent blank): no ok result in " + results_ + "\n");
    const std::string first = read(methods + "Analysis_PLASMA.mdb");

    const Result again = final(results_);
    ASSERT_EQ(again.status, 0) << again.err;
    const std::string written = again.out.substr(6, again.out.find('\n') - 6);
    EXPECT_NE(written, methods + "Analysis_PLASMA.mdb");
    EXPECT_TRUE(fs::exists(written)) << again.out;
    EXPECT_EQ(read(methods + "Analysis_PLASMA.mdb"), first);
    EXPECT_EQ(tessaly({"methoddb", "show", written}).out, records({"0\t0", "0\t0", "0\t0"}));
}

TEST_F(TessalyFinal, TheFirstMarkedRowWithARecordIsTheReference)
{
    // Row 1 is marked but has no record; row 3, the second record, is the reference.
    std::istringstream lines(read(list_));
    std::string marked, line;
    for (int row = 0; std::getline(lines, line); ++row)
        marked += line + (row == 0 ? ",SPARE_2\n" : row == 1 || row == 3 ? ",R\n" : ",\n");
    const std::string list = write("Marked.csv", marked);
    const Result r = final(results_, {"--base-quan-method", path("Q.mdb")}, list);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + path("Q_PLASMA.mdb") + "\n" + records({"1\t2", "1\t0", "1\t2"}) +
                         "Reference compound: Calibration standard 10 ng/mL (record 2)\n"
                         "row 1 (Solvent blank): no ok result in " +
                         results_ + "\n");
}

TEST_F(TessalyFinal, RefusesBeforeWritingAnything)
{
    const std::string bad = write("bad.tsv", kHeader + "Solvent blank\tok\tabc\t1\t1\t1\t1\tESP\t+\n");
    const std::string noColumn = write("nocolumn.tsv", "compound\tstatus\n");
    const std::string noDaughter =
        write("nodaughter.tsv", kHeader + "Quality control low\tok\t181.1\t\t20\t23\t3\tESP\t+\n");
    expectRefused({"final", "--method", method_, "--analysis", list_, "--group", "4", "--compounds", results_},
                  list_ + ": no group 4; the list has 3 groups (numbered from 1)");
    expectRefused({"final", "--method", method_, "--analysis", list_, "--group", "1", "--compounds", bad},
                  bad + ":2: \"parent_mz\" is \"abc\", not a number above 0");
    expectRefused({"final", "--method", method_, "--analysis", list_, "--group", "1", "--compounds", noColumn},
                  noColumn + ":1: no \"parent_mz\" column in the header");
    expectRefused({"final", "--method", method_, "--analysis", list_, "--group", "1", "--compounds", noDaughter},
                  noDaughter + ":2: \"daughter_mz\" of \"Quality control low\" is empty, but " + method_ +
                      " optimises daughter ions");
    // Without a run time in the stage-2 LC method there is no default span.
    write("Projects/Demo.PRO/Acqudb/Column.ilm", "[Inlet Method]\nMode=Column\n");
    expectRefused({"final", "--method", method_, "--analysis", list_, "--group", "1", "--compounds", results_},
                  method_ + ": its stage-2 LC method \"C:\\Projects\\Demo.PRO\\Acqudb\\Column.ilm\" gives no "
                            "\"Run Time min\" above 0 in [Inlet Method]; give --span MINUTES");
    // Outside a project there is no default base quan method.
    const std::string loose = write("Loose.tym", read(method_));
    expectRefused(
        {"final", "--method", loose, "--analysis", list_, "--group", "1", "--compounds", results_, "--span", "3"},
        loose + ": not in a project (.PRO), so there is no default; give --base-quan-method FILE.mdb");
}

// A group none of whose compounds has an ok result would get a method without a record, which
// quantifies nothing: the command fails saying so, and writes nothing.
TEST_F(TessalyFinal, RefusesAGroupWithoutAnOkResultAndWritesNothing)
{
    struct Case
    {
        const char* name;
        std::string table;
        const char* group;
        const char* label;
    };
    const Case cases[] = {
        {"only failed results",
         kHeader + "Solvent blank\tfailed\t\t\t\t\t\t\t\nCalibration standard 1 ng/mL\tfailed\t\t\t\t\t\t\t\n", "1",
         "group 1 (PLASMA)"},
        {"ok results of other groups' compounds", kHeader + "Patient 1\tok\t195.0877\t138.066\t30\t20\t5\tESP\t+\n",
         "1", "group 1 (PLASMA)"},
        {"the unlabelled group", kHeader + "Patient 1\tok\t195.0877\t138.066\t30\t20\t5\tESP\t+\n", "3",
         "group 3 (unlabelled)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string table = write("none.tsv", c.table);
        expectRefused({"final", "--method", method_, "--analysis", list_, "--group", c.group, "--compounds", table},
                      list_ + ": no compound of " + c.label + " has an ok result in " + table +
                          "; no final quan method written",
                      1);
    }
}

TEST_F(TessalyFinal, MsOnlyMethodsTakeTheConeVoltageStepAndTheParentMass)
{
    ASSERT_EQ(tessaly({"method", "set", method_, "MSMS=0"}).status, 0);
    const std::string table = write("ms.tsv", kHeader + "Solvent blank\tok\t195.0877\t\t40\t0\t5\tESP\t+\n");
    const Result r = final(table, {"--span", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto noResult = [&](const char* row) { return std::string(row) + ": no ok result in " + table + "\n"; };
    EXPECT_EQ(r.out.substr(r.out.find("\n1\t")), "\n1\tSolvent blank\t5\t195.088\t1.500\t1.500\t0.000\t3.000\t0\t0\n" +
                                                     noResult("row 2 (Calibration standard 1 ng/mL)") +
                                                     noResult("row 3 (Calibration standard 10 ng/mL)") +
                                                     noResult("row 4 (Quality control low)"));
}
} // namespace
