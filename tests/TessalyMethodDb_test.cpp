// tessaly methoddb and tessaly tune end to end, on the host stand-in over a temporary data
// directory.
#include "testing/DriverTest.h"
#include "testing/Unprivileged.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{
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
    EXPECT_EQ(tessaly({"methoddb", "show", database}).out, expected);
}

TEST_F(TessalyMethodDb, LoadedTuneIsTheInstrumentsTuneUntilAnotherLoads)
{
    const std::string parent = write("Parent.ipr", "[Tune]\nIon Mode=APcI\nPolarity=-\nCapillary kV=2.5\n"
                                                   "Source Temperature=130\nDesolvation Temperature=450\n"
                                                   "Cone Gas Flow=60\nDesolvation Gas Flow=500\n");
    EXPECT_EQ(tessaly({"tune", "show"}).out, "No tune is loaded\n");
    const Result loaded = tessaly({"tune", "load", parent});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_NE(loaded.out.find("Ion Mode=APcI\nPolarity=-\nCapillary kV=2.5\n"), std::string::npos) << loaded.out;
    EXPECT_EQ(tessaly({"tune", "show"}).out, loaded.out);
    EXPECT_EQ(tessaly({"tune", "show", parent}).out, loaded.out);
    // A tune that does not load leaves the loaded one in place.
    EXPECT_EQ(tessaly({"tune", "load", write("Broken.ipr", "[Tune]\nIon Mode=ESP\n")}).status, 2);
    EXPECT_EQ(tessaly({"tune", "show"}).out, loaded.out);

    // Each command is a session of its own: a tune that cannot be recorded for the next one is a
    // failure, not a load. An ordinary user (nobody under root) may not write the data directory.
    const std::string other = write("Other.ipr", read(parent));
    testkit::openToEveryone(dir_.path());
    ASSERT_EQ(::chmod(path("Instrument.ini").c_str(), 0444) | ::chmod(dir_.path().c_str(), 0555), 0);
    const int status = testkit::runUnprivileged([&] {
        const Result r = tessaly({"tune", "load", other});
        const std::string expected = "tessaly: " + other + ": the tune was loaded but could not be recorded for "
                                     "later commands (C:\\Instrument.ini cannot be written)\n";
        return r.out.empty() && r.err == expected ? r.status : 100 + r.status;
    });
    ::chmod(dir_.path().c_str(), 0755);
    EXPECT_EQ(status, 1) << "100 and above: not the one-line reason";
    EXPECT_EQ(tessaly({"tune", "show"}).out, loaded.out);
}
} // namespace
