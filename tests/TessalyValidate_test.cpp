// tessaly method validate and method move end to end: the example project copied into a temporary
// data directory, checked and moved by the driver on the host stand-in.
#include "testing/DriverTest.h"

#include <gtest/gtest.h>

namespace
{
namespace fs = std::filesystem;

class TessalyValidate : public tests::DriverTest
{
  protected:
    // The data directory is C:\ to the host, so the project is C:\Projects\Demo.PRO, which is
    // where the example method's paths point.
    void SetUp() override
    {
        fs::create_directories(path("Projects"));
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", project_, fs::copy_options::recursive);
    }
    // method validate of method against project with the example's lists, then more arguments.
    Result validate(const std::string& method, const std::string& project, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"method",      "validate", method, "--project", project, "--compounds",
                                         lists_ + "Compounds.csv", "--analysis", lists_ + "Analysis.csv"};
        args.insert(args.end(), more.begin(), more.end());
        return tessaly(args);
    }
    const std::string project_ = path("Projects/Demo.PRO");
    const std::string method_ = project_ + "/Methods/Demo.tym";
    const std::string lists_ = project_ + "/SampleDB/";
    // The example searches sodium adducts too, which validation warns about for MS/MS methods.
    const std::string kSodium = "Sodium adduct not recommended for MSMS methods\n";
};

TEST_F(TessalyValidate, PrintsTheFindingsAndFailsOnErrorsOnly)
{
    const std::string base = project_ + "/MethDB/ParentTemplate.mdb", lims = project_ + "/Lims.txt";
    // The exit status, the findings, and the arguments after the example's lists (a later list
    // replaces the first).
    struct Case { const char* name; int status; std::string findings; std::vector<std::string> more; };
    const Case cases[] = {
        {"the example", 0, kSodium, {}},
        {"quantify without its files", 1,
         kSodium + "No acquisition quan method selected\nNo quan calibration name selected\nNo LIMS export file "
                   "name selected\n",
         {"--auto-quantify", "--export-lims"}},
        {"quantify with its files", 0, kSodium,
         {"--auto-quantify", "--export-lims", "--calibration", "C1", "--base-quan-method", base, "--lims-file", lims}},
        {"export per group without a base name", 1, kSodium + "No LIMS export file basename selected\n",
         {"--auto-quantify", "--concatenate-group", "--calibration", "C1", "--base-quan-method", base}},
        {"no lists", 1, kSodium + "Acquire and Quantify requires an analysis file\nMust have a compound file selected\n",
         {"--analysis", "", "--compounds", ""}},
        {"optimisation only needs no analysis list", 0, kSodium, {"--analysis", "", "--no-analysis"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Result r = validate(method_, project_, c.more);
        EXPECT_EQ(r.out + r.err, c.findings);
        EXPECT_EQ(r.status, c.status);
    }
}

TEST_F(TessalyValidate, MoveRewritesEveryPathIntoTheNewProjectWhereItValidates)
{
    // Validating against another project moves the method's files into it, but not the method file.
    fs::create_directories(path("Projects/Other.PRO"));
    EXPECT_EQ(validate(method_, path("Projects/Other.PRO")).out, kSodium + "Tessaly method file not in this project\n");

    const std::string to = path("Projects/New.PRO"), moved = to + "/Methods/Demo.tym";
    fs::copy(project_, to, fs::copy_options::recursive);
    ASSERT_EQ(tessaly({"method", "set", moved, "Loop LC Method=C:\\Projects\\Demo.PRO\\Acqudb\\Loop.ilm"}).status, 0);
    std::string expected = tessaly({"method", "show", moved}).out;
    EXPECT_EQ(tessaly({"method", "move", moved, "--project", to}).out, "moved " + moved + " into " + to + "\n");

    // Every key is kept; only the project part of the paths changed.
    const std::string demo = "C:\\Projects\\Demo.PRO\\";
    ASSERT_NE(expected.find(demo), std::string::npos);
    for (size_t at = 0; (at = expected.find(demo, at)) != std::string::npos;)
        expected.replace(at, demo.size(), "C:\\Projects\\New.PRO\\");
    EXPECT_EQ(tessaly({"method", "show", moved}).out, expected);
    EXPECT_EQ(read(moved).find("Demo.PRO"), std::string::npos);
    EXPECT_EQ(validate(moved, to).out, kSodium);
}
} // namespace
