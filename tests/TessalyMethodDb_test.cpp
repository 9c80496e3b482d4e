// tessaly methoddb and tessaly tune end to end, on the host stand-in over a temporary data
// directory.
#include "kelvane/KelvaneHost.h"
#include "platform/WinPath.h"
#include "testing/DriverTest.h"
#include "testing/Unprivileged.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

class TessalyMethodDb : public tests::DriverTest
{
  protected:
    // Makes the method database name of records default records through the host, handing over
    // count when it closes it: a count below the records is what a writer killed before it
    // closed once left. Returns its path.
    std::string makeDatabase(const std::string& name, int records, int count) const
    {
        EXPECT_NE(kelvane::install(dir_.path()), nullptr);
        tag_METHOD_DB_DESCRIPTOR descriptor;
        tag_HXFILE file;
        EXPECT_EQ(ConvertPathToHxFile(&file, platform::toHostPath(path(name)).c_str()), 1);
        descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
        descriptor.SetName(file);
        EXPECT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_CREATE), 0);
        tag_METHOD_RECORD record;
        GetDefaultMethod(&record);
        for (int i = 1; i <= records; ++i)
            EXPECT_EQ(MethodWriteRecord(&file, -1, &record, 0, 0), i);
        descriptor.SetRecordCount(count);
        EXPECT_EQ(DmDB3Close(&descriptor), 0);
        return path(name);
    }
    // The arguments of a stage-1 method of mass and steps written into file, then more.
    static std::vector<std::string> stage1(const std::string& file, const std::string& mass, int steps,
                                           std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"methoddb", "stage1", file, "--mass", mass, "--steps", std::to_string(steps),
                                         "--span",   "4"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
};

const std::string kShowHeader = "Record\tCompound\tFunction\tMass\tExpected Time\tWindow\tRange Start\tRange End"
                                "\tUse Reference\tReference Record\n";

TEST_F(TessalyMethodDb, ShowPrintsTheStage1MethodRecordByRecord)
{
    const std::string database = path("TYPQ_001.mdb");
    const Result made = tessaly({"methoddb", "stage1", database, "--mass", "301.008", "--steps", "3", "--span", "4"});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string expected = kShowHeader + "1\tTEMP\t1\t301.008\t2.000\t2.000\t0.000\t4.000\t0\t0\n"
                                               "2\tTEMP\t2\t301.008\t2.000\t2.000\t0.000\t4.000\t0\t0\n"
                                               "3\tTEMP\t3\t301.008\t2.000\t2.000\t0.000\t4.000\t0\t0\n";
    EXPECT_EQ(made.out, expected);
    EXPECT_EQ(tessaly({"methoddb", "show", database}).out, expected);
}

// A database whose header, numbering or records disagree is reported in one line that names the
// file and what is wrong, as a failure, with nothing printed as its method and nothing changed.
TEST_F(TessalyMethodDb, ShowReportsADamagedDatabaseInsteadOfShowingPartOfIt)
{
    fs::copy_file(fs::path(BRENMO_TEST_DATA) / "damaged-count.mdb", path("damaged-count.mdb"));
    struct Case
    {
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {path("damaged-count.mdb"), path("damaged-count.mdb") +
                                        ": the file is damaged (SQLite's integrity check: On tree page 5 cell 63: "
                                        "Offset 0 out of range 1473..4092)"},
        {makeDatabase("killed.mdb", 2, 0), path("killed.mdb") + ": the header counts 0 records but 2 are stored"},
        {makeDatabase("short.mdb", 3, 1), path("short.mdb") + ": the header counts 1 record but 3 are stored"},
        {write("text.mdb", "no database"), path("text.mdb") + ": not a method database"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        expectRefused({"methoddb", "show", c.file}, c.message, 1);
    }
    // A count above the records is what stage-1 and final methods carry: not a fault.
    makeDatabase("counted.mdb", 2, 8);
    const Result r = tessaly({"methoddb", "show", path("counted.mdb")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
}

// Names in a method come from whoever wrote it: shown, their control characters are spaces, so no
// terminal escape reaches the terminal.
TEST_F(TessalyMethodDb, ShowWritesControlCharactersAsSpaces)
{
    const Result made = tessaly(stage1(path("E.mdb"), "301\x1b[2J\a.008", 1));
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out, kShowHeader + "1\tTEMP\t1\t301 [2J .008\t2.000\t2.000\t0.000\t4.000\t0\t0\n");
}

// stage1 writes over an existing file (a final method of 9 records, say) only when given --force,
// and never over the template whose record it copies, --force or not.
TEST_F(TessalyMethodDb, Stage1WritesOverAFileOnlyWhenForcedAndNeverOverItsTemplate)
{
    const std::string final = makeDatabase("Final.mdb", 9, 9);
    const std::string link = path("Link.mdb");
    ASSERT_EQ(::symlink(final.c_str(), link.c_str()), 0);
    struct Case
    {
        const char* name;
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {"an existing method", stage1(final, "100", 3),
         final + ": exists already; give --force to write the stage-1 quan method over it"},
        {"a link to one", stage1(link, "100", 3),
         link + ": exists already; give --force to write the stage-1 quan method over it"},
        {"its template", stage1(final, "100", 3, {"--template", final, "--force"}),
         final + ": the stage-1 quan method would overwrite the input " + final + "; choose another file"},
        {"its template through a link", stage1(link, "100", 3, {"--template", final, "--force"}),
         link + ": the stage-1 quan method would overwrite the input " + final + "; choose another file"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        expectRefused(c.args, c.message);
    }
    const Result forced = tessaly(stage1(final, "100", 2, {"--force"}));
    ASSERT_EQ(forced.status, 0) << forced.err;
    const std::string expected = kShowHeader + "1\tTEMP\t1\t100\t2.000\t2.000\t0.000\t4.000\t0\t0\n"
                                               "2\tTEMP\t2\t100\t2.000\t2.000\t0.000\t4.000\t0\t0\n";
    EXPECT_EQ(forced.out, expected);
    EXPECT_EQ(tessaly({"methoddb", "show", link}).out, expected);
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
