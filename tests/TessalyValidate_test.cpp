// tessaly method validate and method move end to end: the example project copied into a temporary
// data directory, checked and moved by the driver on the host stand-in.
#include "run/MethodChecks.h"
#include "method/BrenmoOptions.h"
#include "testing/DriverTest.h"

#include <gtest/gtest.h>
#include <limits>

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

// The driver's range findings follow the engine's, one line each naming the file, the key, its
// value and what was expected, and make the exit status 2. A step of 0 means "not optimised, the
// start is used", so its end may lie below its start.
TEST_F(TessalyValidate, ValuesARunCannotUseAreFoundAfterTheEngineFindings)
{
    // The example ramps 10 to 80 V by 10 and 5 to 40 eV by 5.
    // The keys set on a copy of the example, the driver's findings, the exit status, and what the
    // engine finds besides the example's warning.
    struct Case
    {
        const char* name;
        std::vector<std::string> set;
        std::vector<std::string> findings;
        int status;
        std::string engine = "";
    };
    const Case cases[] = {
        {"no step, start above end", {"Cone Voltage Step=0", "Cone Voltage Min=90", "Cone Voltage Max=50"}, {}, 0},
        {"the ends of the ranges",
         {"Cone Voltage Min=0", "Cone Voltage Max=200", "Collision Energy Max=200", "Inter Mode Time=0.05",
          "Max Dwell Time=1", "Stage2 Injection Volume=0.5", "User1 Loss Mass=1000", "MUX Sprays=4"},
         {},
         0},
        {"one-point ramp", {"Collision Energy Min=40"}, {}, 0},
        {"step below 0", {"Cone Voltage Step=-5"}, {"\"Cone Voltage Step\" is -5, below 0"}, 2},
        {"start above end", {"Collision Energy Min=45"},
         {"\"Collision Energy Min\" is 45, above \"Collision Energy Max\" (40)"}, 2},
        {"far below an int", {"Cone Voltage Min=-1e308"}, {"\"Cone Voltage Min\" is -1e+308, below 0"}, 2},
        {"beyond an int", {"Cone Voltage Max=3e9"}, {"\"Cone Voltage Max\" is 3e+09, above 200"}, 2},
        {"above the instrument's range", {"Collision Energy Max=250.5"},
         {"\"Collision Energy Max\" is 250.5, above 200"}, 2},
        {"negative volume", {"Stage1 Injection Volume=-5"}, {"\"Stage1 Injection Volume\" is -5, below 0"}, 2,
         "Optimisation injection volume invalid\n"},
        {"times, held to the editor's ranges", {"Max Dwell Time=0", "Inter Mode Time=-0.1", "Total Cycle Time=6"},
         {"\"Total Cycle Time\" is 6, above 5", "\"Max Dwell Time\" is 0, below 0.02",
          "\"Inter Mode Time\" is -0.1, below 0.05"},
         2},
        {"values a float cannot hold",
         {"Max Dwell Time=1e308", "Stage1 Injection Volume=1e308", "User1 Loss Mass=1e308"},
         {"\"Max Dwell Time\" is 1e+308, above 1", "\"Stage1 Injection Volume\" is 1e+308, above 1000",
          // a species mass is held in single precision, to whose largest value the file's is cut
          "\"User1 Loss Mass\" is 3.4028234663852886e+38, above 1000"},
         2},
        {"choices", {"When To Optimise=-1", "MUX Sprays=-3"},
         {"\"When To Optimise\" is -1, below 0", "\"MUX Sprays\" is -3, below 1"}, 2},
        {"polarity and MS/MS", {"Ion Mode Options=7", "MSMS=-1"},
         {"\"Ion Mode Options\" is 7, above 2", "\"MSMS\" is -1, below 0"}, 2},
        {"several, in key order, and no ramp finding for a refused value",
         {"Collision Energy Max=300", "Collision Energy Min=250", "Cone Voltage Step=-1"},
         {"\"Cone Voltage Step\" is -1, below 0", "\"Collision Energy Min\" is 250, above 200",
          "\"Collision Energy Max\" is 300, above 200"},
         2},
        {"ramps after the values", {"Cone Voltage Min=90", "Total Cycle Time=-1"},
         {"\"Total Cycle Time\" is -1, below 0.1", "\"Cone Voltage Min\" is 90, above \"Cone Voltage Max\" (80)"},
         2},
    };
    const std::string method = project_ + "/Methods/Case.tym";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        fs::copy_file(method_, method, fs::copy_options::overwrite_existing);
        std::vector<std::string> set = {"method", "set", method};
        set.insert(set.end(), c.set.begin(), c.set.end());
        ASSERT_EQ(tessaly(set).status, 0);
        std::string findings = kSodium + c.engine;
        for (const std::string& finding : c.findings)
            findings += method + ": " + finding + "\n";
        const auto before = snapshot();
        const Result r = validate(method, project_);
        EXPECT_EQ(r.out, findings);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(snapshot(), before) << "validation wrote a file";
    }
}

// A file that gives none of the method's keys a value reads as the defaults: validation reports
// exactly what it reports for a method of defaults, then says so, and fails like any other error.
TEST_F(TessalyValidate, AFileThatHoldsNoMethodIsAnError)
{
    const std::string defaults = write("Projects/Demo.PRO/Methods/Defaults.tym", "[Tessaly Options]\nMSMS=1\n");
    const Result expected = validate(defaults, project_);
    ASSERT_EQ(expected.status, 1) << "a method of defaults names no tune files";
    const char binary[] = "\x7f" "ELF\x02\x01\x01\0\0\0[\0=\xff\n";
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"binary", std::string(binary, sizeof binary - 1)},
        {"web page", "<!DOCTYPE html>\n<html><body>[Tessaly Options]\nCone Voltage Min=20</body></html>\n"},
        {"another program's INI file", "[Inlet Method]\nRun Time min=10\nCone Voltage Min=20\n"},
        {"keys without values", "[Tessaly Options]\nCone Voltage Min=\nIon Mode=   \n"},
    };
    for (const auto& [name, text] : cases)
    {
        SCOPED_TRACE(name);
        const std::string method = write("Projects/Demo.PRO/Methods/Garbage.tym", text);
        const Result r = validate(method, project_);
        EXPECT_EQ(r.out, expected.out + method + ": holds none of the method's keys\n");
        EXPECT_EQ(r.status, 1);
    }
    // One key is a method (names compare without regard to case, as the engine reads them).
    const Result one = validate(write("Projects/Demo.PRO/Methods/One.tym", "[tessaly options]\n msms = 1\n"), project_);
    EXPECT_EQ(one.out, expected.out);
    EXPECT_EQ(one.status, 1);
}

// A method file cannot give a value that is no number (it reads as 0, and method set refuses it),
// but a record filled otherwise can, and no comparison finds a NaN out of range.
TEST(MethodRanges, ValuesThatAreNoNumberAreRefused)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case { const char* name; double CBrenmoOptions::*field; double value; std::string finding; };
    const Case cases[] = {
        {"NaN start", &CBrenmoOptions::m_dConeVoltageMin, nan, "\"Cone Voltage Min\" is nan, not a finite number"},
        {"infinite end", &CBrenmoOptions::m_dCollisionEnergyMax, inf,
         "\"Collision Energy Max\" is inf, not a finite number"},
        {"NaN step", &CBrenmoOptions::m_dCollisionEnergyStep, -nan,
         "\"Collision Energy Step\" is -nan, not a finite number"},
        {"NaN time", &CBrenmoOptions::m_dMaxDwellTime, nan, "\"Max Dwell Time\" is nan, not a finite number"},
        {"infinite volume", &CBrenmoOptions::m_dStage2InjectionVolume, -inf,
         "\"Stage2 Injection Volume\" is -inf, not a finite number"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBrenmoOptions options;
        ASSERT_EQ(tessaly::checkMethodRanges(options, "m.tym"), std::vector<std::string>()) << "the defaults";
        options.*c.field = c.value;
        EXPECT_EQ(tessaly::checkMethodRanges(options, "m.tym"), std::vector<std::string>{"m.tym: " + c.finding});
    }
}
} // namespace
