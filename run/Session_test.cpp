// The run session as a window drives it: what it tells as it works, and a stop between steps.
#include "run/Session.h"

#include "kelvane/KelvaneHost.h"
#include "testing/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace
{
namespace fs = std::filesystem;

// Everything the session tells, and a stop asked when the stopAfter-th compound finishes.
struct Recorder : tessaly::RunObserver
{
    void progress(std::size_t done, std::size_t total, const std::string& what) override
    {
        steps.push_back({done, total});
        last = what;
    }
    void progressEnded(bool early) override
    {
        ended.push_back(early);
    }
    void message(const std::string& line) override
    {
        EXPECT_EQ(line.back(), '\n') << line;
        messages += line;
    }
    void compoundFinished(const tessaly::CompoundRun& compound) override
    {
        EXPECT_TRUE(finished.emplace(compound.result.compound, compound.result).second)
            << compound.result.compound << " finished twice";
        if (session && finished.size() == stopAfter)
            session->stop(SIGINT);
    }
    void table(const std::vector<tessaly::ResultRow>& rows, const std::vector<std::string>&) override
    {
        tables.push_back(rows);
    }

    std::vector<std::pair<std::size_t, std::size_t>> steps;
    std::string last;
    std::vector<bool> ended;
    std::string messages;
    std::map<std::string, tessaly::ResultRow> finished;
    std::vector<std::vector<tessaly::ResultRow>> tables;
    tessaly::RunSession* session = nullptr;
    std::size_t stopAfter = 0;
};

class RunSession : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        kelvane::install(dir_.path());
        fs::create_directories(dir_.file("Projects"));
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", project_, fs::copy_options::recursive);
        settings_.method = project_ + "/Methods/Demo.tym";
        settings_.run.compounds = project_ + "/SampleDB/Compounds.csv";
        settings_.run.noAnalysis = true;
        settings_.run.unattended = true;
    }
    void TearDown() override
    {
        kelvane::uninstall();
    }
    // The run leaves no private folder behind, however it ended.
    void expectCleanedUp() const
    {
        const fs::path work = dir_.file("Work");
        EXPECT_TRUE(!fs::exists(work) || fs::is_empty(work)) << "a private folder stayed in " << work;
    }

    testkit::TempDir dir_{"RunSession"};
    const std::string project_ = dir_.file("Projects/Demo.PRO");
    tessaly::RunSettings settings_;
};

TEST_F(RunSession, TellsEveryStepAndEveryCompoundAsTheTableHasIt)
{
    Recorder seen;
    tessaly::RunSession(settings_, seen).run();

    ASSERT_EQ(seen.tables.size(), 1u);
    const std::vector<tessaly::ResultRow>& table = seen.tables.front();
    ASSERT_EQ(table.size(), 26u);
    // A window shows each compound as it finishes: what it was told is what the table says.
    ASSERT_EQ(seen.finished.size(), table.size());
    for (const tessaly::ResultRow& row : table)
        EXPECT_EQ(seen.finished.at(row.compound), row) << row.compound;
    // Two stages of every compound, counted up to the whole.
    ASSERT_FALSE(seen.steps.empty());
    for (std::size_t i = 0; i < seen.steps.size(); ++i)
    {
        EXPECT_EQ(seen.steps[i].second, 2 * table.size());
        if (i > 0)
        {
            EXPECT_GE(seen.steps[i].first, seen.steps[i - 1].first);
        }
    }
    EXPECT_EQ(seen.steps.back().first, seen.steps.back().second);
    EXPECT_EQ(seen.last, "done");
    EXPECT_EQ(seen.ended, std::vector<bool>{false});
    EXPECT_NE(seen.messages.find("time: "), std::string::npos) << seen.messages;
    expectCleanedUp();
}

TEST_F(RunSession, AStopEndsTheRunBetweenStepsKeepingWhatFinished)
{
    Recorder seen;
    tessaly::RunSession session(settings_, seen);
    seen.session = &session;
    seen.stopAfter = 3;
    try
    {
        session.run();
        FAIL() << "the run did not stop";
    }
    catch (const tessaly::Interrupted& e)
    {
        EXPECT_EQ(e.signal, SIGINT);
    }
    // The compounds finished before the stop, and only they, are in the table.
    ASSERT_EQ(seen.tables.size(), 1u);
    EXPECT_EQ(seen.tables.front().size(), seen.finished.size());
    EXPECT_GE(seen.finished.size(), 3u);
    EXPECT_LT(seen.finished.size(), 26u);
    for (const tessaly::ResultRow& row : seen.tables.front())
        EXPECT_EQ(seen.finished.count(row.compound), 1u) << row.compound;
    EXPECT_EQ(seen.ended, std::vector<bool>{true});
    expectCleanedUp();
}

// The groups' final methods take the base name the user gave; each group is a step of the
// progress, here the two of the example's list without its unlabelled last row.
TEST_F(RunSession, FinalMethodsAreNamedAfterTheBaseTheUserGave)
{
    const std::string list = project_ + "/SampleDB/Analysis.csv";
    std::string rows = testkit::readText(list);
    rows.resize(rows.rfind("Std03,"));
    ASSERT_TRUE(testkit::writeText(list, rows));
    settings_.run.noAnalysis = false;
    settings_.run.analysis = list;
    settings_.run.baseQuanMethod = project_ + "/MethDB/Mine.mdb";
    Recorder seen;
    tessaly::RunSession(settings_, seen).run();
    EXPECT_TRUE(fs::exists(project_ + "/MethDB/Mine_PLASMA.mdb"));
    EXPECT_FALSE(fs::exists(project_ + "/MethDB/Analysis_PLASMA.mdb")) << "the default base was used";
    EXPECT_EQ(seen.steps.back(), std::make_pair(2 * seen.finished.size() + 2, 2 * seen.finished.size() + 2))
        << "two stages a compound, one step a group";
    expectCleanedUp();
}

TEST_F(RunSession, RefusesBadInputBeforeTellingAnything)
{
    settings_.run.compounds = project_ + "/SampleDB/NoSuchList.csv";
    Recorder seen;
    EXPECT_THROW(tessaly::RunSession(settings_, seen).run(), tessaly::BadInput);
    EXPECT_TRUE(seen.steps.empty());
    EXPECT_TRUE(seen.tables.empty());
    EXPECT_FALSE(fs::exists(dir_.file("Work")));
}
} // namespace
