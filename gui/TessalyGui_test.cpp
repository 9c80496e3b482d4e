#include "gui/GuiTestSupport.h"
#include "gui/ModelWindow.h"
#include "gui/TessalyGui.h"
#include "method/BrenmoOptions.h"
#include "platform/PropertySheet.h"
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
        {"/data/Study.PRO/Methods/a_b+c@d%e=f:g,h.tym", "/data/Study.PRO/Methods/a_b+c@d%e=f:g,h.tym"},
        {"", "''"},
        {"My Study.PRO", "'My Study.PRO'"},
        {"it's", "'it'\\''s'"},
        {"$HOME", "'$HOME'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gui::shellQuoted(c.word), c.quoted) << c.word;
}

// The whole line, flag by flag, is checked by the wizard's runs below; these are its edges, each with
// how many choices the line cannot carry are named. Every row starts from a run with optimisation on.
TEST(TessalyGui, TheRunLineLeavesOutWhatWasNotAskedForAndNamesWhatItCannotTake)
{
    struct Case
    {
        const char* name;
        std::function<void(CBrenmoOptions&)> choose;
        const char* line;
        size_t notes;
    } cases[] = {
        {"what tessaly run does", [](CBrenmoOptions& o) { o.m_bRunUnattended = 1; }, "tessaly run --unattended", 0},
        {"a process not asked for", [](CBrenmoOptions& o) { o.m_strPreRunProcess = "wash"; }, "tessaly run", 0},
        {"an empty process asked for", [](CBrenmoOptions& o) { o.m_bPostRun = 1; }, "tessaly run --post-run ''", 0},
        {"no compound optimisation", [](CBrenmoOptions& o) { o.m_bCompoundOptimisation = 0; }, "tessaly run", 1},
        {"no acquisition", [](CBrenmoOptions& o) { o.m_bAcquireSampleData = 0; }, "tessaly run", 1},
        {"no acquisition without analysis",
         [](CBrenmoOptions& o) { o.m_bAcquireSampleData = o.m_bAnalysisAndQuantitation = 0; },
         "tessaly run --no-analysis", 0},
        {"quantify off without auto-quantify", [](CBrenmoOptions& o) { o.m_bQuantifySamples = 0; }, "tessaly run", 0},
        {"auto-quantify without calibration",
         [](CBrenmoOptions& o) { o.m_bAutoQuantifySamples = 1, o.m_bCalibrateStandards = 0; },
         "tessaly run --auto-quantify", 1},
        {"processing and reports", [](CBrenmoOptions& o) { o.m_bAutoProcessSamples = o.m_bPrintQuantifyReports = 1; },
         "tessaly run", 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBrenmoOptions options;
        options.m_bCompoundOptimisation = 1;
        c.choose(options);
        EXPECT_EQ(gui::runCommandLine(options, ""), c.line);
        EXPECT_EQ(gui::choicesRunCannotTake(options).size(), c.notes);
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
    if (!window.ended())
        window.sheetButton(PSBTN_CANCEL)->click(); // so that a failure ends the run
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

TEST_F(TessalyGuiRun, WizardFinishPrintsTheRunItWasGivenAndCancelPrintsNothing)
{
    // Every run option through the wizard and back: the options it starts with, its pages and
    // the line it prints, paths as POSIX paths and words quoted where they need it.
    const std::string d = dir.path();
    whenShown(finishWizard);
    // clang-format off
    ASSERT_EQ(run({"wizard", "--method", d + "/My Study.PRO/m.tym", "--compounds", d + "/c.csv", "--analysis",
                   d + "/s.spl", "--auto-quantify", "--calibration", "Cal 1", "--base-quan-method", d + "/b.mdb",
                   "--export-lims", "--concatenate-group", "--lims-file", d + "/l.txt", "--pre-run", "wash --twice",
                   "--post-run", "", "--unattended"}),
              0)
        << err.str();
    EXPECT_EQ(out.str(), "tessaly --data-dir " + d + " run --method '" + d + "/My Study.PRO/m.tym' --compounds " + d +
                             "/c.csv --analysis " + d + "/s.spl --auto-quantify --calibration 'Cal 1' "
                             "--base-quan-method " + d + "/b.mdb --export-lims --concatenate-group --lims-file " + d +
                             "/l.txt --pre-run 'wash --twice' --post-run '' --unattended\n");
    // clang-format on

    whenShown(finishWizard);
    ASSERT_EQ(run({"wizard", "--no-analysis", "--auto-quantify"}), 0) << err.str();
    EXPECT_EQ(out.str(), "tessaly --data-dir " + d + " run --no-analysis --auto-quantify\n")
        << "without analysis the wizard ends on its first page";

    const struct
    {
        const char* name;
        std::function<void(gui::ModelWindow&)> cancel;
    } cancels[] = {
        {"Cancel", [](gui::ModelWindow& window) { window.sheetButton(PSBTN_CANCEL)->click(); }},
        {"Escape", [](gui::ModelWindow& window) { QTest::keyClick(&window, Qt::Key_Escape); }},
        {"close box", [](gui::ModelWindow& window) { window.close(); }},
    };
    for (const auto& c : cancels)
    {
        SCOPED_TRACE(c.name);
        whenShown([&c](gui::ModelWindow& window) {
            c.cancel(window);
            if (!window.ended())
                finishWizard(window);
        });
        EXPECT_EQ(run({"wizard"}), 1);
        EXPECT_EQ(out.str(), "");
    }
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
        auto* maximum =
            window.findChild<QLineEdit*>(QStringLiteral("control%1").arg(ui::optimisation::kConeVoltageMax));
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
    out.str("");
    EXPECT_EQ(run({"--version"}), 0) << "needs no command";
    EXPECT_EQ(out.str(), "tessaly-gui " BRENMO_VERSION "\n");
}
} // namespace
