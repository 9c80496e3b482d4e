// The run wizard driven as a user drives it, on the Kelvane stand-in over a temporary data
// directory: the wizard buttons, the analysis controls, the rights behind the quantify options,
// the Browse buttons with their starting points, and what reaches the host's options record. Also
// the quantify method file dialog's settings.
#include "kelvane/KelvaneHost.h"
#include "method/BrenmoOptions.h"
#include "testing/DialogDriver.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"
#include "ui/QuanFileDialog.h"
#include "ui/RunOptsPages.h"
#include "ui/SelectSampleList.h"
#include "ui/TessalyWizard.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
using testkit::DialogDriver;
namespace page1 = ui::page1;
namespace page2 = ui::page2;
namespace page3 = ui::page3;

constexpr DWORD kSampleListFlags =
    OFN_LONGNAMES | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

std::string typeText(const tag_SELECT_DATATYPE& type)
{
    return std::string(type.lpszFilter ? type.lpszFilter : "(null)") + "|" + (type.lpszDefExt ? type.lpszDefExt : "") +
           "|" + std::to_string(type.nType);
}

class TessalyWizardTest : public ::testing::Test
{
  protected:
    // Creates a file below the data directory (C:\) and returns its host path.
    std::string makeFile(const std::string& relative)
    {
        const std::filesystem::path posix = dir_.file(relative);
        std::filesystem::create_directories(posix.parent_path());
        testkit::writeText(posix.string(), "x");
        std::string hostPath = "C:\\" + relative;
        std::replace(hostPath.begin(), hostPath.end(), '/', '\\');
        return hostPath;
    }
    void setSystemList(const char* key, const std::string& hostPath)
    {
        tag_HXFILE form;
        ASSERT_EQ(ConvertPathToHxFile(&form, hostPath.c_str()), 1);
        ASSERT_EQ(SetSystemListValue("SystemList", key, &form, 1), 1);
    }
    std::string systemList(const char* key)
    {
        tag_HXFILE form;
        char path[1024] = {};
        if (!GetSystemListValue("SystemList", key, 0, &form))
            return "(unset)";
        ConvertHxFileToPath(path, sizeof path, &form);
        return path;
    }
    // The wizard buttons the user can press now; a disabled Finish shows as "(Finish)".
    static std::string offered(const CTessalyWizard& wizard)
    {
        std::string buttons;
        for (const auto& [button, name] :
             {std::pair{PSBTN_BACK, "Back"}, {PSBTN_NEXT, "Next"}, {PSBTN_FINISH, "Finish"}})
            if (wizard.isButtonEnabled(button))
                buttons += buttons.empty() ? name : std::string(" ") + name;
        if (wizard.wizardButtons() & PSWIZB_DISABLEDFINISH)
            buttons += buttons.empty() ? "(Finish)" : " (Finish)";
        return buttons;
    }
    static bool enabled(const CWnd& page, int id)
    {
        const CWnd* control = page.GetDlgItem(id);
        return control && control->IsWindowEnabled();
    }
    // Shows the wizard the way the host sends it for the quantify steps: all of them on.
    static void sendQuantifyRun(CTessalyWizard& wizard)
    {
        wizard.m_bAnalysisAndQuantitation = wizard.m_bAutoQuantifySamples = TRUE;
        wizard.m_bIntegrateSamples = wizard.m_bCalibrateStandards = wizard.m_bQuantifySamples = TRUE;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost scope_{host_};
    DialogDriver user_;
    CTessalyWizard wizard_;
};

// Each row acts and then states where the wizard is: the active page, the buttons and whether the
// analysis list controls of page 1 are enabled.
TEST_F(TessalyWizardTest, ButtonsFollowTheStepsChosen)
{
    CRunOptsPage1& first = *wizard_.m_pPage1;
    const auto tick = [](CWnd& page, int id, bool on) {
        return [&page, id, on] { return DialogDriver::tick(page, id, on); };
    };
    const auto press = [&](int button) { return [this, button] { return wizard_.PressButton(button) != FALSE; }; };
    struct Step
    {
        const char* action;
        std::function<bool()> act;
        int page;
        const char* buttons;
        bool analysisControls;
    };
    const int optimisation = page1::kCompoundOptimisation, analysis = page1::kAnalysisAndQuantitation;
    CWnd& second = *wizard_.m_pPage2;
    const Step steps[] = {
        {"open with nothing chosen", [&] { return wizard_.Create() != FALSE; }, 0, "(Finish)", false},
        {"tick optimisation", tick(first, optimisation, true), 0, "Finish", false},
        {"tick analysis", tick(first, analysis, true), 0, "Next", true},
        {"untick analysis", tick(first, analysis, false), 0, "Finish", false},
        {"untick optimisation", tick(first, optimisation, false), 0, "(Finish)", false},
        {"tick analysis alone", tick(first, analysis, true), 0, "Next", true},
        {"next", press(PSBTN_NEXT), 1, "Back Finish", true},
        {"tick auto quantify", tick(second, page2::kAutoQuantifySamples, true), 1, "Back Next", true},
        {"next", press(PSBTN_NEXT), 2, "Back Finish", true},
        {"back", press(PSBTN_BACK), 1, "Back Next", true},
        {"untick auto quantify", tick(second, page2::kAutoQuantifySamples, false), 1, "Back Finish", true},
        {"back", press(PSBTN_BACK), 0, "Next", true},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.action);
        ASSERT_TRUE(step.act());
        EXPECT_EQ(wizard_.GetActiveIndex(), step.page);
        EXPECT_EQ(offered(wizard_), step.buttons);
        for (const int id : {page1::kAnalysisLabel, page1::kAnalysisName, page1::kAnalysisBrowse})
            EXPECT_EQ(enabled(first, id), step.analysisControls) << id;
        EXPECT_TRUE(enabled(first, page1::kCompoundBrowse));
    }
}

// (That the pages open with the flags the host sent and Finish takes every page is checked by the
// GUI's wizard runs, which pass every run option through the wizard and back.)

// A refused right clears and disables its step once page 3 is shown; a page never shown hands the
// host's values back.
TEST_F(TessalyWizardTest, RefusedRightsClearAndDisableTheirQuantifyStep)
{
    struct Case
    {
        std::set<int> refused;
        const char* steps; // integrate, calibrate, quantify as returned
    };
    const Case cases[] = {{{}, "111"}, {{4003}, "011"}, {{4001}, "101"}, {{4006}, "110"}, {{4001, 4003, 4006}, "000"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.steps);
        host_.SetRefusedRights(c.refused);
        CTessalyWizard wizard;
        sendQuantifyRun(wizard);
        ASSERT_TRUE(wizard.Create());
        ASSERT_TRUE(wizard.PressButton(PSBTN_NEXT));
        ASSERT_TRUE(wizard.PressButton(PSBTN_NEXT));
        CRunOptsPage3& third = *wizard.m_pPage3;
        std::string shown, returned;
        const int ids[] = {page3::kIntegrateSamples, page3::kCalibrateStandards, page3::kQuantifySamples};
        for (int i = 0; i < 3; ++i)
        {
            shown += third.IsDlgButtonChecked(ids[i]) == BST_CHECKED && enabled(third, ids[i]) ? '1' : '0';
            EXPECT_EQ(DialogDriver::tick(third, ids[i]), c.steps[i] == '1') << "only a granted step can be ticked";
        }
        EXPECT_EQ(shown, c.steps);
        ASSERT_TRUE(wizard.PressButton(PSBTN_FINISH));
        wizard.ReceiveDataFromPages();
        for (const BOOL step : {wizard.m_bIntegrateSamples, wizard.m_bCalibrateStandards, wizard.m_bQuantifySamples})
            returned += step ? '1' : '0';
        EXPECT_EQ(returned, c.steps);
    }

    host_.SetRefusedRights({4006});
    sendQuantifyRun(wizard_);
    ASSERT_TRUE(wizard_.Create());
    ASSERT_TRUE(wizard_.PressButton(PSBTN_NEXT));
    ASSERT_TRUE(DialogDriver::tick(*wizard_.m_pPage2, page2::kAutoQuantifySamples, false));
    ASSERT_TRUE(wizard_.PressButton(PSBTN_FINISH));
    wizard_.ReceiveDataFromPages();
    EXPECT_EQ(wizard_.m_bQuantifySamples, TRUE) << "page 3 was never shown";
}

// Each path box shows its own field's name and extension, cut safely when long, and is never read
// back into its field.
TEST_F(TessalyWizardTest, PathBoxesShowNameAndExtensionOnly)
{
    const std::string longName(300, 'n');
    const std::pair<std::string, std::string> names[] = {
        {"C:\\Data\\Proj.PRO\\Methods\\abc.tym", "abc.tym"},
        {"", ""},
        {"Z:\\x\\archive.tar.gz", "archive.tar.gz"},
        {"C:\\x\\noext", "noext"},
        {"*.spl", "*.spl"},
        {"C:\\x\\" + longName + ".spl", longName.substr(0, 255) + ".spl"},
    };
    for (const auto& [path, shown] : names)
        EXPECT_EQ(ui::detail::fileNameAndExtension(path.c_str()).str(), shown) << path;

    wizard_.m_strMethodFile = "C:\\Data\\Proj.PRO\\Methods\\abc.tym";
    wizard_.m_strCompoundList = "C:\\Lists\\cmpds.csv";
    wizard_.m_strAnalysisList = "C:\\Lists\\plasma.spl";
    wizard_.m_strBaseQuanMethod = "C:\\Q\\base.mdb";
    wizard_.m_strLimsExportFile = "C:\\Out\\export.txt";
    sendQuantifyRun(wizard_);
    ASSERT_TRUE(wizard_.Create());
    CRunOptsPage1& first = *wizard_.m_pPage1;
    EXPECT_EQ(DialogDriver::text(first, page1::kMethodName) + " " + DialogDriver::text(first, page1::kCompoundName) +
                  " " + DialogDriver::text(first, page1::kAnalysisName) + " " +
                  DialogDriver::text(first, page1::kBaseQuanName),
              "abc.tym cmpds.csv plasma.spl base.mdb");
    first.SetDlgItemText(page1::kMethodName, "typed.tym");
    ASSERT_TRUE(first.UpdateData(TRUE));
    EXPECT_STREQ(first.m_strMethodFile, "C:\\Data\\Proj.PRO\\Methods\\abc.tym");
    ASSERT_TRUE(wizard_.PressButton(PSBTN_NEXT));
    ASSERT_TRUE(wizard_.PressButton(PSBTN_NEXT));
    EXPECT_EQ(DialogDriver::text(*wizard_.m_pPage3, page3::kLimsExportName), "export.txt");
}

TEST_F(TessalyWizardTest, MethodBrowseTakesOnlyAChosenFile)
{
    const std::string method = makeFile("Proj.PRO/Methods/abc.tym");
    wizard_.m_strMethodFile = "C:\\old.tym";
    ASSERT_TRUE(wizard_.Create());
    CRunOptsPage1& first = *wizard_.m_pPage1;
    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::press(first, page1::kMethodBrowse));
    EXPECT_STREQ(first.m_strMethodFile, "C:\\old.tym");
    user_.chooseFile(method);
    ASSERT_TRUE(DialogDriver::press(first, page1::kMethodBrowse));
    EXPECT_EQ(first.m_strMethodFile.str(), method);
    EXPECT_EQ(DialogDriver::text(first, page1::kMethodName), "abc.tym");
    ASSERT_EQ(user_.fileRequests().size(), 2u);
    EXPECT_EQ(user_.fileRequests()[0].initialFile, "C:\\old.tym");
}

// An empty list path starts the host's sample-list dialog at "SAMPLES_DB" (or "*.spl") with the
// ".spl" type selected; a cancel leaves the path and the type the host sent. A choice takes the file
// and the type its extension names (or the selected one), each list into its own fields.
TEST_F(TessalyWizardTest, SampleListBrowseSeedsTheDialogButTakesOnlyAChoice)
{
    const std::string compounds = makeFile("Lists/cmpds.csv");
    // An extension no data type has leaves the type to the dialog's selected filter.
    const std::string analysis = makeFile("Lists/plasma.dat");
    wizard_.m_bAnalysisAndQuantitation = TRUE;
    wizard_.m_CompoundListType = wizard_.m_AnalysisListType = CSelectFileDialog::m_DataTypes[3];
    ASSERT_TRUE(wizard_.Create());
    CRunOptsPage1& first = *wizard_.m_pPage1;

    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::press(first, page1::kCompoundBrowse));
    setSystemList("SAMPLES_DB", "C:\\Study.PRO\\SampleDB\\default.spl");
    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::press(first, page1::kCompoundBrowse));
    EXPECT_STREQ(first.m_strCompoundList, "") << "a cancelled dialog writes nothing";
    EXPECT_EQ(typeText(first.m_CompoundListType), typeText(CSelectFileDialog::m_DataTypes[3]));

    user_.chooseFile(compounds);
    ASSERT_TRUE(DialogDriver::press(first, page1::kCompoundBrowse));
    user_.chooseFile(analysis);
    ASSERT_TRUE(DialogDriver::press(first, page1::kAnalysisBrowse));
    EXPECT_EQ(first.m_strCompoundList.str() + " " + typeText(first.m_CompoundListType),
              compounds + " Formatted Text (*.CSV)|*.csv||csv|2");
    EXPECT_EQ(first.m_strAnalysisList.str() + " " + typeText(first.m_AnalysisListType),
              analysis + " Kelvane 3.x (*.SPL)|*.spl||spl|1");
    EXPECT_EQ(DialogDriver::text(first, page1::kCompoundName), "cmpds.csv");

    const auto& asked = user_.fileRequests();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].initialFile + "|" + asked[1].initialFile + "|" + asked[3].initialFile,
              "*.spl|C:\\Study.PRO\\SampleDB\\default.spl|C:\\Study.PRO\\SampleDB\\default.spl");
    EXPECT_EQ(asked[1].title + "|" + asked[3].title, "Select Compound List|Select Analysis List");
    EXPECT_EQ(asked[1].flags, kSampleListFlags);
    ASSERT_EQ(asked[1].filters.size(), static_cast<size_t>(CSelectFileDialog::m_nDataTypes));

    // A window given to refresh shows the choice at once.
    user_.chooseFile(analysis);
    ASSERT_EQ(SelectSampleList(&first, first.m_strCompoundList, first.m_CompoundListType, "Pick"), 1);
    EXPECT_EQ(DialogDriver::text(first, page1::kCompoundName), "plasma.dat");
}

// The base quan method starts at the field, or at "METHOD_DB" when it is empty; only a chosen file
// is stored, and a path the host cannot hold ends the Browse before any dialog.
TEST_F(TessalyWizardTest, BaseQuanMethodBrowseSeedsFromTheMethodDatabase)
{
    const std::string chosen = makeFile("Study.PRO/MethDB/plasma.mdb");
    setSystemList("METHOD_DB", "C:\\Study.PRO\\MethDB\\quan.mdb");
    ASSERT_TRUE(wizard_.Create());
    CRunOptsPage1& first = *wizard_.m_pPage1;

    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::press(first, page1::kBaseQuanBrowse));
    EXPECT_STREQ(first.m_strBaseQuanMethod, "") << "the seed is not the user's choice";
    user_.chooseFile(chosen);
    ASSERT_TRUE(DialogDriver::press(first, page1::kBaseQuanBrowse));
    EXPECT_EQ(first.m_strBaseQuanMethod.str(), chosen);
    EXPECT_EQ(DialogDriver::text(first, page1::kBaseQuanName), "plasma.mdb");
    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::press(first, page1::kBaseQuanBrowse));

    const auto& asked = user_.fileRequests();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].initialFile, "C:\\Study.PRO\\MethDB\\quan.mdb");
    EXPECT_EQ(asked[0].owner, first.GetSafeHwnd());
    EXPECT_EQ(asked[2].initialFile, chosen);

    first.m_strBaseQuanMethod = ("C:\\" + std::string(300, 'd') + "\\q.mdb").c_str();
    ASSERT_TRUE(DialogDriver::press(first, page1::kBaseQuanBrowse));
    EXPECT_EQ(user_.fileRequests().size(), 3u) << "no dialog for a path the host cannot hold";
    EXPECT_EQ(first.m_strBaseQuanMethod.GetLength(), 309);
}

// The LIMS export chooser starts at the page's file; a cancel puts the host's stored choice back.
TEST_F(TessalyWizardTest, LimsExportBrowseRestoresTheHostsChoiceOnCancel)
{
    setSystemList("QUAN_DUMP_FILE", "C:\\Prev\\prev.txt");
    wizard_.m_strLimsExportFile = "C:\\Out\\old.txt";
    sendQuantifyRun(wizard_);
    ASSERT_TRUE(wizard_.Create());
    ASSERT_TRUE(wizard_.PressButton(PSBTN_NEXT));
    ASSERT_TRUE(wizard_.PressButton(PSBTN_NEXT));
    CRunOptsPage3& third = *wizard_.m_pPage3;

    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::press(third, page3::kLimsExportBrowse));
    EXPECT_STREQ(third.m_strLimsExportFile, "C:\\Out\\old.txt");
    EXPECT_EQ(systemList("QUAN_DUMP_FILE"), "C:\\Prev\\prev.txt");

    user_.chooseFile("C:\\Out\\new.txt"); // an export file need not exist yet
    ASSERT_TRUE(DialogDriver::press(third, page3::kLimsExportBrowse));
    EXPECT_STREQ(third.m_strLimsExportFile, "C:\\Out\\new.txt");
    EXPECT_EQ(DialogDriver::text(third, page3::kLimsExportName), "new.txt");
    EXPECT_EQ(systemList("QUAN_DUMP_FILE"), "C:\\Out\\new.txt");

    ASSERT_EQ(user_.fileRequests().size(), 2u);
    EXPECT_EQ(user_.fileRequests()[0].initialFile, "C:\\Out\\old.txt");

    // A file the host's path form cannot hold is not stored: the chooser starts at the host's.
    third.m_strLimsExportFile = ("C:\\" + std::string(300, 'd') + "\\x.txt").c_str();
    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::press(third, page3::kLimsExportBrowse));
    EXPECT_EQ(user_.fileRequests().back().initialFile, "C:\\Out\\new.txt");
    EXPECT_EQ(systemList("QUAN_DUMP_FILE"), "C:\\Out\\new.txt");
}

TEST_F(TessalyWizardTest, AssignmentCopiesDataButEachWizardKeepsItsPages)
{
    CTessalyWizard source;
    source.m_strMethodFile = "C:\\m.tym";
    source.m_strLimsExportFile = "C:\\e.txt";
    source.m_CompoundListType = CSelectFileDialog::m_DataTypes[1];
    source.m_bConcatenateGroup = source.m_bRunUnattended = TRUE;
    CRunOptsPage1* const ownPage = wizard_.m_pPage1;
    wizard_ = source;
    EXPECT_EQ(wizard_.m_pPage1, ownPage);
    EXPECT_EQ(wizard_.m_pPage1->sheet(), &wizard_);
    EXPECT_EQ(wizard_.m_strMethodFile + wizard_.m_strLimsExportFile, "C:\\m.tymC:\\e.txt");
    EXPECT_EQ(typeText(wizard_.m_CompoundListType), typeText(CSelectFileDialog::m_DataTypes[1]));
    EXPECT_EQ(wizard_.m_bConcatenateGroup + wizard_.m_bRunUnattended, 2);
}

// Every control in a group box names a group box of its own page's template.
TEST_F(TessalyWizardTest, TemplatesKeepControlsInTheirOwnGroupBoxes)
{
    for (int page = 0; page < 3; ++page)
    {
        const platform::DialogTemplate* layout = wizard_.GetPage(page)->dialogTemplate();
        ASSERT_NE(layout, nullptr);
        for (const platform::DialogControl& control : layout->controls)
        {
            const platform::DialogControl* box = layout->findControl(control.groupBox);
            EXPECT_TRUE(control.groupBox == 0 || (box && box->kind == platform::ControlKind::kGroupBox))
                << control.label;
        }
    }
}

// The options record takes every run option the wizard collects and nothing else; each flag is
// tried both ways, so none matches the record's default by chance.
TEST_F(TessalyWizardTest, OptionsTakeTheWizardsRunOptionsOnly)
{
    CTessalyWizard& w = wizard_;
    const auto texts = [](auto& r) {
        return r.m_strMethodFile + "|" + r.m_strCompoundList + "|" + r.m_strAnalysisList + "|" + r.m_strPreRunProcess +
               "|" + r.m_strPostRunProcess + "|" + r.m_strBaseQuanMethod + "|" + r.m_strLimsExportFile + "|" +
               typeText(r.m_CompoundListType).c_str() + "|" + typeText(r.m_AnalysisListType).c_str();
    };
    const auto flags = [](auto& r) {
        // clang-format off
        return std::vector<BOOL*>{&r.m_bCompoundOptimisation, &r.m_bAnalysisAndQuantitation, &r.m_bRunUnattended,
                                  &r.m_bAcquireSampleData, &r.m_bAutoProcessSamples, &r.m_bAutoQuantifySamples,
                                  &r.m_bPreRun, &r.m_bPostRun, &r.m_bIntegrateSamples, &r.m_bCalibrateStandards,
                                  &r.m_bQuantifySamples, &r.m_bPrintQuantifyReports, &r.m_bExportResultsToLims,
                                  &r.m_bConcatenateGroup};
        // clang-format on
    };
    w.m_strMethodFile = "m", w.m_strCompoundList = "c", w.m_strAnalysisList = "a", w.m_strPreRunProcess = "pre";
    w.m_strPostRunProcess = "post", w.m_strBaseQuanMethod = "b", w.m_strLimsExportFile = "e";
    w.m_CompoundListType = CSelectFileDialog::m_DataTypes[2];
    w.m_AnalysisListType = CSelectFileDialog::m_DataTypes[4];
    for (const BOOL value : {TRUE, FALSE})
    {
        SCOPED_TRACE(value);
        for (BOOL* flag : flags(w))
            *flag = value;
        host::MockInstrument instrument;
        CBrenmoOptions options;
        options.m_dConeVoltageMin = 12.5;
        options.m_strQuanCalibration = "cal";
        options.m_pInstrument = &instrument;
        options.m_strProject = "C:\\P.PRO\\";
        options = w;
        EXPECT_STREQ(texts(options), texts(w));
        for (const BOOL* flag : flags(options))
            EXPECT_EQ(*flag, value) << flag - flags(options)[0];
        EXPECT_EQ(options.m_dConeVoltageMin, 12.5);
        EXPECT_STREQ(options.m_strQuanCalibration + options.m_strProject, "calC:\\P.PRO\\");
        EXPECT_EQ(options.m_pInstrument, &instrument);
    }
}

TEST_F(TessalyWizardTest, QuanFileDialogStartsAtThePathWithItsExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\Quan\\Methods\\plasma.mdb", "mdb"},
        {"", ""},
        {"C:\\Data\\Study.PRO", ""},
        {"C:\\Data\\Study.pro", ""},
        {"C:\\Data\\plasma", ""},
        {"C:\\Data\\x.Mdb", "Mdb"},
    };
    for (const auto& [path, extension] : cases)
    {
        const platform::FileDialogRequest asked = CQuanFileDialog(CString(path)).request();
        EXPECT_EQ(asked.initialFile + "|" + asked.defaultExtension, std::string(path) + "|" + extension);
    }
    // A typed name without an extension gets the dialog's; every confirmed name is accepted.
    CQuanFileDialog dialog("D:\\Quan\\Methods\\plasma.mdb");
    user_.chooseFile("D:\\Quan\\Methods\\serum");
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_STREQ(dialog.GetPathName(), "D:\\Quan\\Methods\\serum.mdb");
    const platform::FileDialogRequest& asked = user_.fileRequests().at(0);
    EXPECT_EQ(asked.title + "|" + asked.filters.at(0).first + "|" + asked.filters[0].second,
              "Select Quantify Method|Quantify Methods (*.mdb)|*.mdb");
}
} // namespace
