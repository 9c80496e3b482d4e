#include "platform/Dialog.h"
#include "platform/PropertySheet.h"

#include "platform/DataExchange.h"
#include "platform/DialogTemplate.h"
#include "platform/FileDialog.h"
#include "platform/Menu.h"
#include "platform/WinPath.h"
#include "testing/DialogDriver.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>
#include <tuple>

namespace
{
using platform::ControlKind;
using testkit::DialogDriver;

enum : int
{
    kCount = 101, // int 0..200
    kLevel = 102, // double 0.5..2.5
    kTime = 103,  // float 0.02..1
    kName = 104,  // text
    kDigits = 105,
    kShown = 106, // read-only
    kFlag = 110,
    kRadioA = 121,
    kRadioB = 122,
    kRadioC = 123,
    kOther = 130,
    kSource = 140,
    kApply = 150,
};

void registerTestTemplates()
{
    static const bool registered = [] {
        platform::DialogTemplate page{"TEST_PAGE", 0, "Values", {}};
        page.controls = {
            {kCount, ControlKind::kEdit, "&Count", 0, false, false},
            {kLevel, ControlKind::kEdit, "&Level", 0, false, false},
            {kTime, ControlKind::kEdit, "&Time", 0, false, false},
            {kName, ControlKind::kEdit, "&Name", 0, false, false},
            {kDigits, ControlKind::kEdit, "&Digits", 0, false, true},
            {kShown, ControlKind::kReadOnlyEdit, "", 0, false, false},
            {kFlag, ControlKind::kCheckBox, "&Flag", 0, true, false},
            {kRadioA, ControlKind::kRadioButton, "&A", 0, true, false},
            {kRadioB, ControlKind::kRadioButton, "&B", 0, false, false},
            {kRadioC, ControlKind::kRadioButton, "&C", 0, false, false},
            {kOther, ControlKind::kRadioButton, "&Other", 0, true, false},
            {kSource, ControlKind::kDropDownList, "", 0, true, false},
            {kApply, ControlKind::kPushButton, "&Apply", 0, true, false},
        };
        platform::DialogTemplate plain{"TEST_PLAIN", 77, "Plain", {{kName, ControlKind::kEdit, "&Name", 0, false, false}}};
        platform::registerStringResource(900, "First");
        return platform::registerDialogTemplate(page) && platform::registerDialogTemplate(plain);
    }();
    ASSERT_TRUE(registered);
}

// A page bound to every kind of exchange, with handlers the way option pages write them.
class TestPage : public CPropertyPage
{
  public:
    explicit TestPage(UINT caption = 0) : CPropertyPage("TEST_PAGE", caption)
    {
    }
    int m_nCount = 10;
    double m_dLevel = 1.5;
    float m_fTime = 0.2f;
    CString m_strName = "abc";
    int m_nDigits = 7;
    int m_bFlag = 0;
    int m_nChoice = 1;
    CString m_strSource = "APcI";
    int inits = 0, leaves = 0, applies = 0, posted = 0, actives = 0;
    DWORD buttons = 0;
    LRESULT next = 0;

    BOOL OnInitDialog() override
    {
        ++inits;
        GetDlgItem(kSource)->AddString("ESP");
        GetDlgItem(kSource)->AddString("APcI");
        return CPropertyPage::OnInitDialog();
    }
    BOOL OnSetActive() override
    {
        ++actives;
        sheet()->SetWizardButtons(buttons);
        return CPropertyPage::OnSetActive();
    }
    LRESULT OnWizardNext() override
    {
        return next;
    }

  protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, kCount, m_nCount);
        DDV_MinMaxInt(pDX, m_nCount, 0, 200);
        DDX_Text(pDX, kLevel, m_dLevel);
        DDV_MinMaxDouble(pDX, m_dLevel, 0.5, 2.5);
        DDX_Text(pDX, kTime, m_fTime);
        DDV_MinMaxFloat(pDX, m_fTime, 0.02f, 1.0f);
        DDX_Text(pDX, kName, m_strName);
        DDX_Text(pDX, kDigits, m_nDigits);
        DDX_Check(pDX, kFlag, m_bFlag);
        DDX_Radio(pDX, kRadioA, m_nChoice);
        DDX_CBString(pDX, kSource, m_strSource);
    }
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override
    {
        static const AFX_MSGMAP_ENTRY entries[] = {
            {EN_KILLFOCUS, kCount, afxHandler(&TestPage::OnLeaveCount)},
            {BN_CLICKED, kApply, afxHandler(&TestPage::OnApply)},
            {0, 0, nullptr},
        };
        return entries;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER + 1)
            return ++posted;
        return CPropertyPage::WindowProc(message, wParam, lParam);
    }

  private:
    void OnLeaveCount()
    {
        ++leaves;
        UpdateData(TRUE);
    }
    void OnApply()
    {
        ++applies;
    }
};

class DialogTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        registerTestTemplates();
        sheet.AddPage(&page);
        ASSERT_TRUE(sheet.Create());
        ASSERT_NE(page.GetSafeHwnd(), nullptr);
    }
    std::string shown(int id) const
    {
        return DialogDriver::text(page, id);
    }
    DialogDriver user;
    TestPage page;
    CPropertySheet sheet{"Sheet"};
};

TEST(DialogTemplate, LabelsGiveTheirMnemonicAndShownText)
{
    struct Case
    {
        const char* label;
        char mnemonic;
        const char* shown;
    } cases[] = {
        {"m&in", 'i', "min"},           {"&Browse...", 'B', "Browse..."}, {"Fish && &Chips", 'C', "Fish & Chips"},
        {"&&", 0, "&"},                 {"end&", 0, "end"},               {"&Injection &Volume", 'V', "Injection Volume"},
        {"[M &- H]", '-', "[M - H]"},   {"", 0, ""},                      {"plain", 0, "plain"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(platform::mnemonicOf(c.label), c.mnemonic);
        EXPECT_EQ(platform::plainLabel(c.label), c.shown);
    }
}

TEST(DialogTemplate, RegistrationRefusesClashes)
{
    registerTestTemplates();
    struct Case
    {
        const char* name;
        platform::DialogTemplate layout;
        bool accepted;
    } cases[] = {
        {"new name", {"TEST_OTHER", 0, "x", {{1, ControlKind::kEdit, "a"}, {2, ControlKind::kEdit, "b"}}}, true},
        {"name in another case", {"test_page", 0, "x", {}}, false},
        {"resource id taken", {"TEST_ID", 77, "x", {}}, false},
        {"two controls share an id", {"TEST_DUP", 0, "x", {{5, ControlKind::kEdit, "a"}, {5, ControlKind::kCheckBox, "b"}}}, false},
        {"unnamed statics may repeat", {"TEST_STATICS", 0, "x", {{-1, ControlKind::kStaticText, "a"}, {-1, ControlKind::kStaticText, "b"}}}, true},
        {"no name", {"", 0, "x", {}}, false},
    };
    for (Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::registerDialogTemplate(c.layout), c.accepted);
    }
    ASSERT_NE(platform::findDialogTemplate(77u), nullptr);
    EXPECT_EQ(platform::findDialogTemplate(77u)->name, "TEST_PLAIN");
}

TEST_F(DialogTest, ShowingPutsEachFieldInItsControl)
{
    page.m_dLevel = 1.0 / 3;
    page.m_fTime = 0.2f;
    page.m_nChoice = 2;
    page.m_bFlag = 1;
    page.m_strSource = "esp";
    ASSERT_TRUE(page.UpdateData(FALSE));
    // Doubles with %.*g and DBL_DIG, floats with FLT_DIG rather than the float's double expansion.
    EXPECT_EQ(shown(kCount) + " " + shown(kLevel) + " " + shown(kTime) + " " + shown(kName),
              "10 0.333333333333333 0.2 abc");
    EXPECT_EQ(page.IsDlgButtonChecked(kFlag), 1u);
    EXPECT_EQ(page.GetCheckedRadioButton(kRadioA, kOther), kRadioC);
    EXPECT_EQ(page.IsDlgButtonChecked(kOther), 0u) << "a button starting a new group is not part of the set";
    EXPECT_EQ(shown(kSource), "ESP") << "lists select by prefix without regard to case";
}

TEST_F(DialogTest, TakingReadsEachControlIntoItsField)
{
    ASSERT_TRUE(DialogDriver::type(page, kCount, " 150 "));
    ASSERT_TRUE(DialogDriver::type(page, kLevel, "2.25"));
    ASSERT_TRUE(DialogDriver::type(page, kTime, "1e-1"));
    ASSERT_TRUE(DialogDriver::type(page, kName, "  kept as typed "));
    ASSERT_TRUE(DialogDriver::tick(page, kFlag));
    ASSERT_TRUE(DialogDriver::press(page, kRadioA));
    ASSERT_TRUE(DialogDriver::choose(page, kSource, "ESP"));
    ASSERT_TRUE(page.UpdateData(TRUE));
    EXPECT_EQ(std::tuple(page.m_nCount, page.m_dLevel, page.m_bFlag, page.m_nChoice), std::tuple(150, 2.25, 1, 0));
    EXPECT_FLOAT_EQ(page.m_fTime, 0.1f);
    EXPECT_EQ(page.m_strName + "|" + page.m_strSource, "  kept as typed |ESP");
    EXPECT_TRUE(user.messages().messages().empty());
}

TEST_F(DialogTest, NumbersParseAndRangeAsTheFrameworkDoesAndFailuresKeepEarlierFields)
{
    // Each case types one box of a page whose count box holds 20, level 2 and name "later"; a
    // failure names what was expected and leaves the focus in the failing box.
    constexpr const char* kInteger = "Please enter an integer.";
    constexpr const char* kNumber = "Please enter a number.";
    struct Case
    {
        int control;
        const char* text;
        const char* message; // empty: taken
        double value;
    } cases[] = {
        {kCount, "-0", "", 0},          {kCount, "\t+7 ", "", 7},       {kCount, "abc", kInteger, 0},
        {kCount, "1.5", kInteger, 0},   {kCount, "", kInteger, 0},      {kCount, "12 3", kInteger, 0},
        {kCount, "1234567890123456789012345678901234567890", kInteger, 0}, {kCount, "2147483648", kInteger, 0},
        {kDigits, "-2147483648", "", -2147483648.0},                     {kLevel, " 2.5 ", "", 2.5},
        {kLevel, ".5", "", 0.5},        {kLevel, "2.", "", 2},          {kLevel, "1e309", kNumber, 0},
        {kLevel, "inf", kNumber, 0},    {kLevel, "0x1", kNumber, 0},    {kLevel, "1e", kNumber, 0},
        {kLevel, ".", kNumber, 0},      {kLevel, "-", kNumber, 0},      {kTime, "1e39", kNumber, 0},
        {kCount, "201", "Please enter an integer between 0 and 200.", 0},
        {kCount, "-1", "Please enter an integer between 0 and 200.", 0},
        {kLevel, "0.4", "Please enter a number between 0.5 and 2.5.", 0},
        {kTime, "0.01", "Please enter a number between 0.02 and 1.", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        DialogDriver driver;
        TestPage fresh;
        CPropertySheet holder("Sheet");
        holder.AddPage(&fresh);
        ASSERT_TRUE(holder.Create());
        fresh.GetDlgItem(kCount)->SetWindowText("20");
        fresh.GetDlgItem(kLevel)->SetWindowText("2");
        fresh.GetDlgItem(kName)->SetWindowText("later");
        fresh.GetDlgItem(c.control)->SetWindowText(c.text);
        fresh.GetDlgItem(kOther)->SetFocus();
        const bool taken = *c.message == '\0';
        ASSERT_EQ(fresh.UpdateData(TRUE), taken ? TRUE : FALSE);
        if (taken)
        {
            EXPECT_TRUE(driver.messages().messages().empty());
            const double got = c.control == kCount ? fresh.m_nCount : c.control == kDigits ? fresh.m_nDigits : fresh.m_dLevel;
            EXPECT_DOUBLE_EQ(got, c.value);
            continue;
        }
        ASSERT_EQ(driver.messages().messages().size(), 1u);
        const auto& box = driver.messages().messages()[0];
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.caption, "");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(CWnd::GetFocus(), fresh.GetDlgItem(c.control)) << "the failing box takes the focus";
        EXPECT_EQ(fresh.m_strName, "abc") << "fields after the failing one are not taken";
        if (c.control == kTime)
        {
            EXPECT_EQ(fresh.m_nCount, 20) << "fields before the failing one keep their new values";
            EXPECT_DOUBLE_EQ(fresh.m_dLevel, 2.0);
        }
    }
}

TEST_F(DialogTest, LeavingABoxRunsItsHandlerThroughTheMessageMap)
{
    ASSERT_TRUE(DialogDriver::enter(page, kCount, "500", kName));
    EXPECT_EQ(page.leaves, 1);
    ASSERT_EQ(user.messages().messages().size(), 1u);
    EXPECT_EQ(CWnd::GetFocus(), page.GetDlgItem(kCount)) << "a failed check takes the focus back";
    EXPECT_EQ(page.m_nCount, 500) << "the framework stores a value before its range check";

    ASSERT_TRUE(DialogDriver::enter(page, kCount, "50", kName));
    EXPECT_EQ(page.leaves, 2);
    EXPECT_EQ(page.m_nCount, 50);
    EXPECT_EQ(CWnd::GetFocus(), page.GetDlgItem(kName));

    ASSERT_TRUE(DialogDriver::type(page, kLevel, "9"));
    ASSERT_TRUE(DialogDriver::moveFocusTo(page, kName));
    EXPECT_EQ(page.leaves, 2) << "a box without a handler tells nobody";

    ASSERT_TRUE(DialogDriver::press(page, kApply));
    EXPECT_EQ(page.applies, 1);
}

TEST_F(DialogTest, TypingHonoursDigitsOnlyReadOnlyAndDisabledBoxes)
{
    ASSERT_TRUE(DialogDriver::type(page, kDigits, "1a-2.3"));
    EXPECT_EQ(shown(kDigits), "123");
    EXPECT_FALSE(DialogDriver::type(page, kShown, "x"));
    page.GetDlgItem(kName)->EnableWindow(FALSE);
    EXPECT_FALSE(DialogDriver::type(page, kName, "x"));
    EXPECT_EQ(shown(kName), "abc");
    page.GetDlgItem(kFlag)->EnableWindow(FALSE);
    EXPECT_FALSE(DialogDriver::tick(page, kFlag));
    EXPECT_FALSE(DialogDriver::choose(page, kSource, "missing"));
}

TEST_F(DialogTest, WindowFunctionsReachTheDialogWindows)
{
    const HWND box = page.GetDlgItem(kName)->GetSafeHwnd();
    EXPECT_EQ(EnableWindow(box, FALSE), FALSE) << "it was enabled";
    EXPECT_FALSE(page.GetDlgItem(kName)->IsWindowEnabled());
    EXPECT_EQ(EnableWindow(box, TRUE), TRUE) << "it was disabled";
    EXPECT_EQ(SetWindowTextA(sheet.GetSafeHwnd(), "Retitled"), TRUE);
    CString title;
    sheet.GetWindowText(title);
    EXPECT_EQ(title, "Retitled");
    EXPECT_TRUE(user.messages().windowTexts().empty()) << "dialog windows keep their text themselves";

    EXPECT_EQ(PostMessageA(page.GetSafeHwnd(), WM_USER + 1, 0, 0), TRUE);
    EXPECT_EQ(PostMessageA(nullptr, WM_USER + 1, 0, 0), FALSE);
    EXPECT_EQ(page.posted, 0) << "posting only queues";
    EXPECT_EQ(platform::pumpMessages(), 1);
    EXPECT_EQ(page.posted, 1);

    const HWND stale = page.GetSafeHwnd();
    EXPECT_EQ(PostMessageA(stale, WM_USER + 1, 0, 0), TRUE);
    sheet.DestroyWindow();
    EXPECT_EQ(page.GetSafeHwnd(), nullptr);
    EXPECT_EQ(platform::pumpMessages(), 0) << "a message to a window gone since is dropped";
    EXPECT_EQ(EnableWindow(box, FALSE), FALSE);
    EXPECT_EQ(CWnd::FromHandle(stale), nullptr);
}

TEST_F(DialogTest, RemovedPagesReturnAtTheEndWithANewWindow)
{
    TestPage second(900), third;
    sheet.AddPage(&second);
    sheet.AddPage(&third);
    EXPECT_EQ(second.caption(), "First") << "caption from the string table";
    EXPECT_EQ(third.caption(), "Values") << "else the template's";
    ASSERT_TRUE(sheet.SetActivePage(&second));
    EXPECT_EQ(second.inits, 1);
    sheet.RemovePage(&second);
    EXPECT_EQ(second.GetSafeHwnd(), nullptr);
    EXPECT_EQ(sheet.GetActivePage(), &third) << "the page that takes the removed one's place";
    sheet.AddPage(&second);
    ASSERT_EQ(sheet.GetPageCount(), 3);
    EXPECT_EQ(sheet.GetPage(0), &page);
    EXPECT_EQ(sheet.GetPage(1), &third);
    EXPECT_EQ(sheet.GetPage(2), &second);
    EXPECT_EQ(second.GetSafeHwnd(), nullptr) << "no window until activated";
    ASSERT_TRUE(sheet.SetActivePage(2));
    EXPECT_EQ(second.inits, 2);
    sheet.RemovePage(0);
    EXPECT_EQ(sheet.GetActivePage(), &second);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
}

// An edit that handles its own loss of focus, as a page's special boxes do.
class WatchingEdit : public CEdit
{
  public:
    std::vector<int> lostTo; // control id of the window that took the focus, 0 for none
  protected:
    void OnKillFocus(CWnd* pNewWnd) override
    {
        CEdit::OnKillFocus(pNewWnd);
        lostTo.push_back(pNewWnd ? pNewWnd->GetDlgCtrlID() : 0);
    }
};

TEST_F(DialogTest, ASubclassedBoxGetsItsOwnMessagesAndKeepsItsPlace)
{
    WatchingEdit edit;
    CDataExchange exchange(&page, FALSE);
    DDX_Control(&exchange, kCount, edit);
    DDX_Control(&exchange, kCount, edit); // a second exchange leaves it
    ASSERT_EQ(page.GetDlgItem(kCount), &edit);
    EXPECT_EQ(edit.GetDlgCtrlID(), kCount);
    EXPECT_EQ(CWnd::FromHandle(edit.GetSafeHwnd()), &edit);
    EXPECT_EQ(page.controls().front(), &edit) << "same place in the tab order";

    ASSERT_TRUE(DialogDriver::enter(page, kCount, "250", kName));
    EXPECT_EQ(edit.lostTo, std::vector<int>{kName});
    EXPECT_EQ(page.leaves, 1) << "the default handling still tells the page";
    EXPECT_EQ(CWnd::GetFocus(), &edit) << "the page's range check took the focus back";
    EXPECT_EQ(user.messages().messages().size(), 1u);

    sheet.RemovePage(&page); // the page's window goes, and the box's with it
    EXPECT_EQ(edit.GetSafeHwnd(), nullptr);
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.SetActivePage(&page));
    CDataExchange again(&page, FALSE);
    DDX_Control(&again, kCount, edit);
    EXPECT_EQ(page.GetDlgItem(kCount), &edit) << "taken over again in the new window";

    {
        WatchingEdit brief;
        ASSERT_TRUE(brief.SubclassDlgItem(kName, &page));
        EXPECT_FALSE(brief.SubclassDlgItem(kName, &page)) << "it has a window already";
    }
    EXPECT_EQ(page.GetDlgItem(kName), nullptr) << "a box destroyed before its dialog leaves no dangling control";
    EXPECT_FALSE(WatchingEdit().SubclassDlgItem(999, &page));
}

TEST_F(DialogTest, MenuCommandsReachTheWindowThroughItsMessageMap)
{
    static const bool registered = platform::registerMenuTemplate(
        {901, {{"&File", 0, false, {{"&Apply\tCtrl+A", kApply, false, {}}, {"", 0, true, {}}, {"&Nothing", 902, false, {}}}}}});
    ASSERT_TRUE(registered);
    EXPECT_FALSE(platform::registerMenuTemplate({901, {}})) << "id taken";

    CMenu menu;
    EXPECT_FALSE(menu.LoadMenu(999));
    ASSERT_TRUE(menu.LoadMenu(901));
    EXPECT_FALSE(menu.LoadMenu(901)) << "already loaded";
    EXPECT_FALSE(DialogDriver::command(page, kApply)) << "no menu attached yet";
    page.SetMenu(&menu);
    EXPECT_TRUE(DialogDriver::command(page, kApply));
    EXPECT_EQ(page.applies, 1);
    EXPECT_FALSE(DialogDriver::command(page, 903)) << "not an item of the menu";
    EXPECT_NE(menu.menuTemplate()->findCommand(902), nullptr);
    EXPECT_EQ(menu.menuTemplate()->findCommand(0), nullptr) << "separators and pop-ups are no commands";

    const HMENU first = menu.GetSafeHmenu();
    ASSERT_TRUE(menu.DestroyMenu());
    EXPECT_EQ(menu.menuTemplate(), nullptr);
    ASSERT_TRUE(menu.LoadMenu(901));
    EXPECT_NE(menu.GetSafeHmenu(), first) << "handles are not reused";
}

TEST_F(DialogTest, APageWithBadValuesCannotBeLeft)
{
    TestPage second;
    sheet.AddPage(&second);
    ASSERT_TRUE(DialogDriver::type(page, kCount, "999"));
    EXPECT_FALSE(sheet.SetActivePage(1));
    EXPECT_EQ(sheet.GetActivePage(), &page);
    EXPECT_EQ(second.GetSafeHwnd(), nullptr);
    ASSERT_EQ(user.messages().messages().size(), 1u);
    EXPECT_EQ(user.messages().messages()[0].text, "Please enter an integer between 0 and 200.");
    EXPECT_FALSE(sheet.PressButton(PSBTN_NEXT)) << "not a wizard";
    EXPECT_TRUE(sheet.PressButton(PSBTN_OK));
    EXPECT_FALSE(sheet.isEnded()) << "OK is refused too";
    ASSERT_TRUE(DialogDriver::type(page, kCount, "99"));
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_EQ(page.m_nCount, 99) << "leaving stores the page";
    EXPECT_EQ(page.actives, 1);
    EXPECT_TRUE(sheet.SetActivePage(0));
    EXPECT_EQ(page.actives, 2) << "reactivation shows the fields again";
}

TEST(Wizard, ButtonsDecideWhereBackNextAndFinishGo)
{
    registerTestTemplates();
    DialogDriver user;
    TestPage first, second, third;
    first.buttons = PSWIZB_DISABLEDFINISH;
    second.buttons = PSWIZB_BACK | PSWIZB_NEXT;
    third.buttons = PSWIZB_BACK | PSWIZB_FINISH;
    CPropertySheet wizard("Wizard");
    wizard.AddPage(&first);
    wizard.AddPage(&second);
    wizard.AddPage(&third);
    wizard.SetWizardMode();
    std::vector<std::string> trail;
    user.whenModal([&](CWnd&) {
        EXPECT_FALSE(wizard.PressButton(PSBTN_FINISH)) << "a disabled Finish";
        EXPECT_FALSE(wizard.PressButton(PSBTN_NEXT)) << "Finish is shown in place of Next";
        EXPECT_FALSE(wizard.PressButton(PSBTN_OK)) << "a wizard has no OK";
        first.buttons = PSWIZB_NEXT;
        wizard.SetWizardButtons(first.buttons);
        EXPECT_TRUE(wizard.PressButton(PSBTN_NEXT));
        EXPECT_EQ(wizard.GetActivePage(), &second);
        second.next = -1;
        EXPECT_TRUE(wizard.PressButton(PSBTN_NEXT));
        EXPECT_EQ(wizard.GetActivePage(), &second) << "the page asked to stay";
        second.next = 0;
        EXPECT_TRUE(wizard.PressButton(PSBTN_BACK));
        EXPECT_EQ(wizard.GetActivePage(), &first);
        EXPECT_TRUE(wizard.PressButton(PSBTN_NEXT));
        EXPECT_TRUE(DialogDriver::type(second, kCount, "-5"));
        EXPECT_TRUE(wizard.PressButton(PSBTN_NEXT));
        EXPECT_EQ(wizard.GetActivePage(), &second) << "bad values keep the user on the page";
        EXPECT_TRUE(DialogDriver::type(second, kCount, "5"));
        EXPECT_TRUE(wizard.PressButton(PSBTN_NEXT));
        EXPECT_EQ(wizard.GetActivePage(), &third);
        EXPECT_EQ(wizard.wizardButtons(), static_cast<DWORD>(PSWIZB_BACK | PSWIZB_FINISH));
        EXPECT_TRUE(wizard.PressButton(PSBTN_FINISH));
    });
    EXPECT_EQ(wizard.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(second.m_nCount, 5);
    EXPECT_EQ(first.GetSafeHwnd(), nullptr) << "the modal run destroys the windows";
    EXPECT_EQ(wizard.DoModal(), IDCANCEL) << "a user who does nothing cancels";
}

TEST(Dialog, ModalRunsEndAsTheUserOrTheDialogSays)
{
    registerTestTemplates();
    DialogDriver user;
    CDialog plain(77u);
    user.whenModal([](CWnd& dialog) { EXPECT_TRUE(dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED))); });
    EXPECT_EQ(plain.DoModal(), IDOK);
    EXPECT_EQ(plain.GetSafeHwnd(), nullptr);
    EXPECT_EQ(plain.DoModal(), IDCANCEL);
    CDialog missing("NO_SUCH_TEMPLATE");
    EXPECT_EQ(missing.DoModal(), -1);
}

// File dialogs: the service is the driver; files live in a temporary directory.
class FileDialogTest : public ::testing::Test
{
  protected:
    std::string host(const std::string& name) const
    {
        return platform::toHostPath(dir.file(name));
    }
    testkit::TempDir dir;
    DialogDriver user;
};

TEST(FileDialogFilter, ParsesDescriptionPatternPairs)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct Case
    {
        const char* filter;
        Pairs pairs;
    } cases[] = {
        {"All Files (*.*)|*.*||", {{"All Files (*.*)", "*.*"}}},
        {"Methods (*.tym)|*.tym|All (*.*)|*.*||", {{"Methods (*.tym)", "*.tym"}, {"All (*.*)", "*.*"}}},
        {"Kelvane 3.x (*.SPL)|*.spl|", {{"Kelvane 3.x (*.SPL)", "*.spl"}}},
        {"No end|*.x", {{"No end", "*.x"}}},
        {"Lonely|", {}},
        {"Lonely", {}},
        {"", {}},
        {"||Hidden|*.h||", {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(platform::parseFileDialogFilter(c.filter), c.pairs);
    }
}

TEST_F(FileDialogTest, MustExistAsksAgainForAMissingFile)
{
    ASSERT_TRUE(testkit::writeText(dir.file("there.tym"), "x"));
    CFileDialog dialog(TRUE, "tym", "start.tym", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "Methods (*.tym)|*.tym||");
    dialog.m_ofn.lpstrTitle = "Pick";
    user.chooseFile(host("missing.tym"));
    user.chooseFile(host("there"));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), host("there.tym").c_str()) << "the default extension is added";
    EXPECT_EQ(dialog.GetFileName(), "there.tym");
    EXPECT_EQ(dialog.GetFileExt(), "tym");
    ASSERT_EQ(user.messages().messages().size(), 1u);
    EXPECT_EQ(user.messages().messages()[0].text, "missing.tym\nFile not found.\nCheck the file name and try again.");
    ASSERT_EQ(user.fileRequests().size(), 2u);
    EXPECT_EQ(user.fileRequests()[0].title, "Pick");
    EXPECT_EQ(user.fileRequests()[0].initialFile, "start.tym");
    EXPECT_EQ(user.fileRequests()[1].initialFile, host("missing.tym")) << "asks again where the user was";
}

TEST_F(FileDialogTest, OverwritePromptNeedsAYes)
{
    ASSERT_TRUE(testkit::writeText(dir.file("old.tym"), "x"));
    CFileDialog dialog(FALSE, "tym", nullptr, OFN_OVERWRITEPROMPT);
    user.chooseFile(host("old.tym"));
    user.chooseFile(host("old.tym"));
    user.messages().answer(IDNO);
    user.messages().answer(IDYES);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(user.messages().messages().size(), 2u);
    EXPECT_EQ(user.messages().messages()[0].text, "old.tym already exists.\nDo you want to replace it?");
    EXPECT_EQ(user.messages().messages()[0].type, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));

    CFileDialog fresh(FALSE, nullptr, "keep.tym", OFN_OVERWRITEPROMPT);
    user.chooseFile(host("new.tym"));
    EXPECT_EQ(fresh.DoModal(), IDOK);
    EXPECT_EQ(user.messages().messages().size(), 2u) << "a new file is not asked about";
    user.cancelFile();
    CFileDialog cancelled(TRUE, nullptr, "keep.tym");
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetPathName(), "keep.tym");
}

// A dialog that refuses every name, as a script repeating itself would never give up.
class RefusingFileDialog final : public CFileDialog
{
  public:
    RefusingFileDialog() : CFileDialog(TRUE)
    {
    }
    int asked = 0;

  protected:
    BOOL OnFileNameOK() override
    {
        ++asked;
        return TRUE;
    }
};

class RepeatingService final : public platform::DialogService
{
  public:
    bool chooseFile(const platform::FileDialogRequest&, std::string& path) override
    {
        path = "Z:\\any";
        return true;
    }
};

TEST(FileDialog, EndlessRefusalsEndCancelled)
{
    RepeatingService service;
    platform::DialogService* previous = platform::installDialogService(&service);
    RefusingFileDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.asked, 64);
    EXPECT_EQ(dialog.GetPathName(), "");
    platform::installDialogService(previous);
}
} // namespace
