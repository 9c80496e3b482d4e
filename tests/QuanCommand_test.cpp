// tessaly quan and tessaly samplelist convert end to end, on the host stand-in over a temporary
// data directory.
#include "testing/DriverTest.h"
#include "testing/Unprivileged.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{
const char* const kList = "FILE_NAME,SAMPLE_GROUP,METH_DB,Notes\n"
                          "S1,Plasma,m0,keep 1\n"
                          "S2,plasma,m0,keep 2\n"
                          "S3,Urine,m0,keep 3\n"
                          "S4,,m0,keep 4\n";

std::string groupText(int number, const char* label, const char* samples, const char* method)
{
    return "Quantify (Group " + std::to_string(number) + " - " + label + ")\n  samples: " + samples +
           "\n  method: " + method + "\n  curve: \n  dump file: \n";
}

using QuanCommand = tests::DriverTest;

// Both forms: the method of one group changes in its rows only, and the column the host does not
// know survives.
TEST_F(QuanCommand, SetMethodWritesOneGroupInEitherForm)
{
    const std::string csv = write("b.csv", kList), spl = path("b.spl");
    ASSERT_EQ(tessaly({"samplelist", "convert", csv, spl}).out, csv + ": 4 rows written to " + spl + "\n");
    EXPECT_EQ(tessaly({"quan", spl}).out, groupText(1, "PLASMA", "1-2", "m0") + groupText(2, "URINE", "3-3", "m0") +
                                              groupText(3, "Unlabelled", "4-4", "m0"));
    EXPECT_EQ(tessaly({"quan", csv, "--group", "2", "--set-method", "C:\\Quan\\U.mdb"}).out,
              groupText(1, "PLASMA", "1-2", "m0") + groupText(2, "URINE", "3-3", "C:\\Quan\\U.mdb") +
                  groupText(3, "Unlabelled", "4-4", "m0"));
    EXPECT_NE(read(csv).find("S3,Urine,C:\\Quan\\U.mdb,keep 3"), std::string::npos) << read(csv);
    EXPECT_EQ(tessaly({"quan", spl, "--group", "3", "--set-method", "C:\\Quan\\U.mdb"}).out,
              groupText(1, "PLASMA", "1-2", "m0") + groupText(2, "URINE", "3-3", "m0") +
                  groupText(3, "Unlabelled", "4-4", "C:\\Quan\\U.mdb"));

    // The list written in place keeps its line ends; a new one gets CR LF.
    const std::string back = path("back.csv");
    ASSERT_EQ(tessaly({"samplelist", "convert", spl, back}).status, 0);
    std::string text = read(back);
    std::erase(text, '\r');
    EXPECT_EQ(text,
              "FILE_NAME,SAMPLE_GROUP,METH_DB,Notes\nS1,Plasma,m0,keep 1\nS2,plasma,m0,keep 2\nS3,Urine,m0,keep 3\n"
              "S4,,C:\\Quan\\U.mdb,keep 4\n");
}

TEST_F(QuanCommand, DumpFileDialogIsAnsweredFromTheCommandLineOrCancelled)
{
    const std::string list = write("c.csv", kList);
    Result r = tessaly({"quan", list, "--choose-dump-file"});
    EXPECT_EQ(r.out.rfind("LIMS export file: not changed (the dialog was cancelled)\nQuantify", 0), 0u) << r.out;
    r = tessaly({"quan", list, "--choose-dump-file", "--dialog-answer", "C:\\Lims\\Run1.txt"});
    EXPECT_EQ(r.out.rfind("LIMS export file: C:\\Lims\\Run1.txt\nQuantify", 0), 0u) << r.out;
}

// As an ordinary user (nobody when the test runs as root): a read-only list in a folder everyone
// may write is refused and kept, not replaced by a rename.
TEST_F(QuanCommand, ProtectedListIsRefusedAndKept)
{
    const std::string list = write("ro.csv", kList);
    ASSERT_EQ(::chmod(list.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0777), 0);
    testkit::openToEveryone(dir_.path());
    const std::string before = snapshot().at(list);
    const int seen = testkit::runUnprivileged([&] {
        const Result r = tessaly({"quan", list, "--group", "1", "--set-method", "C:\\Quan\\P.mdb"});
        return r.out.empty() && r.err.rfind("tessaly: " + list + ": the method could not be written: ", 0) == 0
                   ? r.status
                   : 100 + r.status;
    });
    EXPECT_EQ(seen, 1) << "exit status seen by the user; 100 and above: not the one-line message";
    EXPECT_EQ(snapshot().at(list), before) << "owner, mode and bytes";
}
} // namespace
