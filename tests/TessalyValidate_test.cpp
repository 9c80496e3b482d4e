// tessaly method validate and method move end to end: the example project copied into a temporary
// data directory, checked and moved by the driver on the host stand-in.
#include "testing/DriverTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
namespace fs = std::filesystem;

class TessalyValidate : public tests::DriverTest
{
  protected:
    void SetUp() override
    {
        DriverTest::SetUp();
        // The data directory is C:\ to the host, so the project is C:\Projects\Demo.PRO, which is
        // where the example method's paths point.
        projects_ = root_ / "data" / "Projects";
        fs::create_directories(projects_);
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", projects_ / "Demo.PRO", fs::copy_options::recursive);
        project_ = (projects_ / "Demo.PRO").string();
        method_ = project_ + "/Methods/Demo.tym";
        compounds_ = project_ + "/SampleDB/Compounds.csv";
        analysis_ = project_ + "/SampleDB/Analysis.csv";
    }
    // method validate of the demo method against project with the demo's lists and more arguments.
    Result validate(const std::string& project, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"method",      "validate", method_,      "--project", project,
                                         "--compounds", compounds_, "--analysis", analysis_};
        args.insert(args.end(), more.begin(), more.end());
        return tessaly(args);
    }
    void setKey(const std::string& keyValue)
    {
        ASSERT_EQ(tessaly({"method", "set", method_, keyValue}).status, 0) << keyValue;
    }
    fs::path projects_;
    std::string project_;
    std::string method_;
    std::string compounds_;
    std::string analysis_;
};

TEST_F(TessalyValidate, ExampleProjectIsValid)
{
    const Result r = validate(project_);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 0);
}

TEST_F(TessalyValidate, WarningsAloneLeaveTheMethodValid)
{
    setKey("Adduct Pos Sodium=1");
    // A tune file outside any project is not moved into the project, so it is reported.
    setKey("Parent Tune File=C:\\Shared\\Parent.ipr");
    const Result r = validate(project_);
    EXPECT_EQ(r.out, "Sodium adduct not recommended for MSMS methods\n"
                     "MS tune file not in this project\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(TessalyValidate, ErrorsFailTheValidation)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> more;
        const char* findings;
    };
    const Case cases[] = {
        {"automatic quantification without its files",
         {"--auto-quantify", "--export-lims"},
         "No acquisition quan method selected\n"
         "No quan calibration name selected\n"
         "No LIMS export file name selected\n"},
        {"export per group without a base name",
         {"--auto-quantify", "--concatenate-group", "--calibration", "Curve1", "--base-quan-method",
          "MethDB/ParentTemplate.mdb"},
         "No LIMS export file basename selected\n"},
        {"a missing analysis list", {"--analysis", "SampleDB/Missing.csv"}, "Analysis file cannot be opened\n"},
        {"a missing compound list", {"--compounds", "SampleDB/Missing.csv"}, "Compound file cannot be opened\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<std::string> more;
        for (const std::string& arg : c.more)
            more.push_back(arg.find('/') != std::string::npos ? project_ + "/" + arg : arg);
        // A later --analysis or --compounds replaces the demo's list.
        const Result r = validate(project_, more);
        EXPECT_EQ(r.out, c.findings);
        EXPECT_EQ(r.status, 1);
    }
}

TEST_F(TessalyValidate, OptimisationOnlyNeedsNoAnalysisFiles)
{
    setKey("Acquisition Tune File=");
    setKey("Stage2 LC Method=");
    Result r = validate(project_);
    EXPECT_EQ(r.out, "Must have an acquisition tune file selected\n"
                     "Acquire and Quantify requires an lc method\n");
    EXPECT_EQ(r.status, 1);

    r = tessaly({"method", "validate", method_, "--project", project_, "--compounds", compounds_, "--no-analysis"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 0);
}

TEST_F(TessalyValidate, WithoutListsTheListErrorsAreReported)
{
    const Result r = tessaly({"method", "validate", method_, "--project", project_});
    EXPECT_EQ(r.out, "Acquire and Quantify requires an analysis file\n"
                     "Must have a compound file selected\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(TessalyValidate, ProjectFilesFollowTheProjectButTheMethodFileDoesNot)
{
    // Validating against another project moves the method's files into it; the method file stays
    // where it is, outside that project.
    fs::create_directories(projects_ / "Other.PRO");
    const Result r = validate((projects_ / "Other.PRO").string());
    EXPECT_EQ(r.out, "Tessaly method file not in this project\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(TessalyValidate, BadArgumentsAreRefused)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> args;
        std::string error;
    };
    const std::string missing = project_ + "/Methods/Missing.tym";
    const Case cases[] = {
        {"no project", {"method", "validate", method_}, "method validate needs --project DIR"},
        {"no method file", {"method", "validate", "--project", project_}, "method validate needs a method file"},
        {"missing method file", {"method", "validate", missing, "--project", project_}, missing + ": no such file"},
        {"project is a file", {"method", "validate", method_, "--project", method_}, method_ + ": not a directory"},
        {"option without value",
         {"method", "validate", method_, "--project", project_, "--lims-file"},
         "method validate: --lims-file needs a value"},
        {"unknown option",
         {"method", "validate", method_, "--project", project_, "--fast"},
         "method validate: unknown option --fast"},
        {"two method files",
         {"method", "validate", method_, method_, "--project", project_},
         "method validate takes one method file, not also \"" + method_ + "\""},
        {"run options do not move",
         {"method", "move", method_, "--project", project_, "--unattended"},
         "method move: unknown option --unattended"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Result r = tessaly(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "tessaly: " + c.error + "\n");
    }
}

TEST_F(TessalyValidate, MoveRewritesEveryPathIntoTheNewProject)
{
    setKey("Loop LC Method=C:\\Projects\\Demo.PRO\\Acqudb\\LoopValve.ilm");
    const std::string before = tessaly({"method", "show", method_}).out;
    ASSERT_NE(before.find("C:\\Projects\\Demo.PRO\\"), std::string::npos);

    fs::create_directories(projects_ / "New.PRO");
    const Result r = tessaly({"method", "move", method_, "--project", (projects_ / "New.PRO").string()});
    ASSERT_EQ(r.status, 0) << r.err;

    // Every key is kept; only the project part of the paths changed.
    const std::string from = "C:\\Projects\\Demo.PRO\\";
    const std::string to = "C:\\Projects\\New.PRO\\";
    std::string expected = before;
    for (size_t at = 0; (at = expected.find(from, at)) != std::string::npos; at += to.size())
        expected.replace(at, from.size(), to);
    EXPECT_EQ(tessaly({"method", "show", method_}).out, expected);
    EXPECT_EQ(read(method_).find("Demo.PRO"), std::string::npos);
    EXPECT_NE(read(method_).find("Loop LC Method=C:\\Projects\\New.PRO\\Acqudb\\LoopValve.ilm"), std::string::npos);
}

TEST_F(TessalyValidate, MovedMethodValidatesInItsNewProject)
{
    fs::copy(projects_ / "Demo.PRO", projects_ / "Copy.PRO", fs::copy_options::recursive);
    const std::string copy = (projects_ / "Copy.PRO").string();
    ASSERT_EQ(tessaly({"method", "move", copy + "/Methods/Demo.tym", "--project", copy}).status, 0);

    const Result r = tessaly({"method", "validate", copy + "/Methods/Demo.tym", "--project", copy, "--compounds",
                              copy + "/SampleDB/Compounds.csv", "--analysis", copy + "/SampleDB/Analysis.csv"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 0);
}
} // namespace
