// tessaly methoddb and tessaly tune end to end, on the host stand-in over a temporary data
// directory.
#include "testing/DriverTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
namespace fs = std::filesystem;

using TessalyMethodDb = tests::DriverTest;

TEST_F(TessalyMethodDb, ShowPrintsTheStage1MethodRecordByRecord)
{
    const std::string database = path("TYPQ_001.mdb");
    const Result made = tessaly({"methoddb", "stage1", database, "--mass", "301.008", "--steps", "3", "--span", "4"});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string expected = "Record\tCompound\tFunction\tMass\tExpected Time\tWindow\tRange Start\tRange End"
                                 "\tUse Reference\tReference Record\n"
                                 "1\tTEMP\t1\t301.008\t2.000\t2.000\t0.000\t4.000\t0\t0\n"
                                 "2\tTEMP\t2\t301.008\t2.000\t2.000\t0.000\t4.000\t0\t0\n"
                                 "3\tTEMP\t3\t301.008\t2.000\t2.000\t0.000\t4.000\t0\t0\n";
    EXPECT_EQ(made.out, expected);
    const Result shown = tessaly({"methoddb", "show", database});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, expected);
}

TEST_F(TessalyMethodDb, RefusesBadInputWithOneLine)
{
    const std::string text = write("notes.mdb", "not a database");
    struct Case
    {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"methoddb", "show", text}, 1, "tessaly: " + text + ": not a method database\n"},
        {{"methoddb", "show"}, 2, "tessaly: methoddb show takes one method database\n"},
        {{"methoddb", "stage1", path("x.mdb"), "--mass", "1", "--steps", "two", "--span", "1"},
         2,
         "tessaly: --steps is \"two\", expected a whole number\n"},
        {{"methoddb", "stage1", path("x.mdb"), "--mass", "1", "--steps", "2", "--span", "0"},
         2,
         "tessaly: --span is \"0\", expected a time span above 0\n"},
        {{"tune", "load", path("missing.ipr")}, 2, "tessaly: " + path("missing.ipr") + ": no such file\n"},
        {{"tune", "load", text}, 2, "tessaly: notes.mdb: \"Ion Mode\" is missing, expected ESP or APcI\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const Result r = tessaly(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_FALSE(fs::exists(path("x.mdb")));
}

TEST_F(TessalyMethodDb, LoadedTuneIsTheInstrumentsTuneUntilAnotherLoads)
{
    const std::string parent = write("Parent.ipr", "[Tune]\nIon Mode=APcI\nPolarity=-\nCapillary kV=2.5\n"
                                                   "Source Temperature=130\nDesolvation Temperature=450\n"
                                                   "Cone Gas Flow=60\nDesolvation Gas Flow=500\n");
    EXPECT_EQ(tessaly({"tune", "show"}).out, "No tune is loaded\n");
    ASSERT_EQ(tessaly({"tune", "load", parent}).status, 0);
    const Result shown = tessaly({"tune", "show"});
    EXPECT_NE(shown.out.find("Ion Mode=APcI\nPolarity=-\nCapillary kV=2.5\n"), std::string::npos) << shown.out;
    // A tune that does not load leaves the loaded one in place.
    const std::string broken = write("Broken.ipr", "[Tune]\nIon Mode=ESP\n");
    EXPECT_EQ(tessaly({"tune", "load", broken}).status, 2);
    EXPECT_EQ(tessaly({"tune", "show"}).out, shown.out);
}
} // namespace
