// tessaly run end to end on the simulated instrument: the example project, and a generated list of
// 96 compounds whose optima are compared with the simulator's truth.
#include "run/ResultsTable.h"
#include "platform/SafeText.h"
#include "testing/DriverTest.h"
#include "testing/Unprivileged.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
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
        truth[platform::restoredCell(name)] = parent.empty() ? Truth{} : Truth{adduct, std::stod(parent), std::stod(cone), std::stod(daughter),
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

// A compound list of n generated compounds: masses from 150 to 881 (and round again past 96
// compounds), every fourth one negative.
std::string generatedCompounds(int n)
{
    std::string list = "FILE_NAME,FILE_TEXT,MASS,POLARITY\n";
    for (int i = 0; i < n; ++i)
    {
        char row[96];
        std::snprintf(row, sizeof row, "Opt%02d,Compound %02d,%.4f,%s\n", i + 1, i + 1, 150.0 + 7.7 * (i % 96),
                      i % 4 == 3 ? "-" : "+");
        list += row;
    }
    return list;
}

// A tessaly process of its own on the test's data directory: a second user of it, or one to kill.
class Process
{
  public:
    Process(const std::string& dataDirectory, const std::vector<std::string>& args, int stdoutFd = -1)
    {
        std::fflush(nullptr);
        pid_ = ::fork();
        if (pid_ != 0)
            return;
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(stdoutFd >= 0 ? stdoutFd : null, 1), ::dup2(null, 2);
        std::vector<const char*> argv = {"tessaly", "--data-dir", dataDirectory.c_str()};
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        argv.push_back(nullptr);
        ::execv(TESSALY_BINARY, const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    ~Process()
    {
        if (pid_ > 0 && !waited_)
        {
            ::kill(pid_, SIGKILL);
            wait();
        }
    }
    pid_t pid() const
    {
        return pid_;
    }
    /// The exit status, or 1000 + the signal that ended it.
    int wait()
    {
        int status = 0;
        waited_ = true;
        if (::waitpid(pid_, &status, 0) != pid_)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

  private:
    pid_t pid_ = -1;
    bool waited_ = false;
};

class TessalySafeRun : public TessalyRun
{
  protected:
    std::vector<std::string> runArgs(const std::string& compounds) const
    {
        return {"run", "--method", method_, "--compounds", compounds, "--no-analysis", "--unattended"};
    }
    // The private folders of runs in the data directory.
    std::vector<fs::path> workFolders() const
    {
        std::vector<fs::path> folders;
        if (fs::is_directory(path("Work")))
            for (const auto& entry : fs::directory_iterator(path("Work")))
                folders.push_back(entry.path());
        return folders;
    }
    // Waits (at most 30 s) until a run's private folder holds an acquisition.
    bool acquiring() const
    {
        for (int i = 0; i < 600; ++i)
        {
            for (const fs::path& folder : workFolders())
                if (fs::is_directory(folder / "tmp") && !fs::is_empty(folder / "tmp"))
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    std::string list(int n) const
    {
        return write("Projects/Demo.PRO/SampleDB/Generated.csv", generatedCompounds(n));
    }
};

TEST_F(TessalySafeRun, AFailedAnalysisStillPrintsAndReportsTheOptimisedCompounds)
{
    // The analysis's raw data cannot be written where a file stands in for the Data folder: the
    // run fails after optimising every compound.
    write("Projects/Demo.PRO/Data", "not a folder");
    const Result failed = run({"--analysis", project_ + "/SampleDB/Analysis.csv", "--report", path("report.html")});
    EXPECT_EQ(failed.status, 1) << failed.err;
    tessaly::ResultsTable table;
    std::string error;
    ASSERT_TRUE(tessaly::readResultsTable(failed.out, "run", table, error)) << error << failed.out;
    EXPECT_EQ(table.rows.size(), 26u);
    EXPECT_TRUE(table.rows.front().ok);
    EXPECT_NE(read(path("report.html")).find("Caffeine"), std::string::npos);
    EXPECT_TRUE(workFolders().empty());
    EXPECT_TRUE(fs::is_empty(path("tmp")));
    EXPECT_EQ(tessaly({"tune", "show"}).out, "No tune is loaded\n");
}

TEST_F(TessalySafeRun, EverySignalThatEndsARunCleansUpAndPutsTheTuneBack)
{
    // The tune in force before: one the person loaded, which the run must load again.
    ASSERT_EQ(tessaly({"tune", "load", project_ + "/Tune/Acquisition.ipr"}).status, 0);
    const std::string before = tessaly({"tune", "show"}).out;
    const std::string compounds = list(96);
    struct Case
    {
        int signal;
        int status;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(strsignal(c.signal));
        Process p(dir_.path(), runArgs(compounds));
        ASSERT_TRUE(acquiring());
        ::kill(p.pid(), c.signal);
        EXPECT_EQ(p.wait(), c.status);
        EXPECT_TRUE(workFolders().empty());
        EXPECT_EQ(tessaly({"tune", "show"}).out, before);
    }

    // A hang-up ignored when the run started (nohup) stays ignored.
    std::signal(SIGHUP, SIG_IGN);
    Process ignoring(dir_.path(), runArgs(list(3)));
    std::signal(SIGHUP, SIG_DFL);
    ASSERT_TRUE(acquiring());
    ::kill(ignoring.pid(), SIGHUP);
    EXPECT_EQ(ignoring.wait(), 0);
    EXPECT_EQ(tessaly({"tune", "show"}).out, before);

    // A reader that goes away (tessaly run | head): the table meets a closed pipe at the end.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    Process p(dir_.path(), runArgs(list(2)), pipeEnds[1]);
    ::close(pipeEnds[1]);
    EXPECT_EQ(p.wait(), 128 + SIGPIPE);
    EXPECT_TRUE(workFolders().empty());
    EXPECT_EQ(tessaly({"tune", "show"}).out, before);
}

TEST_F(TessalySafeRun, TheNextRunSweepsAKilledRunAndPutsItsTuneBack)
{
    ASSERT_EQ(tessaly({"tune", "load", project_ + "/Tune/Acquisition.ipr"}).status, 0);
    const std::string before = tessaly({"tune", "show"}).out;
    Process p(dir_.path(), runArgs(list(96)));
    ASSERT_TRUE(acquiring());
    ::kill(p.pid(), SIGKILL);
    ASSERT_EQ(p.wait(), 1000 + SIGKILL);
    ASSERT_EQ(workFolders().size(), 1u) << "a killed run cannot clean up";
    ASSERT_NE(tessaly({"tune", "show"}).out, before) << "the killed run's stage tune stays";

    const Result next = tessaly(runArgs(list(1)));
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_NE(next.err.find("note: an earlier run was stopped before it could clean up"), std::string::npos);
    EXPECT_TRUE(workFolders().empty());
    EXPECT_EQ(tessaly({"tune", "show"}).out, before);
}

TEST_F(TessalySafeRun, OneRunAtATimeUsesADataDirectory)
{
    const std::string one = write("Projects/Demo.PRO/SampleDB/One.csv", "FILE_NAME,FILE_TEXT,MASS\nOpt01,Caffeine,C8H10N4O2\n");
    const Result alone = tessaly(runArgs(one));
    ASSERT_EQ(alone.status, 0) << alone.err;

    Process first(dir_.path(), runArgs(list(96)));
    ASSERT_TRUE(acquiring());
    const Result refused = tessaly(runArgs(one));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "tessaly: " + dir_.path() + ": another run (process " + std::to_string(first.pid()) +
                               ") is using this data directory; give --wait to wait for it\n");
    ::kill(first.pid(), SIGTERM);
    EXPECT_EQ(first.wait(), 143);

    // With --wait the second run starts once the first has ended, and finds what it finds alone.
    Process second(dir_.path(), runArgs(list(3)));
    ASSERT_TRUE(acquiring());
    std::vector<std::string> waiting = runArgs(one);
    waiting.push_back("--wait");
    const Result waited = tessaly(waiting);
    EXPECT_EQ(second.wait(), 0);
    EXPECT_EQ(waited.status, 0) << waited.err;
    EXPECT_EQ(waited.out, alone.out);
}

TEST_F(TessalySafeRun, ARunOfMoreThan999InjectionsReusesItsLoopNumbers)
{
    // Two steps a ramp keep the injections small.
    ASSERT_EQ(tessaly({"method", "set", method_, "Cone Voltage Min=20", "Cone Voltage Max=30", "Cone Voltage Step=10",
                       "Collision Energy Min=10", "Collision Energy Max=20", "Collision Energy Step=10"})
                  .status,
              0);
    // 540 compounds, a few of which cannot be ionised: over 1000 injections, so loop numbers 1 to
    // 999 come round again.
    const Result r = tessaly(runArgs(list(540)));
    ASSERT_EQ(r.status, 0) << r.err.substr(r.err.size() > 2000 ? r.err.size() - 2000 : 0);
    tessaly::ResultsTable table;
    std::string error;
    ASSERT_TRUE(tessaly::readResultsTable(r.out, "run", table, error)) << error;
    EXPECT_EQ(table.rows.size(), 540u);
    const std::size_t at = r.err.find(" injections)");
    ASSERT_NE(at, std::string::npos) << r.err;
    EXPECT_GE(std::stoi(r.err.substr(r.err.rfind('(', at) + 1)), 1000);
    EXPECT_TRUE(workFolders().empty());
}

TEST_F(TessalySafeRun, AnUnprivilegedRunWritesNothingOutsideItsDataDirectory)
{
    // The temporary directory is one nobody may write: a run that put anything there would fail.
    fs::permissions(path("tmp"), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const std::string compounds = list(2);
    testkit::openToEveryone(dir_.path());
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path()))
        if (entry.path() != path("tmp"))
            ::chown(entry.path().c_str(), ::geteuid() == 0 ? 65534 : ::geteuid(), ::getegid() == 0 ? 65534 : ::getegid());
    ::chown(dir_.path().c_str(), ::geteuid() == 0 ? 65534 : ::geteuid(), ::getegid() == 0 ? 65534 : ::getegid());
    const int status = testkit::runUnprivileged([&] {
        const Result r = tessaly(runArgs(compounds));
        if (r.status != 0)
            std::fprintf(stderr, "%s", r.err.c_str());
        return r.status;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::is_empty(path("tmp")));
    EXPECT_TRUE(workFolders().empty());
}

TEST_F(TessalySafeRun, AnAnalysisListNamesItsRawDataNotPaths)
{
    const std::string analysis = project_ + "/SampleDB/Analysis.csv";
    const std::string original = read(analysis);
    // Each a path to elsewhere, a wildcard the host deletes by, or a terminal escape; the CSV
    // cell is quoted, with its quotes doubled.
    const std::string cases[] = {"..\\..\\Other.PRO\\Data\\Keep", "C:\\x", "Data/x", "..", "Std*", "a\"b",
                                 "Std\x1b[2J"};
    for (const std::string& fileName : cases)
    {
        SCOPED_TRACE(fileName);
        std::string cell = "\"";
        for (const char c : fileName)
            cell += c == '"' ? std::string("\"\"") : std::string(1, c);
        std::string text = original;
        text.replace(text.find("Std01,"), 5, cell + "\"");
        write("Projects/Demo.PRO/SampleDB/Analysis.csv", text);
        std::string shown = fileName;
        for (char& ch : shown)
            if (static_cast<unsigned char>(ch) < 0x20)
                ch = ' ';
        expectRefused({"run", "--method", method_, "--compounds", project_ + "/SampleDB/Compounds.csv", "--analysis",
                       analysis, "--unattended"},
                      analysis + ": row 2: FILE_NAME \"" + shown +
                          "\" is not a plain file name (it holds \\, /, :, *, ?, <, >, |, \", .. or a control character)");
    }
    std::string text = original;
    text.replace(text.find("Std01,"), 5, std::string(300, 'S'));
    write("Projects/Demo.PRO/SampleDB/Analysis.csv", text);
    expectRefused({"run", "--method", method_, "--compounds", project_ + "/SampleDB/Compounds.csv", "--analysis",
                   analysis},
                  analysis + ": row 2: FILE_NAME \"" + std::string(60, 'S') +
                      "...\" is 300 bytes long; the host takes at most 229 in this project");

    // A list outside the project would have its raw data looked for elsewhere.
    const std::string loose = write("Analysis.csv", original);
    expectRefused({"run", "--method", method_, "--compounds", project_ + "/SampleDB/Compounds.csv", "--analysis",
                   loose},
                  loose + ": the analysis list is not in a folder of the project " + project_ +
                      " (such as its SampleDB), so its samples' raw data would not be found in the project's Data");
}

TEST_F(TessalySafeRun, ParallelEditsOfOneFileAreAllKept)
{
    // Fifteen editors of one method, each changing a key of its own, all at once.
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"Cone Voltage Min", "11.00"},     {"Cone Voltage Max", "79.00"},   {"Cone Voltage Step", "9.00"},
        {"Collision Energy Min", "6.00"},  {"Collision Energy Max", "39.00"}, {"Collision Energy Step", "4.00"},
        {"Fragment Min Size", "51"},       {"Total Cycle Time", "1.10"},    {"Max Dwell Time", "0.30"},
        {"Inter Mode Time", "0.10"},       {"Stage1 Injection Volume", "21.00"}, {"Stage2 Injection Volume", "6.00"},
        {"Adduct Pos Ammonia", "0"},       {"Disallow Loss of Carbon Dioxide", "1"}, {"Adduct Neg Hydrogen", "0"},
    };
    // Every other editor names the method through a symbolic link.
    fs::create_symlink(method_, path("link.tym"));
    std::vector<std::unique_ptr<Process>> editors;
    for (const auto& [key, value] : keys)
        editors.push_back(std::make_unique<Process>(
            dir_.path(), std::vector<std::string>{"method", "set", editors.size() % 2 ? path("link.tym") : method_,
                                                  key + "=" + value}));
    for (auto& editor : editors)
        EXPECT_EQ(editor->wait(), 0);
    const std::string saved = read(method_);
    for (const auto& [key, value] : keys)
        EXPECT_NE(saved.find("\n" + key + "=" + value + "\n"), std::string::npos) << key << " lost:\n" << saved;

    // Three editors of one analysis list, each giving a group its method.
    const std::string analysis = project_ + "/SampleDB/Analysis.csv";
    fs::create_symlink(analysis, path("link.csv"));
    std::vector<std::unique_ptr<Process>> quan;
    for (int group = 1; group <= 3; ++group)
        quan.push_back(std::make_unique<Process>(
            dir_.path(), std::vector<std::string>{"quan", group == 2 ? path("link.csv") : analysis, "--group",
                                                  std::to_string(group), "--set-method",
                                                  project_ + "/MethDB/Group" + std::to_string(group) + ".mdb"}));
    for (auto& editor : quan)
        EXPECT_EQ(editor->wait(), 0);
    const std::string list = read(analysis);
    for (int group = 1; group <= 3; ++group)
        EXPECT_NE(list.find("Group" + std::to_string(group) + ".mdb"), std::string::npos) << group << " lost:\n" << list;
}

TEST_F(TessalySafeRun, ARunRefusesMethodValuesNoRunCanUse)
{
    const std::string compounds = project_ + "/SampleDB/Compounds.csv";
    ASSERT_EQ(tessaly({"method", "set", method_, "Cone Voltage Step=-5"}).status, 0);
    const Result r = tessaly(runArgs(compounds));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("\"Cone Voltage Step\" is -5"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(workFolders().empty());
}

TEST_F(TessalySafeRun, WithoutACollisionEnergyRampTheTransitionIsTheParentItself)
{
    ASSERT_EQ(tessaly({"method", "set", method_, "Collision Energy Step=0"}).status, 0);
    const Result r =
        tessaly(runArgs(write("Projects/Demo.PRO/SampleDB/One.csv", "FILE_NAME,FILE_TEXT,MASS\nOpt01,Caffeine,C8H10N4O2\n")));
    ASSERT_EQ(r.status, 0) << r.err;
    tessaly::ResultsTable table;
    std::string error;
    ASSERT_TRUE(tessaly::readResultsTable(r.out, "run", table, error)) << error;
    ASSERT_EQ(table.rows.size(), 1u);
    // Caffeine, C8H10N4O2, as [M+H]+: 194.0804 + 1.0073.
    EXPECT_NEAR(table.rows[0].parentMz, 195.088, 0.001);
    EXPECT_DOUBLE_EQ(table.rows[0].daughterMz, table.rows[0].parentMz) << r.out;
}

TEST_F(TessalySafeRun, CompoundsWithoutAUsableMassAreNamedEvenUnattended)
{
    const std::string list = write("Projects/Demo.PRO/SampleDB/Masses.csv", "FILE_NAME,FILE_TEXT,MASS\n"
                                                                             "Opt01,Caffeine,C8H10N4O2\nOpt02,Bad,Xx2\n"
                                                                             "Opt03,Zero,0\nOpt04,Missing,\nOpt05,Heavy,5000\n");
    const Result r = tessaly(runArgs(list));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& warning :
         {list + ": row 2: Bad: the mass \"Xx2\" is not a mass or formula; the compound is not optimised",
          list + ": row 3: Zero: the mass \"0\" is not a mass or formula; the compound is not optimised",
          list + ": row 4: Missing: no mass in MASS; the compound is not optimised",
          list + ": row 5: Heavy: the mass \"5000\" is outside the method's mass range; the compound is not optimised"})
        EXPECT_NE(r.err.find("warning: " + warning + "\n"), std::string::npos) << warning << "\n" << r.err;

    // A name that tables and logs would show otherwise (a tab, an escape) could be taken for another.
    write("Projects/Demo.PRO/SampleDB/Masses.csv", "FILE_NAME,FILE_TEXT,MASS\nOpt01,\"Tab\there\",C8H10N4O2\n");
    expectRefused(runArgs(list), list + ": row 1: the compound name \"Tab here\" holds a control character");
}

TEST_F(TessalySafeRun, TheReportNeverOverwritesAnInput)
{
    const std::string compounds = project_ + "/SampleDB/Compounds.csv";
    // The run's lists and method, and the files the method names (template, tune, LC method).
    for (const std::string& input : {method_, compounds, project_ + "/MethDB/ParentTemplate.mdb",
                                     project_ + "/Tune/Parent.ipr", project_ + "/Acqudb/Loop.ilm"})
    {
        SCOPED_TRACE(input);
        std::vector<std::string> args = runArgs(compounds);
        args.insert(args.end(), {"--report", input});
        expectRefused(args, input + ": the report would overwrite the input " + input + "; choose another file");
    }
    // The same file under another name: a symbolic link to the method.
    fs::create_symlink(method_, path("link.html"));
    std::vector<std::string> args = runArgs(compounds);
    args.insert(args.end(), {"--report", path("link.html")});
    expectRefused(args, path("link.html") + ": the report would overwrite the input " + method_ + "; choose another file");
    // A folder that is not there is found before the run, not after it.
    args = runArgs(compounds);
    args.insert(args.end(), {"--report", path("no/report.html")});
    expectRefused(args, path("no") + ": no such directory");
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
