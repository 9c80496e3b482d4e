// The method editor driven as a person drives it: typing into boxes and leaving them, ticking,
// pressing buttons, choosing menu commands and answering its questions, on a mock host whose
// system list names a directory for each kind of file.
#include "method/TessalyOptionsSheet.h"
#include "platform/Menu.h"
#include "testing/DialogDriver.h"
#include "testing/MockHost.h"
#include "testing/OptionsFixtures.h"
#include "testing/TempDir.h"
#include "ui/OptionsPages.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::NiceMock;
using testkit::DialogDriver;

constexpr const char* kSavePrompt = "The current file has been modified\nDo you wish to save the changes?";
constexpr const char* kTitle = "Tessaly Method Editor";

// Page indices while the Losses tab is shown (MSMS mode).
enum Tab : int
{
    kOptimisationTab = 0,
    kAcquisitionTab = 1,
    kTuneTab = 2,
    kAdductsTab = 3,
    kLossesTab = 4,
    kInletsTab = 5,
};

class OptionsSheetTest : public ::testing::Test
{
  protected:
    OptionsSheetTest()
    {
        ON_CALL(host_, ftoa).WillByDefault([](double value, char* buffer, int precision) {
            std::snprintf(buffer, 64, "%.*f", precision, value);
            return buffer;
        });
        ON_CALL(host_, GetTotalSimultaneousSamples).WillByDefault([] { return 1; });
        host_.UsePathsInDirectoryText();
        // Turning a path form back joins its parts, so a form with a name (a new method's default
        // name) gives the whole path.
        ON_CALL(host_, ConvertHxFileToPath).WillByDefault([](char* out, int limit, const tag_HXFILE& in) {
            const CString extension = in.Extension();
            std::snprintf(out, static_cast<size_t>(limit), "%s%s%s%s", in.Directory().GetString(),
                          in.FileName().GetString(), extension.IsEmpty() ? "" : ".", extension.GetString());
            return 1;
        });
        // The host's directory of each kind of file, as the Browse buttons start there.
        ON_CALL(host_, GetSystemListValue).WillByDefault([](const char*, const char* key, int, tag_HXFILE& out) {
            static const std::map<std::string, std::string> directories = {
                {"METHOD_DB", "C:\\Methods\\"}, {"TUNE_DB", "C:\\Tune\\"}, {"LC_DB", "C:\\Lc\\"}};
            out.clear();
            const auto found = directories.find(key);
            return found != directories.end() && out.SetDirectory(found->second.c_str()) ? 1 : 0;
        });
    }

    /// A sheet with its window, as the host shows it, opening file when it is given.
    std::unique_ptr<CTessalyOptionsSheet> openSheet(const std::string& file = "", int samples = 1)
    {
        auto sheet = std::make_unique<CTessalyOptionsSheet>(CString(file.c_str()), samples);
        EXPECT_TRUE(sheet->Create());
        return sheet;
    }
    /// Activates tab and returns its page.
    static CWnd& tab(CTessalyOptionsSheet& sheet, int index)
    {
        EXPECT_TRUE(sheet.SetActivePage(index));
        return *sheet.GetActivePage();
    }
    static std::string title(const CWnd& sheet)
    {
        CString text;
        sheet.GetWindowText(text);
        return text.GetString();
    }
    static std::vector<std::string> tabs(const CTessalyOptionsSheet& sheet)
    {
        std::vector<std::string> captions;
        for (int i = 0; i < sheet.GetPageCount(); ++i)
            captions.push_back(sheet.GetPage(i)->caption().GetString());
        return captions;
    }
    static int focusedId()
    {
        return CWnd::GetFocus() ? CWnd::GetFocus()->GetDlgCtrlID() : 0;
    }
    const std::vector<testkit::ScriptedUserInterface::Message>& shown()
    {
        return user_.messages().messages();
    }

    /// Writes a method file of the given keys into the data directory; returns its host path.
    std::string writeMethod(const std::string& name, const std::string& keys) const
    {
        EXPECT_TRUE(testkit::writeText(dir_.file(name), "[Tessaly Options]\n" + keys));
        return "C:\\" + name;
    }
    std::string read(const std::string& name) const
    {
        return testkit::readText(dir_.file(name));
    }
    bool exists(const std::string& name) const
    {
        return std::filesystem::exists(dir_.file(name));
    }

    testkit::TempDir dir_{"OptionsSheet"};
    NiceMock<host::MockHost> host_;
    host::ScopedHost scoped_{host_};
    DialogDriver user_;
};

// ---- Values: ranges, steps and bad input ----------------------------------------------------

TEST_F(OptionsSheetTest, ABadValueIsRefusedWithTheFrameworksMessageAndKeepsTheFocus)
{
    constexpr const char* kInteger = "Please enter an integer.";
    constexpr const char* kNumber = "Please enter a number.";
    // Each case types into one box of a fresh default method and leaves it; an empty message
    // means the value is taken.
    struct Case
    {
        int tab;
        int box;
        const char* typed;
        const char* message;
        int focus; // the box the focus is left in after a refusal
    } cases[] = {
        // How numbers parse is the dialog layer's; these are the pages' ranges and boxes.
        {kOptimisationTab, 1003, "250", "Please enter an integer between 0 and 200.", 1003},
        {kOptimisationTab, 1003, "abc", kInteger, 1003}, // letters never reach a digits-only box
        {kOptimisationTab, 1003, "-0", "Please enter an integer between 0 and 0.", 1002},
        {kOptimisationTab, 1002, "60", "Please enter an integer between 0 and 50.", 1002},
        {kOptimisationTab, 1004, "5", "Please enter an integer between 6 and 40.", 1004},
        {kOptimisationTab, 1007, "0", "Please enter an integer between 6 and 40.", 1007},
        {kOptimisationTab, 1016, "49", "Please enter an integer between 50 and 999.", 1016},
        {kAcquisitionTab, 1024, "1.5", "Please enter a number between 0.02 and 1.", 1024},
        {kAcquisitionTab, 1023, "-0", "Please enter a number between 0.1 and 5.", 1023},
        {kAcquisitionTab, 1025, "0.6", "Please enter a number between 0.05 and 0.5.", 1025},
        {kLossesTab, 1045, "1000.5", "Please enter a number between 0 and 1000.", 1045},
        {kInletsTab, 1017, "1e39", kNumber, 1017},
        {kOptimisationTab, 1004, "40", "", 0},
        {kAcquisitionTab, 1024, "1", "", 0},
        {kInletsTab, 1016, "-0", "", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.box) + " \"" + c.typed + "\"");
        DialogDriver user;
        auto sheet = openSheet();
        CWnd& page = tab(*sheet, c.tab);
        CBrenmoOptions before;
        before = *sheet;
        ASSERT_TRUE(DialogDriver::type(page, c.box, c.typed));
        // Leaving for a control of the page that takes no values of its own.
        const int next = c.tab == kOptimisationTab ? 1013
                         : c.tab == kLossesTab     ? 1043
                         : c.tab == kInletsTab     ? 1001
                                                   : 1023;
        ASSERT_TRUE(DialogDriver::moveFocusTo(page, next == c.box ? 1025 : next));
        if (*c.message == '\0')
        {
            EXPECT_TRUE(user.messages().messages().empty());
            continue;
        }
        ASSERT_EQ(user.messages().messages().size(), 1u);
        EXPECT_EQ(user.messages().messages()[0].text, c.message);
        EXPECT_EQ(focusedId(), c.focus);
        EXPECT_EQ(sheet->m_bModified, 0) << "a refused value changes nothing";
        CBrenmoOptions taken;
        taken = *sheet;
        EXPECT_EQ(testkit::MethodText(taken), testkit::MethodText(before));
        EXPECT_FALSE(sheet->SetActivePage(kTuneTab)) << "the user stays on the page";
    }
}

TEST_F(OptionsSheetTest, RampStepsMustGiveTwoToEightPointsOrLieWithinTheSpan)
{
    struct Case
    {
        const char* name;
        int first; // min, max, step boxes
        const char* min;
        const char* max;
        const char* step;
        const char* message; // empty: taken
        double storedStep;
    } cases[] = {
        {"cone 9 points", 1002, "10", "50", "5", "Please enter an integer between 6 and 40.", 6},
        {"cone 8 points", 1002, "10", "50", "6", "", 6},
        {"cone 2 points", 1002, "10", "50", "40", "", 40},
        {"cone step past the span", 1002, "10", "50", "45", "", 45},
        {"cone single value", 1002, "30", "30", "5", "", 0},
        {"energy 11 points", 1005, "0", "50", "5", "Please enter an integer between 8 and 50.", 6},
        {"energy 3 points", 1005, "20", "40", "10", "", 10},
        {"energy single value", 1005, "20", "20", "5", "Collision Energy must have a range of values", 6},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DialogDriver user;
        auto sheet = openSheet();
        CWnd& page = tab(*sheet, kOptimisationTab);
        // The three boxes are filled in before they are taken together: leaving each in turn would
        // check the ramp half typed.
        page.GetDlgItem(c.first)->SetWindowText(c.min);
        page.GetDlgItem(c.first + 1)->SetWindowText(c.max);
        page.GetDlgItem(c.first + 2)->SetWindowText(c.step);
        const BOOL taken = page.UpdateData(TRUE);
        const CTessalyOptionsPage1& fields = *sheet->m_pOptimisationPage;
        const double step = c.first == 1002 ? fields.m_dConeVoltageStep : fields.m_dCollisionEnergyStep;
        EXPECT_DOUBLE_EQ(step, c.storedStep);
        if (*c.message == '\0')
        {
            EXPECT_TRUE(taken);
            EXPECT_TRUE(user.messages().messages().empty());
            continue;
        }
        EXPECT_FALSE(taken);
        ASSERT_EQ(user.messages().messages().size(), 1u);
        const auto& box = user.messages().messages()[0];
        EXPECT_EQ(box.text, c.message);
        const bool range = box.caption.empty();
        EXPECT_EQ(focusedId(), range ? c.first + 2 : 1006) << "the single-value energy message points at its maximum";
        if (!range)
        {
            EXPECT_EQ(box.caption + " " + std::to_string(box.type), "Acquisition 0");
        }
    }
}

TEST_F(OptionsSheetTest, AMethodFileOutsideThePagesRangesShowsAndIsRefusedWhenTaken)
{
    const std::string file =
        writeMethod("wide.tym", "Cone Voltage Max=250.00\nMax Dwell Time=7.00\nCone Voltage Min=10.75\n");
    auto sheet = openSheet(file);
    CWnd& page = *sheet->GetActivePage();
    EXPECT_EQ(DialogDriver::text(page, 1003), "250");
    EXPECT_EQ(DialogDriver::text(page, 1002), "10") << "ramp values show as whole numbers";
    EXPECT_FALSE(sheet->SetActivePage(kAcquisitionTab));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, "Please enter an integer between 0 and 200.");
    EXPECT_EQ(focusedId(), 1003);

    // Save stops on the refused value, so the file keeps exactly what it held.
    const std::string before = read("wide.tym");
    ASSERT_TRUE(DialogDriver::press(page, 1072));
    ASSERT_TRUE(DialogDriver::type(page, 1004, "30"));
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSave));
    EXPECT_EQ(read("wide.tym"), before);
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor wide.tym*");

    ASSERT_TRUE(DialogDriver::type(page, 1003, "200"));
    ASSERT_TRUE(sheet->SetActivePage(kAcquisitionTab));
    EXPECT_EQ(DialogDriver::text(*sheet->GetActivePage(), 1024), "7");
    EXPECT_FALSE(sheet->SetActivePage(kTuneTab));
    EXPECT_EQ(shown().back().text, "Please enter a number between 0.02 and 1.");
}

// ---- MS and MSMS, polarity and adducts ------------------------------------------------------

TEST_F(OptionsSheetTest, MSModeDropsTheLossesTabAndTheMSMSControlsAndKeepsTheirValues)
{
    const std::string file = writeMethod("ms.tym", "Collision Energy Min=20.00\nFragment Min Size=80\n");
    auto sheet = openSheet(file);
    CWnd& page = *sheet->GetActivePage();
    const int msmsOnly[] = {1005, 1006, 1007, 1062, 1009, 1016};
    // The daughter tune's name and Browse are MSMS only.
    const auto daughterTune = [&] { return tab(*sheet, kTuneTab).GetDlgItem(1036)->IsWindowEnabled() != FALSE; };
    ASSERT_TRUE(sheet->SetActivePage(kTuneTab));
    ASSERT_TRUE(sheet->SetActivePage(kOptimisationTab));

    ASSERT_TRUE(DialogDriver::press(page, 1010));
    EXPECT_EQ(tabs(*sheet),
              (std::vector<std::string>{"Optimisation", "Acquisition", "Tune Files", "Adducts", "Inlet Methods"}));
    for (const int id : msmsOnly)
        EXPECT_FALSE(page.GetDlgItem(id)->IsWindowEnabled()) << id;
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor ms.tym*");
    ASSERT_TRUE(DialogDriver::type(page, 1003, "52"));
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSave));
    EXPECT_FALSE(daughterTune());

    CBrenmoOptions saved;
    saved = CTessalyOptionsSheet::OpenFile(file.c_str());
    EXPECT_EQ(saved.m_bMSMS, 0);
    EXPECT_DOUBLE_EQ(saved.m_dConeVoltageMax, 52);
    EXPECT_DOUBLE_EQ(saved.m_dCollisionEnergyMin, 20) << "MS mode keeps the energies it does not use";
    EXPECT_EQ(saved.m_nFragmentMinSize, 80);

    CWnd& again = tab(*sheet, kOptimisationTab);
    ASSERT_TRUE(DialogDriver::press(again, 1011));
    EXPECT_EQ(tabs(*sheet).back(), "Losses") << "the tab comes back after the last one";
    for (const int id : msmsOnly)
        EXPECT_TRUE(again.GetDlgItem(id)->IsWindowEnabled()) << id;
    EXPECT_EQ(DialogDriver::text(again, 1016), "80") << "the fragment box is filled in although MS mode hid it";
    EXPECT_TRUE(again.UpdateData(TRUE));
    EXPECT_TRUE(daughterTune());
}

TEST_F(OptionsSheetTest, AdductGroupsFollowThePolarityAndEachEnabledGroupNeedsOneAdduct)
{
    struct Case
    {
        const char* name;
        int polarity; // radio button
        int untick;   // check box cleared on the Adducts page
        bool leaves;  // the page can be left
        const char* message;
    } cases[] = {
        {"negative: no negative adduct", 1014, 1030, false, "Must have at least one negative adduct"},
        {"positive: negative group disabled", 1013, 1030, true, ""},
        {"positive: no positive adduct", 1013, 1031, false, "Must have at least one positive adduct"},
        {"both: no positive adduct", 1015, 1031, false, "Must have at least one positive adduct"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DialogDriver user;
        auto sheet = openSheet();
        ASSERT_TRUE(DialogDriver::press(tab(*sheet, kOptimisationTab), c.polarity));
        CWnd& adducts = tab(*sheet, kAdductsTab);
        const bool positive = c.polarity != 1014, negative = c.polarity != 1013;
        EXPECT_EQ(adducts.GetDlgItem(1031)->IsWindowEnabled() != FALSE, positive);
        EXPECT_EQ(adducts.GetDlgItem(1063)->IsWindowEnabled() != FALSE, positive);
        EXPECT_EQ(adducts.GetDlgItem(1030)->IsWindowEnabled() != FALSE, negative);
        EXPECT_EQ(adducts.GetDlgItem(1056)->IsWindowEnabled() != FALSE, negative);
        EXPECT_FALSE(adducts.GetDlgItem(1041)->IsWindowEnabled()) << "an unticked user mass box is disabled";
        EXPECT_EQ(DialogDriver::tick(adducts, c.untick, false), c.polarity != 1013 || c.untick != 1030);
        EXPECT_EQ(sheet->SetActivePage(kInletsTab) != FALSE, c.leaves);
        if (c.leaves)
        {
            EXPECT_TRUE(user.messages().messages().empty());
            continue;
        }
        ASSERT_EQ(user.messages().messages().size(), 1u);
        EXPECT_EQ(user.messages().messages()[0].text + "|" + user.messages().messages()[0].caption,
                  std::string(c.message) + "|Adducts");
    }
}

TEST_F(OptionsSheetTest, UserAdductMassesAreTakenWhenTheBoxIsLeftForAnythingButAUserCheckBox)
{
    auto sheet = openSheet();
    ASSERT_TRUE(DialogDriver::press(tab(*sheet, kOptimisationTab), 1015));
    CWnd& page = tab(*sheet, kAdductsTab);
    const CAdducts& adducts = sheet->m_pAdductsPage->m_Adducts;
    ASSERT_TRUE(DialogDriver::tick(page, 1040));
    EXPECT_TRUE(page.GetDlgItem(1041)->IsWindowEnabled());
    ASSERT_TRUE(DialogDriver::enter(page, 1041, "35.5", 1040));
    EXPECT_FLOAT_EQ(adducts.m_UserNeg1.Mass(), 0.0f) << "moving to a user check box leaves the exchange to it";
    ASSERT_TRUE(DialogDriver::moveFocusTo(page, 1041));
    ASSERT_TRUE(DialogDriver::moveFocusTo(page, 1030));
    EXPECT_FLOAT_EQ(adducts.m_UserNeg1.Mass(), -35.5f);
    EXPECT_EQ(adducts.m_UserNeg1.m_strName, "M-35.50");
    EXPECT_EQ(adducts.m_UserNeg1.Allowed(), 1);

    ASSERT_TRUE(DialogDriver::tick(page, 1037));
    ASSERT_TRUE(DialogDriver::enter(page, 1035, "12.25", 1038));
    ASSERT_TRUE(DialogDriver::enter(page, 1035, "12.25", 1031));
    EXPECT_FLOAT_EQ(adducts.m_UserPos3.Mass(), 12.25f);
    EXPECT_EQ(adducts.m_UserPos3.m_strName, "M+12.25");
    for (const int check : {1040, 1042, 1037, 1038, 1036})
    {
        ASSERT_TRUE(DialogDriver::enter(page, 1035, "9", check)) << check;
        EXPECT_FLOAT_EQ(adducts.m_UserPos3.Mass(), 12.25f) << "left for user check box " << check;
    }

    ASSERT_TRUE(DialogDriver::enter(page, 1035, "1e309", 1031));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(focusedId(), 1035);
    EXPECT_FLOAT_EQ(adducts.m_UserPos3.Mass(), 12.25f) << "a refused mass stores nothing";

    // The saved file holds the magnitude, and reading it back gives the same adduct.
    ASSERT_TRUE(DialogDriver::enter(page, 1035, "12.25", 1031));
    sheet->m_strFile = "C:\\adducts.tym";
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSave));
    EXPECT_NE(read("adducts.tym").find("Adduct Neg User1 Mass=35.50"), std::string::npos);
    EXPECT_FLOAT_EQ(CTessalyOptionsSheet::OpenFile("C:\\adducts.tym").m_Adducts.m_UserNeg1.Mass(), -35.5f);
}

// ---- The sheet and the options record --------------------------------------------------------

TEST_F(OptionsSheetTest, LoadingAndTakingAMethodGiveTheSameMethodAndMarkOnlyChanges)
{
    // Every method key away from its default, with values the pages can hold as they are: a known
    // ion source, MSMS as 1 and masses that single precision keeps.
    CBrenmoOptions method;
    testkit::FillEveryMethodField(method);
    method.m_strIonMode = "APcI";
    method.m_bMSMS = 1;
    for (const int samples : {1, 2})
    {
        SCOPED_TRACE(samples);
        CTessalyOptionsSheet sheet("", samples);
        sheet = method;
        EXPECT_EQ(sheet.m_bModified, 1);
        CBrenmoOptions taken;
        taken.m_nMuxSprays = 4; // kept when the editor has no MUX page
        taken = sheet;
        CBrenmoOptions expected;
        expected = method;
        for (double* single : {&expected.m_dTotalCycleTime, &expected.m_dMaxDwellTime, &expected.m_dInterModeTime,
                               &expected.m_dStage1InjectionVolume, &expected.m_dStage2InjectionVolume})
            *single = static_cast<float>(*single);
        if (samples == 1)
        {
            expected.m_bUseMuxMode = 0;
            expected.m_bUseInterlacedInjections = 0;
            expected.m_nMuxSprays = 4;
        }
        EXPECT_EQ(testkit::MethodText(taken), testkit::MethodText(expected));

        sheet.m_bModified = 0;
        sheet = method;
        EXPECT_EQ(sheet.m_bModified, 0) << "loading the same method again changes nothing";
        CBrenmoOptions renamed;
        renamed = method;
        renamed.m_Adducts.m_UserPos4.SetMass(99.0f);
        sheet = renamed;
        EXPECT_EQ(sheet.m_bModified, 0) << "species compare by their flags only";
        renamed.m_strAcquisitionTuneFile = "C:\\Other.PRO\\x.ipr";
        sheet = renamed;
        EXPECT_EQ(sheet.m_bModified, 1);
    }
}

// ---- Title and files -------------------------------------------------------------------------

TEST_F(OptionsSheetTest, TheTitleNamesTheFileAndMarksTheFirstChange)
{
    const std::string file = writeMethod("abc.tym", "Cone Voltage Min=20.00\n");
    auto sheet = openSheet(file);
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor abc.tym");
    EXPECT_EQ(sheet->m_bModified, 0);
    CWnd& page = *sheet->GetActivePage();
    EXPECT_EQ(DialogDriver::text(page, 1002), "20");
    ASSERT_TRUE(DialogDriver::press(page, 1072));
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor abc.tym*");

    // File New on the changed method asks first; No discards it.
    user_.messages().answer(IDNO);
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileNew));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text + "|" + shown()[0].caption, std::string(kSavePrompt) + "|" + kTitle);
    EXPECT_EQ(shown()[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor Untitled*");
    EXPECT_EQ(DialogDriver::text(page, 1002), "10");
    EXPECT_EQ(sheet->m_strFile, "");
    EXPECT_NE(read("abc.tym").find("Cone Voltage Min=20.00"), std::string::npos);

    sheet->SetFile("", 0);
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor Untitled*") << "an untitled method is always marked";
}

// Any one value changed on its own marks the method: each box of the Optimisation page, the
// collision energy and fragment boxes included, and each injection volume.
TEST_F(OptionsSheetTest, EachValueChangedAloneMarksTheMethod)
{
    const std::string file = writeMethod("one.tym", "Cone Voltage Min=10.00\n");
    struct Case
    {
        int tab, box;
        const char* value;
        int next;
    } cases[] = {{kOptimisationTab, 1002, "12", 1012}, {kOptimisationTab, 1003, "52", 1012},
                 {kOptimisationTab, 1004, "7", 1012},  {kOptimisationTab, 1005, "12", 1012},
                 {kOptimisationTab, 1006, "52", 1012}, {kOptimisationTab, 1007, "7", 1012},
                 {kOptimisationTab, 1016, "60", 1012}, {kInletsTab, 1016, "30", 1017},
                 {kAcquisitionTab, 1023, "2", 1024},   {kInletsTab, 1017, "30", 1016}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.box);
        auto sheet = openSheet(file);
        ASSERT_EQ(sheet->m_bModified, 0);
        const std::size_t before = shown().size();
        ASSERT_TRUE(DialogDriver::enter(tab(*sheet, c.tab), c.box, c.value, c.next));
        EXPECT_EQ(shown().size(), before) << "the value is taken";
        EXPECT_EQ(sheet->m_bModified, 1);
    }
    // A method without a file name cannot be saved by Save itself.
    auto untitled = openSheet();
    untitled->SetModified();
    EXPECT_EQ(untitled->Save(), 0);
    EXPECT_EQ(untitled->m_bModified, 1);
}

TEST_F(OptionsSheetTest, SaveWritesOnlyAModifiedMethodAndWithoutMuxPageWritesMuxOff)
{
    const std::string file = writeMethod("mux.tym", "Use MUX Mode=1\nMUX Sprays=4\nUse Interlaced Injections=1\n");
    auto sheet = openSheet(file);
    ASSERT_TRUE(std::filesystem::remove(dir_.file("mux.tym")));
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSave));
    EXPECT_FALSE(exists("mux.tym")) << "an unmodified method is not written";

    ASSERT_TRUE(DialogDriver::enter(tab(*sheet, kInletsTab), 1017, "7.9", 1001));
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor mux.tym*");
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSave));
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor mux.tym");
    const std::string saved = read("mux.tym");
    for (const char* line : {"Use MUX Mode=0", "Use Interlaced Injections=0", "MUX Sprays=1",
                             "Stage2 Injection Volume=7.00", "Stage1 Injection Volume=20.00"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
}

// Any count of simultaneous samples but one adds the MUX tab, last; its sprays are loaded and saved.
TEST_F(OptionsSheetTest, TheMuxTabFollowsTheSampleCountAndSavesTheSprays)
{
    for (const int samples : {1, 0})
        EXPECT_EQ(tabs(CTessalyOptionsSheet("", samples)).back(), samples == 1 ? "Inlet Methods" : "MUX") << samples;
    const std::string file = writeMethod("four.tym", "Use MUX Mode=0\nMUX Sprays=4\n");
    auto sheet = openSheet(file, 4);
    ASSERT_EQ(sheet->GetPageCount(), 7);
    CWnd& page = tab(*sheet, 6);
    EXPECT_EQ(page.GetCheckedRadioButton(1064, 1066), 1066);
    for (const int id : {1068, 1064, 1069})
        EXPECT_FALSE(page.GetDlgItem(id)->IsWindowEnabled()) << id;
    ASSERT_TRUE(DialogDriver::tick(page, 1067));
    ASSERT_TRUE(DialogDriver::press(page, 1065));
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSave));
    const std::string saved = read("four.tym");
    EXPECT_NE(saved.find("Use MUX Mode=1"), std::string::npos);
    EXPECT_NE(saved.find("MUX Sprays=2"), std::string::npos);
}

TEST_F(OptionsSheetTest, OpenAsksAboutChangesAndTheAnswerDecides)
{
    struct Case
    {
        const char* name;
        bool titled;
        int answer;
        bool saved;      // the changed method was written
        bool opened;     // the other method was opened
        int fileDialogs; // file dialogs shown
    } cases[] = {
        {"titled, cancel", true, IDCANCEL, false, false, 0},
        {"titled, no", true, IDNO, false, true, 1},
        {"titled, yes", true, IDYES, true, true, 1},
        {"untitled, yes asks for a name", false, IDYES, true, true, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        testkit::TempDir dir("OpenPrompt");
        DialogDriver user;
        ASSERT_TRUE(testkit::writeText(dir.file("other.tym"), "[Tessaly Options]\nCone Voltage Min=30.00\n"));
        ASSERT_TRUE(testkit::writeText(dir.file("mine.tym"), "[Tessaly Options]\nCone Voltage Min=20.00\n"));
        auto sheet = openSheet(c.titled ? "C:\\mine.tym" : "");
        if (!c.titled)
        {
            ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileNew));
        }
        ASSERT_TRUE(DialogDriver::enter(*sheet->GetActivePage(), 1004, "8", 1013));
        user.messages().answer(c.answer);
        if (!c.titled)
            user.chooseFile("C:\\new.tym");
        user.chooseFile("C:\\other.tym");
        ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileOpen));
        EXPECT_EQ(static_cast<int>(user.fileRequests().size()), c.fileDialogs);
        const std::string written = testkit::readText(dir.file(c.titled ? "mine.tym" : "new.tym"));
        EXPECT_EQ(written.find("Cone Voltage Step=8.00") != std::string::npos, c.saved);
        EXPECT_EQ(sheet->m_strFile == "C:\\other.tym", c.opened);
        if (c.opened)
        {
            EXPECT_EQ(title(*sheet), "Tessaly Method Editor other.tym");
            EXPECT_EQ(DialogDriver::text(*sheet->GetActivePage(), 1002), "30");
        }
    }
}

TEST_F(OptionsSheetTest, SaveAsAsksForANameAndAFailedSaveKeepsTheOldNameAndSaysSo)
{
    auto sheet = openSheet();
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileNew));
    user_.cancelFile();
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSave));
    ASSERT_EQ(user_.fileRequests().size(), 1u);
    const platform::FileDialogRequest& request = user_.fileRequests()[0];
    EXPECT_EQ(request.initialFile, "C:\\Methods\\Untitled.tym");
    EXPECT_EQ(request.flags & OFN_OVERWRITEPROMPT, static_cast<DWORD>(OFN_OVERWRITEPROMPT));
    EXPECT_EQ(sheet->m_strFile, "");

    user_.chooseFile("C:\\No Such Folder\\a.tym");
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSaveAs));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text.substr(0, shown()[0].text.find('\n')), "C:\\No Such Folder\\a.tym");
    EXPECT_EQ(sheet->m_strFile, "") << "the failed name is not kept";
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor Untitled*");

    user_.chooseFile("C:\\b");
    ASSERT_TRUE(DialogDriver::command(*sheet, ui::kFileSaveAs));
    EXPECT_EQ(sheet->m_strFile, "C:\\b.tym");
    EXPECT_EQ(title(*sheet), "Tessaly Method Editor b.tym");
    EXPECT_TRUE(exists("b.tym"));
}

TEST_F(OptionsSheetTest, ClosingAskToSaveAndTheModalResultSaysWhetherTheMethodIsSafe)
{
    struct Case
    {
        const char* name;
        const char* file;   // opened; empty: untitled
        bool change;        // the user changes a value
        int answer;         // to the save prompt
        const char* saveAs; // the name chosen when asked for one; null: cancelled
        INT_PTR result;
        bool prompted;
    } cases[] = {
        {"unchanged", "C:\\m.tym", false, 0, nullptr, IDOK, false},
        {"changed, yes", "C:\\m.tym", true, IDYES, nullptr, IDOK, true},
        {"changed, no", "C:\\m.tym", true, IDNO, nullptr, IDCANCEL, true},
        {"changed, yes, unwritable", "C:\\Gone\\m.tym", true, IDYES, nullptr, IDCANCEL, true},
        {"untitled, yes, named", "", true, IDYES, "C:\\named.tym", IDOK, true},
        {"untitled, yes, no name", "", true, IDYES, nullptr, IDCANCEL, true},
        {"untitled, unchanged", "", false, 0, nullptr, IDOK, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        testkit::TempDir dir("ClosePrompt");
        DialogDriver user;
        ASSERT_TRUE(testkit::writeText(dir.file("m.tym"), "[Tessaly Options]\nFragment Min Size=60\n"));
        CTessalyOptionsSheet sheet(c.file);
        user.whenModal([&](CWnd& window) {
            if (c.change)
                DialogDriver::enter(*sheet.GetActivePage(), 1016, "70", 1013);
            DialogDriver::command(window, ui::kFileExit);
        });
        if (c.answer)
            user.messages().answer(c.answer);
        if (c.saveAs)
            user.chooseFile(c.saveAs);
        else
            user.cancelFile();
        EXPECT_EQ(sheet.DoModal(), c.result);
        const auto& boxes = user.messages().messages();
        EXPECT_EQ(!boxes.empty() && boxes[0].text == kSavePrompt && boxes[0].type == (MB_YESNO | MB_ICONQUESTION),
                  c.prompted);
        const std::string method = testkit::readText(dir.file(c.saveAs ? "named.tym" : "m.tym"));
        EXPECT_EQ(method.find("Fragment Min Size=70") != std::string::npos, c.result == IDOK && c.change);
        EXPECT_EQ(sheet.GetMenu(), nullptr) << "the menu goes with the window";
    }
}

TEST_F(OptionsSheetTest, TheWindowIsFifteenPixelsShorterAndCarriesTheFileMenu)
{
    auto sheet = openSheet();
    RECT rect = {};
    sheet->GetWindowRect(&rect);
    CWnd plain;
    RECT standard = {};
    plain.GetWindowRect(&standard);
    EXPECT_EQ(rect.bottom - rect.top, standard.bottom - standard.top - 15);
    ASSERT_NE(sheet->GetMenu(), nullptr);
    sheet->SendMessage(WM_CLOSE);
    EXPECT_EQ(sheet->GetMenu(), nullptr);
    EXPECT_TRUE(sheet->isEnded()) << "the frame's close button ends the sheet";
}

// ---- Browse and Clear ------------------------------------------------------------------------

TEST_F(OptionsSheetTest, QuanMethodBrowseStartsInTheMethodDirectoryAndUsesTheHostsDialog)
{
    auto sheet = openSheet();
    CWnd& page = *sheet->GetActivePage();
    std::vector<std::string> starts;
    EXPECT_CALL(host_, GenOpenFile(_, page.GetSafeHwnd(), _, 0x100C, ::testing::StrEq("Select Quantify Method File")))
        .WillOnce([&](HINSTANCE, HWND, tag_HXFILE& file, int, const char*) {
            starts.push_back(file.Directory().GetString());
            return short{0};
        })
        .WillOnce([&](HINSTANCE, HWND, tag_HXFILE& file, int, const char*) {
            starts.push_back(file.Directory().GetString());
            file.SetDirectory("C:\\Methods\\plasma.mdb");
            return short{1};
        })
        .WillOnce([&](HINSTANCE, HWND, tag_HXFILE& file, int, const char*) {
            starts.push_back(file.Directory().GetString());
            return short{1}; // chosen again, unchanged
        });
    ASSERT_TRUE(DialogDriver::press(page, 1008));
    EXPECT_EQ(sheet->m_pOptimisationPage->m_strQuanMethodParent, "") << "a cancelled browse leaves the field empty";
    EXPECT_EQ(sheet->m_bModified, 0);
    ASSERT_TRUE(DialogDriver::press(page, 1008));
    EXPECT_EQ(sheet->m_pOptimisationPage->m_strQuanMethodParent, "C:\\Methods\\plasma.mdb");
    EXPECT_EQ(DialogDriver::text(page, 1059), "plasma");
    EXPECT_EQ(sheet->m_bModified, 1);
    sheet->m_bModified = 0;
    ASSERT_TRUE(DialogDriver::press(page, 1008));
    EXPECT_EQ(sheet->m_bModified, 0) << "the same file again is no change";
    EXPECT_EQ(starts, (std::vector<std::string>{"C:\\Methods\\", "C:\\Methods\\", "C:\\Methods\\plasma.mdb"}));
}

TEST_F(OptionsSheetTest, FileBrowseButtonsOfferTheRightDialogAndRefuseOverlongPaths)
{
    std::filesystem::create_directories(dir_.file("Tune"));
    ASSERT_TRUE(testkit::writeText(dir_.file("Tune/parent.ipr"), "x"));
    ASSERT_TRUE(testkit::writeText(dir_.file("Tune/other.ipr"), "x"));
    const std::string deep = std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(90, 'f');
    std::filesystem::create_directories(dir_.file(deep));
    ASSERT_TRUE(testkit::writeText(dir_.file(deep + "/lc.ilm"), "x"));
    std::string longPath = "C:\\" + deep + "\\lc.ilm";
    std::replace(longPath.begin(), longPath.end(), '/', '\\');
    ASSERT_GT(longPath.size(), 255u);

    auto sheet = openSheet();
    CWnd& tune = tab(*sheet, kTuneTab);
    user_.chooseFile("C:\\Tune\\parent.ipr");
    ASSERT_TRUE(DialogDriver::press(tune, 1034));
    user_.chooseFile("C:\\Tune\\other.ipr");
    ASSERT_TRUE(DialogDriver::press(tune, 1034));
    EXPECT_EQ(sheet->m_pTunePage->m_strParentTuneFile, "C:\\Tune\\other.ipr");
    EXPECT_EQ(DialogDriver::text(tune, 1033), "other");

    CWnd& inlets = tab(*sheet, kInletsTab);
    user_.chooseFile(longPath);
    ASSERT_TRUE(DialogDriver::press(inlets, 1022));
    EXPECT_EQ(sheet->m_pInletsPage->m_strLoopLCMethod, "") << "a path a method cannot keep is refused";
    sheet->m_bModified = 0;
    ASSERT_TRUE(DialogDriver::press(inlets, 1048));
    EXPECT_EQ(sheet->m_bModified, 0) << "Clear on an empty loop method changes nothing";
    user_.chooseFile("C:\\Tune\\parent.ipr");
    ASSERT_TRUE(DialogDriver::press(inlets, 1022));
    EXPECT_EQ(DialogDriver::text(inlets, 1021), "parent.ipr");

    // Each dialog as "start|extension|title": the kind's directory until a file is chosen.
    const auto& requests = user_.fileRequests();
    ASSERT_EQ(requests.size(), 5u) << "the refused path asks again, and the script then cancels";
    std::string asked;
    for (size_t i = 0; i < 3; ++i)
        asked += requests[i].initialFile + "|" + requests[i].defaultExtension + "|" + requests[i].title + "\n";
    EXPECT_EQ(asked,
              "C:\\Tune\\||Select Tune File\nC:\\Tune\\parent.ipr|ipr|Select Tune File\nC:\\Lc\\||Select LC File\n");
    EXPECT_EQ(requests[1].flags & OFN_FILEMUSTEXIST, static_cast<DWORD>(OFN_FILEMUSTEXIST));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text.substr(0, longPath.size()), longPath);
    EXPECT_EQ(shown()[0].caption, "Select LC File");

    // Clear empties a set method and marks the change.
    sheet->m_bModified = 0;
    ASSERT_TRUE(DialogDriver::press(inlets, 1049));
    EXPECT_EQ(sheet->m_bModified, 0);
    ASSERT_TRUE(DialogDriver::press(inlets, 1048));
    EXPECT_EQ(sheet->m_pInletsPage->m_strLoopLCMethod, "");
    EXPECT_EQ(DialogDriver::text(inlets, 1021), "");
    EXPECT_EQ(sheet->m_bModified, 1);
}
} // namespace
