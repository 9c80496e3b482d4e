#include "gui/GuiTestSupport.h"
#include "gui/ModelWindow.h"
#include "gui/TessalyGui.h"
#include "method/BrenmoOptions.h"
#include "platform/PropertySheet.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"
#include "ui/OptionsPages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
TEST(TessalyGui, WordsAreQuotedForTheShellOnlyWhenTheyNeedIt)
{
    struct Case
    {
        const char* word;
        const char* quoted;
    } cases[] = {
        {"/data/Study.PRO/Methods/a.tym", "/data/Study.PRO/Methods/a.tym"},
        {"--base-quan-method", "--base-quan-method"},
        {"", "''"},
        {"My Study.PRO", "'My Study.PRO'"},
        {"it's", "'it'\\''s'"},
        {"$HOME", "'$HOME'"},
        {"a*b", "'a*b'"},
        {"semi;colon", "'semi;colon'"},
        {"back\\slash", "'back\\slash'"},
        {"~user", "'~user'"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(gui::shellQuoted(c.word), c.quoted);
    }
}

TEST(TessalyGui, TheRunIsPrintedWithTheFlagsTessalyRunTakes)
{
    testkit::TempDir dir;
    const std::string project = dir.path() + "/My Study.PRO";
    const auto host = [](const std::string& posix) { return CString(platform::toHostPath(posix).c_str()); };
    struct Case
    {
        const char* name;
        std::function<void(CBrenmoOptions&)> choose;
        std::string line;
    } cases[] = {
        {"defaults: analysis on, nothing else", [](CBrenmoOptions&) {}, "tessaly run"},
        {"paths come out as POSIX paths, quoted",
         [&](CBrenmoOptions& o) {
             o.m_strMethodFile = host(project + "/Methods/a.tym");
             o.m_strCompoundList = host(dir.path() + "/compounds.csv");
         },
         "tessaly run --method '" + project + "/Methods/a.tym' --compounds " + dir.path() + "/compounds.csv"},
        {"no analysis", [](CBrenmoOptions& o) { o.m_bAnalysisAndQuantitation = 0; }, "tessaly run --no-analysis"},
        {"every step and file",
         [&](CBrenmoOptions& o) {
             o.m_strAnalysisList = host(dir.path() + "/samples.spl");
             o.m_bAutoQuantifySamples = 1;
             o.m_strQuanCalibration = "Cal 1";
             o.m_strBaseQuanMethod = host(dir.path() + "/base.mdb");
             o.m_bExportResultsToLims = 1;
             o.m_bConcatenateGroup = 1;
             o.m_strLimsExportFile = host(dir.path() + "/lims.txt");
             o.m_bRunUnattended = 1;
         },
         "tessaly run --analysis " + dir.path() +
             "/samples.spl --auto-quantify --calibration 'Cal 1' "
             "--base-quan-method " +
             dir.path() + "/base.mdb --export-lims --concatenate-group --lims-file " + dir.path() +
             "/lims.txt --unattended"},
        {"processes, an empty one too",
         [](CBrenmoOptions& o) {
             o.m_bPreRun = 1;
             o.m_strPreRunProcess = "wash --twice";
             o.m_bPostRun = 1;
         },
         "tessaly run --pre-run 'wash --twice' --post-run ''"},
        {"a process not asked for is left out", [](CBrenmoOptions& o) { o.m_strPreRunProcess = "wash"; },
         "tessaly run"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBrenmoOptions options;
        c.choose(options);
        EXPECT_EQ(gui::runCommandLine(options, ""), c.line);
    }
    CBrenmoOptions options;
    EXPECT_EQ(gui::runCommandLine(options, "/var/lib/kelvane data"), "tessaly --data-dir '/var/lib/kelvane data' run");
}

TEST(TessalyGui, ChoicesTessalyRunCannotTakeAreNamed)
{
    struct Case
    {
        const char* name;
        BOOL CBrenmoOptions::*field;
        BOOL value;
        bool noted;
    } cases[] = {
        {"what tessaly run does", &CBrenmoOptions::m_bRunUnattended, 1, false},
        {"no compound optimisation", &CBrenmoOptions::m_bCompoundOptimisation, 0, true},
        {"no acquisition of the analysis samples", &CBrenmoOptions::m_bAcquireSampleData, 0, true},
        {"quantify off alone says nothing without auto-quantify", &CBrenmoOptions::m_bQuantifySamples, 0, false},
        {"processing", &CBrenmoOptions::m_bAutoProcessSamples, 1, true},
        {"reports", &CBrenmoOptions::m_bPrintQuantifyReports, 1, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBrenmoOptions options;
        options.m_bCompoundOptimisation = 1;
        options.*c.field = c.value;
        EXPECT_EQ(gui::choicesRunCannotTake(options).size(), c.noted ? 1u : 0u);
        options.m_bAnalysisAndQuantitation = 0;
        options.m_bAutoQuantifySamples = 1;
        options.m_bCalibrateStandards = 0;
        EXPECT_EQ(gui::choicesRunCannotTake(options).size(),
                  c.noted && c.field != &CBrenmoOptions::m_bAcquireSampleData ? 2u : 1u)
            << "without analysis nothing is acquired anyway; quantify steps one by one are noted";
    }
}

void whenShown(std::function<void(gui::ModelWindow&)> act)
{
    guitest::whenShown<gui::ModelWindow>(std::move(act));
}

// Presses Next until Finish is offered, then Finish: the way through the wizard the choices open.
void finishWizard(gui::ModelWindow& window)
{
    for (int pages = 0; pages < 3 && !window.ended(); ++pages)
    {
        QPushButton* finish = window.sheetButton(PSBTN_FINISH);
        (finish->isVisible() ? finish : window.sheetButton(PSBTN_NEXT))->click();
    }
}

class TessalyGuiRun : public ::testing::Test
{
  protected:
    int run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        std::vector<std::string> all = {"--data-dir", dir.path()};
        all.insert(all.end(), args.begin(), args.end());
        return gui::runTessalyGui(all, out, err);
    }
    testkit::TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(TessalyGuiRun, WizardFinishPrintsTheRunAndCancelPrintsNothing)
{
    const std::string method = dir.path() + "/Study.PRO/Methods/m.tym";
    whenShown(finishWizard);
    ASSERT_EQ(run({"wizard", "--method", method, "--compounds", dir.path() + "/c.csv", "--unattended"}), 0)
        << err.str();
    EXPECT_EQ(out.str(), "tessaly --data-dir " + dir.path() + " run --method " + method + " --compounds " + dir.path() +
                             "/c.csv --unattended\n");
    EXPECT_EQ(err.str(), "");

    whenShown(finishWizard);
    ASSERT_EQ(run({"wizard", "--no-analysis", "--auto-quantify"}), 0) << err.str();
    EXPECT_EQ(out.str(), "tessaly --data-dir " + dir.path() + " run --no-analysis --auto-quantify\n")
        << "without analysis the wizard ends on its first page";

    whenShown([](gui::ModelWindow& window) { window.sheetButton(PSBTN_CANCEL)->click(); });
    EXPECT_EQ(run({"wizard"}), 1);
    EXPECT_EQ(out.str(), "");
}

TEST_F(TessalyGuiRun, EditorExitsZeroUnlessChangesAreDeclined)
{
    const std::string file = dir.path() + "/new.tym";
    whenShown([](gui::ModelWindow& window) {
        EXPECT_EQ(window.windowTitle().toStdString(), "Tessaly Method Editor new.tym");
        window.sheetButton(PSBTN_CANCEL)->click();
    });
    EXPECT_EQ(run({"edit", file}), 0) << "nothing changed: " << err.str();

    std::string question;
    whenShown([&question](gui::ModelWindow& window) {
        const gui::PageView* view = window.activeView();
        QLineEdit* maximum = nullptr;
        for (size_t i = 0; i < view->controlCount(); ++i)
            if (view->entryAt(i).id == ui::optimisation::kConeVoltageMax)
                maximum = qobject_cast<QLineEdit*>(view->widgetAt(i));
        ASSERT_NE(maximum, nullptr);
        maximum->selectAll();
        QTest::keyClicks(maximum, "40");
        // OK leaves the box, so the change is taken; closing then asks to save, and No declines.
        guitest::answerNextBox(question, QMessageBox::No);
        window.sheetButton(PSBTN_OK)->click();
    });
    EXPECT_EQ(run({"edit", file}), 1);
    EXPECT_EQ(question, "The current file has been modified\nDo you wish to save the changes?");
}

TEST_F(TessalyGuiRun, BadArgumentsAreRefusedOnOneLine)
{
    struct Case
    {
        std::vector<std::string> args;
        const char* starts;
    } cases[] = {
        {{}, "tessaly-gui: A subcommand is required"},
        {{"frobnicate"}, "tessaly-gui: "},
        {{"wizard", "--bogus"}, "tessaly-gui: "},
        {{"edit", "a\\b.tym"}, "tessaly-gui: "},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.args.empty() ? "no command" : c.args.back());
        EXPECT_EQ(run(c.args), 2);
        const std::string said = err.str();
        EXPECT_EQ(said.rfind(c.starts, 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.str().find("wizard"), std::string::npos);
}
} // namespace
