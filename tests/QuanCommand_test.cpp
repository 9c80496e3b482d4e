// tessaly quan and tessaly samplelist convert end to end, on the host stand-in over a temporary
// data directory.
#include "testing/DriverTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
namespace fs = std::filesystem;

const char* const kList = "FILE_NAME,SAMPLE_GROUP,METH_DB,Notes\n"
                          "S1,Plasma,m0,keep 1\n"
                          "S2,plasma,m0,keep 2\n"
                          "S3,Urine,m0,keep 3\n"
                          "S4,,m0,keep 4\n";

using QuanCommand = tests::DriverTest;

TEST_F(QuanCommand, ListsEachGroupWithTitleSamplesAndCells)
{
    const std::string list = write("a.csv", kList);
    const Result r = tessaly({"quan", list});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Quantify (Group 1 - PLASMA)\n"
                     "  samples: 1-2\n  method: m0\n  curve: \n  dump file: \n"
                     "Quantify (Group 2 - URINE)\n"
                     "  samples: 3-3\n  method: m0\n  curve: \n  dump file: \n"
                     "Quantify (Group 3 - Unlabelled)\n"
                     "  samples: 4-4\n  method: m0\n  curve: \n  dump file: \n");
}

// Both forms: the method of group 2 changes in its rows only, and the unknown column survives.
TEST_F(QuanCommand, SetMethodWritesOneGroupInEitherForm)
{
    const std::string csv = write("b.csv", kList);
    const std::string spl = (root_ / "b.spl").string();
    ASSERT_EQ(tessaly({"samplelist", "convert", csv, spl}).status, 0);
    for (const std::string& list : {csv, spl})
    {
        SCOPED_TRACE(list);
        const Result set = tessaly({"quan", list, "--group", "2", "--set-method", "C:\\Quan\\U.mdb"});
        ASSERT_EQ(set.status, 0) << set.err;
        const Result shown = tessaly({"quan", list});
        EXPECT_NE(shown.out.find("Quantify (Group 1 - PLASMA)\n  samples: 1-2\n  method: m0\n"), std::string::npos)
            << shown.out;
        EXPECT_NE(shown.out.find("Quantify (Group 2 - URINE)\n  samples: 3-3\n  method: C:\\Quan\\U.mdb\n"),
                  std::string::npos)
            << shown.out;
    }
    EXPECT_EQ(read(csv), "FILE_NAME,SAMPLE_GROUP,METH_DB,Notes\r\n"
                         "S1,Plasma,m0,keep 1\r\n"
                         "S2,plasma,m0,keep 2\r\n"
                         "S3,Urine,C:\\Quan\\U.mdb,keep 3\r\n"
                         "S4,,m0,keep 4\r\n");

    const std::string back = (root_ / "back.csv").string();
    ASSERT_EQ(tessaly({"samplelist", "convert", spl, back}).status, 0);
    EXPECT_EQ(read(back), read(csv));
}

TEST_F(QuanCommand, DumpFileDialogIsAnsweredFromTheCommandLineOrCancelled)
{
    const std::string list = write("c.csv", kList);
    Result r = tessaly({"quan", list, "--choose-dump-file"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("LIMS export file: not changed (the dialog was cancelled)\n", 0), 0u) << r.out;
    r = tessaly({"quan", list, "--choose-dump-file", "--dialog-answer", "C:\\Lims\\Run1.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("LIMS export file: C:\\Lims\\Run1.txt\n", 0), 0u) << r.out;
}

TEST_F(QuanCommand, BadInputIsRefusedWithOneLine)
{
    const std::string list = write("d.csv", kList);
    const std::string broken = write("broken.spl", "not a database");
    const std::string existing = write("exists.spl", "x");
    struct Case
    {
        const char* name;
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {"group out of range",
         {"quan", list, "--group", "4", "--set-method", "m"},
         list + ": there is no group 4 (the list has 3)"},
        {"group not a number",
         {"quan", list, "--group", "0", "--set-method", "m"},
         "--group takes a group number from 1, not \"0\""},
        {"method without group", {"quan", list, "--set-method", "m"}, "--set-method needs --group N"},
        {"damaged database", {"quan", broken}, broken + ": file is not a database"},
        {"convert onto a file", {"samplelist", "convert", list, existing}, existing + ": already exists; not replaced"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Result r = tessaly(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "tessaly: " + c.message + "\n");
    }
    EXPECT_EQ(read(list), kList) << "a refused command must not write the list";
}
} // namespace
