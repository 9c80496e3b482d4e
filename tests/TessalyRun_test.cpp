// tessaly run end to end on the simulated instrument: the example project, and a generated list of
// 96 compounds whose optima are compared with the simulator's truth.
#include "apps/ResultsTable.h"
#include "testing/DriverTest.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace
{
namespace fs = std::filesystem;

// One row of truth.tsv.
struct Truth
{
    std::string adduct;
    double parentMz = 0.0, coneVoltage = 0.0, daughterMz = 0.0, collisionEnergy = 0.0;
};

std::map<std::string, Truth> readTruth(const std::string& text)
{
    std::map<std::string, Truth> truth;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line); // header
    while (std::getline(lines, line))
    {
        std::istringstream cells(line);
        std::string name, adduct, parent, cone, daughter, energy;
        std::getline(cells, name, '\t'), std::getline(cells, adduct, '\t'), std::getline(cells, parent, '\t');
        std::getline(cells, cone, '\t'), std::getline(cells, daughter, '\t'), std::getline(cells, energy, '\t');
        truth[name] = parent.empty() ? Truth{} : Truth{adduct, std::stod(parent), std::stod(cone), std::stod(daughter),
                                                       std::stod(energy)};
    }
    return truth;
}

// The example project copied to C:\Projects\Demo.PRO, where its method's paths point, with the
// host's temporary directory inside the test's directory so what a run leaves there can be seen.
class TessalyRun : public tests::DriverTest
{
  protected:
    void SetUp() override
    {
        fs::create_directories(path("Projects"));
        fs::create_directories(path("tmp"));
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", project_, fs::copy_options::recursive);
        setenv("TMPDIR", path("tmp").c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("TMPDIR");
    }
    Result run(std::vector<std::string> more) const
    {
        std::vector<std::string> args = {"run", "--method", method_, "--compounds", project_ + "/SampleDB/Compounds.csv",
                                         "--unattended"};
        args.insert(args.end(), more.begin(), more.end());
        return tessaly(args);
    }
    // The share of ok compounds whose cone voltage and collision energy lie within one step
    // (cvStep, ceStep) of the truth and whose daughter is the truth's; failed compounds must be
    // those that cannot ionise.
    static double agreement(const std::string& table, const std::map<std::string, Truth>& truth, double cvStep,
                            double ceStep)
    {
        tessaly::ResultsTable results;
        std::string error;
        EXPECT_TRUE(tessaly::readResultsTable(table, "run", results, error)) << error;
        int ok = 0, agreeing = 0;
        for (const tessaly::ResultRow& r : results.rows)
        {
            const Truth& t = truth.at(r.compound);
            if (!r.ok)
                continue;
            EXPECT_FALSE(t.adduct.empty()) << r.compound << ": a transition for a compound that cannot ionise";
            ++ok;
            const bool agrees = std::fabs(r.coneVoltage - t.coneVoltage) <= cvStep + 0.5 &&
                                std::fabs(r.collisionEnergy - t.collisionEnergy) <= ceStep + 0.5 &&
                                std::fabs(r.daughterMz - t.daughterMz) < 0.01 && std::fabs(r.parentMz - t.parentMz) < 0.01;
            agreeing += agrees ? 1 : 0;
            if (!agrees)
                std::printf("  %s: CV %d (truth %.1f), CE %d (truth %.1f), %.3f > %.3f (truth %.3f > %.3f)\n",
                            r.compound.c_str(), r.coneVoltage, t.coneVoltage, r.collisionEnergy, t.collisionEnergy,
                            r.parentMz, r.daughterMz, t.parentMz, t.daughterMz);
        }
        return ok == 0 ? 0.0 : static_cast<double>(agreeing) / ok;
    }
    const std::string project_ = path("Projects/Demo.PRO");
    const std::string method_ = project_ + "/Methods/Demo.tym";
};

TEST_F(TessalyRun, TheExampleRunsFromCompoundsToNarrowedFinalMethodsAndCleansUp)
{
    const Result r = run({"--analysis", project_ + "/SampleDB/Analysis.csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    tessaly::ResultsTable table;
    std::string error;
    ASSERT_TRUE(tessaly::readResultsTable(r.out, "run", table, error)) << error;
    ASSERT_EQ(table.rows.size(), 26u);
    EXPECT_EQ(table.rows.back().compound, "Squalane");
    EXPECT_FALSE(table.rows.back().ok) << "a hydrocarbon cannot ionise";
    const double share = agreement(r.out, readTruth(read(project_ + "/Data/truth.tsv")), 10.0, 5.0);
    std::printf("agreement with the truth: %.1f%%\n", 100.0 * share);
    EXPECT_GE(share, 0.95);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "compound\tstatus\tparent_mz\tdaughter_mz\tcone_voltage\tcollision_energy\tresponse\tion_mode\t"
              "polarity\tat_edge");

    // Each group's final method, narrowed from its reference sample's raw data in Data.
    const Result plasma = tessaly({"methoddb", "show", project_ + "/MethDB/Analysis_PLASMA.mdb"});
    ASSERT_EQ(plasma.status, 0) << plasma.err;
    EXPECT_NE(plasma.out.find("\tCaffeine\t"), std::string::npos) << plasma.out;
    EXPECT_EQ(plasma.out.find("\t2.500\t2.500\t0.000\t5.000"), std::string::npos) << "not narrowed: " << plasma.out;
    EXPECT_TRUE(fs::exists(project_ + "/Data/Std01.RAW"));
    EXPECT_TRUE(fs::exists(project_ + "/Data/truth.tsv"));
    EXPECT_NE(read(project_ + "/SampleDB/Analysis.csv").find("Analysis_PLASMA.mdb"), std::string::npos)
        << "the quantify step records each group's method";

    // Nothing temporary stays; the instrument has no tune, as before the run.
    EXPECT_TRUE(fs::is_empty(path("tmp")));
    EXPECT_EQ(tessaly({"tune", "show"}).out, "No tune is loaded\n");
}

TEST_F(TessalyRun, RefusesBadCompoundsBeforeAcquiringAnything)
{
    write("Projects/Demo.PRO/SampleDB/Compounds.csv", "FILE_NAME,FILE_TEXT,MASS,ION_MODE\nOpt01,Caffeine,C8H10N4O2,EI\n");
    expectRefused({"run", "--method", method_, "--compounds", project_ + "/SampleDB/Compounds.csv", "--no-analysis",
                   "--unattended"},
                  project_ + "/SampleDB/Compounds.csv: row 1: ion mode \"EI\" is not ESP or APcI");
    write("Projects/Demo.PRO/Acqudb/Column.ilm", "[Inlet Method]\nMode=Column\n");
    expectRefused({"run", "--method", method_, "--compounds", project_ + "/SampleDB/Compounds.csv", "--analysis",
                   project_ + "/SampleDB/Analysis.csv"},
                  method_ + ": its stage-2 LC method \"C:\\Projects\\Demo.PRO\\Acqudb\\Column.ilm\" gives no \"Run Time "
                            "min\" above 0 in [Inlet Method], so the analysis has no time span");
    const std::string loose = write("Loose.tym", read(method_));
    expectRefused({"run", "--method", loose, "--compounds", project_ + "/SampleDB/Compounds.csv", "--no-analysis"},
                  loose + ": the method is not in a project (a folder named *.PRO)");
}

// A compound list of n generated compounds: masses from 150 up, every fourth one negative.
std::string generatedCompounds(int n)
{
    std::string list = "FILE_NAME,FILE_TEXT,MASS,POLARITY\n";
    for (int i = 0; i < n; ++i)
    {
        char row[96];
        std::snprintf(row, sizeof row, "Opt%02d,Compound %02d,%.4f,%s\n", i + 1, i + 1, 150.0 + 7.7 * i,
                      i % 4 == 3 ? "-" : "+");
        list += row;
    }
    return list;
}

TEST_F(TessalyRun, AFailedOrInterruptedRunPutsTheTuneBackAndLeavesNothingTemporary)
{
    // The analysis's raw data cannot be written where a file stands in for the Data folder: the
    // run fails after optimising every compound.
    write("Projects/Demo.PRO/Data", "not a folder");
    const Result failed = run({"--analysis", project_ + "/SampleDB/Analysis.csv"});
    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_TRUE(fs::is_empty(path("tmp")));
    EXPECT_EQ(tessaly({"tune", "show"}).out, "No tune is loaded\n");

    // Ctrl-C once the first injection is on disk: the driver stops between injections.
    write("Projects/Demo.PRO/SampleDB/Compounds.csv", generatedCompounds(96));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1), ::dup2(null, 2);
        const std::string list = project_ + "/SampleDB/Compounds.csv";
        ::execl(TESSALY_BINARY, "tessaly", "--data-dir", dir_.path().c_str(), "run", "--method", method_.c_str(),
                "--compounds", list.c_str(), "--no-analysis", "--unattended", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 600 && fs::is_empty(path("tmp")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal, not by the driver";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(fs::is_empty(path("tmp")));
    EXPECT_EQ(tessaly({"tune", "show"}).out, "No tune is loaded\n");
}

TEST_F(TessalyRun, AMeasuredSeriesDecidesTheDaughterAndItsEnergy)
{
    // Caffeine's [M+H]+ fragments as measured: 138.066 is strongest at 20 eV and the most intense
    // product; 110.071 rises later but never reaches it.
    fs::create_directories(path("spectra"));
    write("spectra/Caffeine.tsv", "precursor_mz\tcollision_energy\tmz\tintensity\n"
                                  "195.088\t10\t195.088\t1000\n195.088\t10\t138.066\t200\n"
                                  "195.088\t20\t195.088\t400\n195.088\t20\t138.066\t800\n195.088\t20\t110.071\t100\n"
                                  "195.088\t30\t195.088\t50\n195.088\t30\t138.066\t700\n195.088\t30\t110.071\t500\n"
                                  "195.088\t40\t138.066\t150\n195.088\t40\t110.071\t300\n");
    write("Projects/Demo.PRO/SampleDB/Compounds.csv", "FILE_NAME,FILE_TEXT,MASS\nOpt01,Caffeine,C8H10N4O2\n");
    const Result r = run({"--no-analysis", "--spectra", path("spectra")});
    ASSERT_EQ(r.status, 0) << r.err;
    tessaly::ResultsTable table;
    std::string error;
    ASSERT_TRUE(tessaly::readResultsTable(r.out, "run", table, error)) << error;
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(table.rows[0].daughterMz, 138.066);
    EXPECT_NEAR(table.rows[0].collisionEnergy, 20, 5) << r.out;
    EXPECT_NEAR(readTruth(read(project_ + "/Data/truth.tsv")).at("Caffeine").daughterMz, 138.066, 0.001);
}

TEST_F(TessalyRun, NinetySixGeneratedCompoundsAgreeWithTheTruth)
{
    // Ramps wide enough for the optima of m/z 150 to 900: cone voltage 20 to 160 V and collision
    // energy 5 to 75 eV, eight steps each; sodium adducts searched too.
    ASSERT_EQ(tessaly({"method", "set", method_, "Cone Voltage Min=20", "Cone Voltage Max=160", "Cone Voltage Step=20",
                       "Collision Energy Min=5", "Collision Energy Max=75", "Collision Energy Step=10",
                       "Adduct Pos Sodium=1"})
                  .status,
              0);
    write("Projects/Demo.PRO/SampleDB/Compounds.csv", generatedCompounds(96));
    const Result r = run({"--no-analysis", "--seed", "20261207"});
    ASSERT_EQ(r.status, 0) << r.err;
    const double share = agreement(r.out, readTruth(read(project_ + "/Data/truth.tsv")), 20.0, 10.0);
    std::printf("agreement with the truth: %.1f%%\n", 100.0 * share);
    EXPECT_GE(share, 0.95);
}
} // namespace
