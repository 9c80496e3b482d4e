#include "gui/GuiTestSupport.h"
#include "gui/ModelWindow.h"
#include "gui/QtDialogService.h"
#include "platform/DataExchange.h"
#include "platform/Menu.h"
#include "platform/PropertySheet.h"
#include "testing/ScriptedUserInterface.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace
{
using platform::ControlKind;

enum : int
{
    kRange = 200,
    kMin = 201,
    kMax = 202, // 0..200, checked on leaving
    kName = 203,
    kShown = 204,
    kBrowse = 205,
    kExtra = 206, // ticked disables the name
    kMs = 207,    // removes the other page
    kMsms = 208,  // adds it back
    kSource = 209,
    kChips = 210,
    kReady = 401,
    kValue = 402,
    kText = 501,
    kNewCommand = 57600,
    kDropMenuCommand = 57601,
    kMenu = 3901,
};

void registerTemplates()
{
    static const bool registered = [] {
        platform::DialogTemplate values{"QT_TEST_VALUES", 0, "Values", {}};
        values.controls = {
            {kRange, ControlKind::kGroupBox, "&Range", 0, false, false},
            {kMin, ControlKind::kEdit, "m&in", kRange, false, true},
            {kMax, ControlKind::kEdit, "m&ax", kRange, false, true},
            {-1, ControlKind::kStaticText, "&Name:", 0, false, false},
            {kName, ControlKind::kEdit, "", 0, false, false},
            {kShown, ControlKind::kReadOnlyEdit, "", 0, false, false},
            {kBrowse, ControlKind::kPushButton, "&Browse...", 0, false, false},
            {kExtra, ControlKind::kCheckBox, "&Extra", 0, true, false},
            {kMs, ControlKind::kRadioButton, "&MS", 0, true, false},
            {kMsms, ControlKind::kRadioButton, "M&SMS", 0, false, false},
            {kSource, ControlKind::kDropDownList, "Ion s&ource", 0, true, false},
            {kChips, ControlKind::kPushButton, "Fish && &Chips", 0, true, false},
        };
        platform::DialogTemplate other{"QT_TEST_OTHER", 0, "Other", {{301, ControlKind::kCheckBox, "O&ther"}}};
        platform::DialogTemplate first{
            "QT_TEST_WIZ1", 0, "Wizard:- First", {{kReady, ControlKind::kCheckBox, "&Ready"}}};
        platform::DialogTemplate second{"QT_TEST_WIZ2", 0, "", {{kValue, ControlKind::kEdit, "&Value"}}};
        platform::DialogTemplate dialog{"QT_TEST_DIALOG", 0, "A Dialog", {}};
        dialog.controls = {
            {kText, ControlKind::kEdit, "&Text", 0, false, false},
            {IDOK, ControlKind::kPushButton, "OK", 0, true, false},
            {IDCANCEL, ControlKind::kPushButton, "Cancel", 0, false, false},
        };
        platform::MenuTemplate menu{kMenu, {}};
        menu.items.push_back({"&File",
                              0,
                              false,
                              {{"&New\tCtrl+N", kNewCommand, false, {}},
                               {"", 0, true, {}},
                               {"&Drop menu", kDropMenuCommand, false, {}}}});
        platform::registerStringResource(kNewCommand, "Create a new one\nNew");
        return platform::registerDialogTemplate(values) && platform::registerDialogTemplate(other) &&
               platform::registerDialogTemplate(first) && platform::registerDialogTemplate(second) &&
               platform::registerDialogTemplate(dialog) && platform::registerMenuTemplate(menu);
    }();
    ASSERT_TRUE(registered);
}

// A page written the way the option pages are: ranges checked on leaving a box, a Browse button,
// a check box that disables a box, radio buttons that take a page out of the sheet and back.
class ValuesPage : public CPropertyPage
{
  public:
    ValuesPage() : CPropertyPage("QT_TEST_VALUES")
    {
    }
    int m_nMin = 10;
    int m_nMax = 50;
    CString m_strName = "abc";
    int m_bExtra = 0;
    int m_nMode = 1;
    CString m_strSource = "APcI";
    int browses = 0;
    int choices = 0;
    CPropertyPage* dependent = nullptr;

    BOOL OnInitDialog() override
    {
        GetDlgItem(kSource)->AddString("ESP");
        GetDlgItem(kSource)->AddString("APcI");
        return CPropertyPage::OnInitDialog();
    }

  protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, kMin, m_nMin);
        DDX_Text(pDX, kMax, m_nMax);
        DDV_MinMaxInt(pDX, m_nMax, 0, 200);
        DDX_Text(pDX, kName, m_strName);
        DDX_Check(pDX, kExtra, m_bExtra);
        DDX_Radio(pDX, kMs, m_nMode);
        DDX_CBString(pDX, kSource, m_strSource);
    }
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override
    {
        static const AFX_MSGMAP_ENTRY entries[] = {
            {EN_KILLFOCUS, kMax, afxHandler(&ValuesPage::OnLeaveMax)},
            {BN_CLICKED, kBrowse, afxHandler(&ValuesPage::OnBrowse)},
            {BN_CLICKED, kExtra, afxHandler(&ValuesPage::OnExtra)},
            {BN_CLICKED, kMs, afxHandler(&ValuesPage::OnMs)},
            {BN_CLICKED, kMsms, afxHandler(&ValuesPage::OnMsms)},
            {CBN_SELENDOK, kSource, afxHandler(&ValuesPage::OnSource)},
            {0, 0, nullptr},
        };
        return entries;
    }

  private:
    void OnLeaveMax()
    {
        UpdateData(TRUE);
    }
    void OnBrowse()
    {
        ++browses;
        SetDlgItemText(kShown, "chosen.tym");
    }
    void OnExtra()
    {
        GetDlgItem(kName)->EnableWindow(IsDlgButtonChecked(kExtra) == BST_CHECKED ? FALSE : TRUE);
    }
    void OnMs()
    {
        sheet()->RemovePage(dependent);
    }
    void OnMsms()
    {
        sheet()->AddPage(dependent);
    }
    void OnSource()
    {
        ++choices;
    }
};

class WizardPage : public CPropertyPage
{
  public:
    WizardPage(const char* name, DWORD buttons) : CPropertyPage(name), buttons_(buttons)
    {
    }
    int m_bReady = 0;
    CString m_strValue;
    BOOL OnSetActive() override
    {
        showButtons();
        return CPropertyPage::OnSetActive();
    }
    BOOL OnWizardFinish() override
    {
        return UpdateData(TRUE);
    }

  protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (GetDlgItem(kReady))
            DDX_Check(pDX, kReady, m_bReady);
        if (GetDlgItem(kValue))
            DDX_Text(pDX, kValue, m_strValue);
    }
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override
    {
        static const AFX_MSGMAP_ENTRY entries[] = {
            {BN_CLICKED, kReady, afxHandler(&WizardPage::OnReady)},
            {0, 0, nullptr},
        };
        return entries;
    }

  private:
    // The first page offers Next only once Ready is ticked, as the run wizard's first page does.
    void showButtons()
    {
        const bool ready = !GetDlgItem(kReady) || IsDlgButtonChecked(kReady) == BST_CHECKED;
        sheet()->SetWizardButtons(ready ? buttons_ : buttons_ & ~static_cast<DWORD>(PSWIZB_NEXT));
    }
    void OnReady()
    {
        showButtons();
    }
    DWORD buttons_;
};

// A dialog with a menu whose commands reach its message map, one of them taking the menu off.
class MenuDialog : public CDialog
{
  public:
    MenuDialog() : CDialog("QT_TEST_DIALOG")
    {
    }
    int news = 0;
    int closes = 0;
    CString m_strText;
    BOOL OnInitDialog() override
    {
        menu_.LoadMenu(kMenu);
        SetMenu(&menu_);
        return CDialog::OnInitDialog();
    }

  protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, kText, m_strText);
    }
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override
    {
        static const AFX_MSGMAP_ENTRY entries[] = {
            {0, kNewCommand, afxHandler(&MenuDialog::OnNew)},
            {0, kDropMenuCommand, afxHandler(&MenuDialog::OnDropMenu)},
            {0, 0, nullptr},
        };
        return entries;
    }
    void OnClose() override
    {
        ++closes;
    }

  private:
    void OnNew()
    {
        ++news;
    }
    void OnDropMenu()
    {
        SetMenu(nullptr);
    }
    CMenu menu_;
};

bool activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Registers the templates before the pages of a fixture look theirs up.
struct Registered
{
    Registered()
    {
        registerTemplates();
    }
};

class SheetWindowTest : public ::testing::Test, private Registered
{
  protected:
    void SetUp() override
    {
        values.dependent = &other;
        sheet.AddPage(&values);
        sheet.AddPage(&other);
        ASSERT_TRUE(sheet.Create());
        window = std::make_unique<gui::ModelWindow>(sheet);
        ASSERT_TRUE(activate(*window));
    }
    void TearDown() override
    {
        window.reset();
        sheet.DestroyWindow();
    }
    template <class Widget = QWidget> Widget* widget(int id) const
    {
        const CWnd* control = values.GetDlgItem(id);
        const gui::PageView* view = window->activeView();
        return control && view ? dynamic_cast<Widget*>(view->widgetOf(control->GetSafeHwnd())) : nullptr;
    }
    int modelFocus() const
    {
        const CWnd* focus = CWnd::GetFocus();
        return !focus ? 0 : focus == &sheet ? -1 : focus->GetDlgCtrlID();
    }
    // Replaces the text of box id as a person does: select all, type.
    void retype(int id, const char* text)
    {
        QLineEdit* edit = widget<QLineEdit>(id);
        ASSERT_NE(edit, nullptr);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    }

    testkit::ScriptedUserInterface messages;
    ValuesPage values;
    CPropertyPage other{"QT_TEST_OTHER"};
    CPropertySheet sheet{"Test Sheet"};
    std::unique_ptr<gui::ModelWindow> window;
};

TEST_F(SheetWindowTest, LabelsKeepTheirMnemonicsAndNameTheirControl)
{
    // (The real pages' labels are checked control by control where their screenshots are taken.)
    const gui::PageView* view = window->activeView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(widget<QGroupBox>(kRange)->title().toStdString(), "&Range");
    EXPECT_EQ(widget<QPushButton>(kChips)->text().toStdString(), "Fish && &Chips") << "\"&&\" stays literal";
    EXPECT_TRUE(widget<QLineEdit>(kShown)->isReadOnly());
    const struct
    {
        size_t index;
        const char* text;
        int names;
    } labels[] = {{1, "m&in", kMin}, {3, "&Name:", kName}, {10, "Ion s&ource", kSource}};
    for (const auto& label : labels)
    {
        SCOPED_TRACE(label.text);
        const QLabel* shown = view->ownLabelAt(label.index);
        if (!shown)
            shown = dynamic_cast<const QLabel*>(view->widgetAt(label.index));
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->text().toStdString(), label.text);
        EXPECT_EQ(shown->buddy(), widget(label.names));
    }
    EXPECT_EQ(window->windowTitle().toStdString(), "Test Sheet");
    ASSERT_EQ(window->tabBar()->count(), 2);
    EXPECT_EQ(window->tabBar()->tabText(1).toStdString(), "Other");

    gui::ModelWindow alone(values); // one page on its own
    ASSERT_NE(alone.activeView(), nullptr);
    EXPECT_EQ(alone.activeView()->dialogHandle(), values.GetSafeHwnd());
    EXPECT_EQ(alone.tabBar(), nullptr);
    EXPECT_EQ(alone.sheetButton(PSBTN_OK), nullptr);
}

TEST_F(SheetWindowTest, TabFollowsTheTemplateAndTheModelFollowsTheFocus)
{
    EXPECT_EQ(modelFocus(), kMin) << "a window that opens gives the focus to its first control";
    EXPECT_EQ(QApplication::focusWidget(), widget(kMin));
    // -1: the sheet's own widgets (its buttons and tabs), for which the sheet holds the focus.
    const int order[] = {kMax, kName, kShown, kBrowse, kExtra, kMs, kMsms, kSource, kChips, -1, -1, -1, kMin};
    for (const int expected : order)
    {
        SCOPED_TRACE(expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(modelFocus(), expected);
        if (expected > 0)
        {
            EXPECT_EQ(QApplication::focusWidget(), widget(expected));
        }
    }
    EXPECT_TRUE(messages.messages().empty());

    QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(modelFocus(), kName) << "the label's mnemonic";
    QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return values.IsDlgButtonChecked(kExtra) == BST_CHECKED; }))
        << "a check box's mnemonic clicks it";
    EXPECT_FALSE(widget(kName)->isEnabled()) << "the click's handler disabled the name box";
}

TEST_F(SheetWindowTest, ABoxThatFailsItsCheckKeepsTheFocusAgainstTabClicksAndTabs)
{
    retype(kMax, "250");
    EXPECT_EQ(values.GetDlgItem(kMax)->GetWindowTextLength(), 3) << "typing reaches the control";
    // Each way of leaving the box is refused once, with one message, and leaves the focus there.
    const struct
    {
        const char* name;
        std::function<void()> leave;
    } ways[] = {
        {"Tab", [&] { QTest::keyClick(widget(kMax), Qt::Key_Tab); }},
        {"a click on a button", [&] { QTest::mouseClick(widget(kBrowse), Qt::LeftButton); }},
        {"a click on an edit", [&] { QTest::mouseClick(widget(kName), Qt::LeftButton); }},
        {"a click on another tab",
         [&] { QTest::mouseClick(window->tabBar(), Qt::LeftButton, {}, window->tabBar()->tabRect(1).center()); }},
        {"OK", [&] { QTest::mouseClick(window->sheetButton(PSBTN_OK), Qt::LeftButton); }},
    };
    size_t shown = 0;
    for (const auto& way : ways)
    {
        SCOPED_TRACE(way.name);
        way.leave();
        ASSERT_EQ(messages.messages().size(), ++shown);
        EXPECT_EQ(messages.messages().back().text, "Please enter an integer between 0 and 200.");
        EXPECT_EQ(modelFocus(), kMax);
        EXPECT_EQ(QApplication::focusWidget(), widget(kMax));
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        EXPECT_EQ(window->tabBar()->currentIndex(), 0);
        EXPECT_FALSE(window->ended());
    }
    EXPECT_EQ(values.browses, 0) << "the refused click did not press the button";

    retype(kMax, "120");
    QTest::mouseClick(widget(kBrowse), Qt::LeftButton);
    EXPECT_EQ(values.m_nMax, 120);
    EXPECT_EQ(values.browses, 1);
    EXPECT_EQ(widget<QLineEdit>(kShown)->text().toStdString(), "chosen.tym");
    QTest::mouseClick(window->tabBar(), Qt::LeftButton, {}, window->tabBar()->tabRect(1).center());
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(window->activeView()->dialogHandle(), other.GetSafeHwnd());
    EXPECT_EQ(messages.messages().size(), shown);
}

TEST_F(SheetWindowTest, TabsFollowThePagesTheModelAddsAndRemoves)
{
    QTest::mouseClick(widget(kMs), Qt::LeftButton);
    EXPECT_TRUE(widget<QRadioButton>(kMs)->isChecked());
    EXPECT_FALSE(widget<QRadioButton>(kMsms)->isChecked()) << "the control unchecks the rest of its set";
    ASSERT_EQ(window->tabBar()->count(), 1);
    EXPECT_EQ(other.GetSafeHwnd(), nullptr);

    QTest::mouseClick(widget(kMsms), Qt::LeftButton);
    ASSERT_EQ(window->tabBar()->count(), 2);
    EXPECT_EQ(window->tabBar()->tabText(1).toStdString(), "Other");
    QTest::mouseClick(window->tabBar(), Qt::LeftButton, {}, window->tabBar()->tabRect(1).center());
    ASSERT_NE(other.GetSafeHwnd(), nullptr) << "the page gets a new window when it is shown again";
    EXPECT_EQ(window->activeView()->dialogHandle(), other.GetSafeHwnd());

    QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.GetActiveIndex(), 0) << "Ctrl+Tab wraps round to the first tab";
}

TEST_F(SheetWindowTest, WidgetsShowWhatTheModelHolds)
{
    // Each step changes the model behind the widgets' back; a sync shows it.
    const struct
    {
        const char* name;
        std::function<void()> change;
        std::function<bool()> shown;
    } steps[] = {
        {"edit text", [&] { values.SetDlgItemText(kName, "new name"); },
         [&] { return widget<QLineEdit>(kName)->text() == "new name"; }},
        {"disabled button", [&] { values.GetDlgItem(kBrowse)->EnableWindow(FALSE); },
         [&] { return !widget(kBrowse)->isEnabled(); }},
        {"ticked box", [&] { values.CheckDlgButton(kExtra, BST_CHECKED); },
         [&] { return widget<QCheckBox>(kExtra)->isChecked(); }},
        {"list items and selection",
         [&] {
             CWnd* list = values.GetDlgItem(kSource);
             list->ResetContent();
             list->AddString("one");
             list->AddString("two");
             list->SetCurSel(1);
         },
         [&] {
             const auto* list = widget<QComboBox>(kSource);
             return list->count() == 2 && list->itemText(0) == "one" && list->currentIndex() == 1;
         }},
        {"no selection", [&] { values.GetDlgItem(kSource)->SetCurSel(-1); },
         [&] { return widget<QComboBox>(kSource)->currentIndex() == -1; }},
        {"a box disabled with all it holds",
         [&] {
             for (const int id : {kRange, kMin, kMax})
                 values.GetDlgItem(id)->EnableWindow(FALSE);
         },
         [&] { return !widget(kRange)->isEnabled() && !widget(kMin)->isEnabled(); }},
        {"a disabled box stays readable while a control in it is enabled",
         [&] { values.GetDlgItem(kMax)->EnableWindow(TRUE); },
         [&] { return widget(kRange)->isEnabled() && widget(kMax)->isEnabled() && !widget(kMin)->isEnabled(); }},
        {"button label", [&] { values.SetDlgItemText(kChips, "&Done"); },
         [&] { return widget<QPushButton>(kChips)->text() == "&Done"; }},
        {"window title", [&] { sheet.SetTitle("Renamed [*] sheet*"); },
         [&] { return window->windowTitle() == "Renamed [*][*] sheet*"; }},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.name);
        step.change();
        window->sync();
        EXPECT_TRUE(step.shown());
    }
}

TEST_F(SheetWindowTest, ChoicesAndTypingReachTheModelWhichHasTheLastWord)
{
    QComboBox* list = widget<QComboBox>(kSource);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(values.choices, 1);
    EXPECT_EQ(values.GetDlgItem(kSource)->GetCurSel(), 0);

    values.GetDlgItem(kName)->EnableWindow(FALSE);
    window->sync();
    widget<QLineEdit>(kName)->setEnabled(true); // a widget out of step with its control
    widget<QLineEdit>(kName)->setFocus();
    QTest::keyClicks(widget(kName), "x");
    CString name;
    values.GetDlgItemText(kName, name);
    EXPECT_EQ(name, "abc") << "a disabled control takes no typing";
    EXPECT_EQ(widget<QLineEdit>(kName)->text().toStdString(), "abc") << "and the widget shows the control again";
}

TEST(WizardWindow, ButtonsFollowTheWizardAndFinishEndsIt)
{
    registerTemplates();
    testkit::ScriptedUserInterface messages;
    WizardPage first("QT_TEST_WIZ1", PSWIZB_NEXT);
    WizardPage second("QT_TEST_WIZ2", PSWIZB_BACK | PSWIZB_FINISH);
    CPropertySheet wizard("Sheet caption");
    wizard.AddPage(&first);
    wizard.AddPage(&second);
    wizard.SetWizardMode();
    ASSERT_TRUE(wizard.Create());
    gui::ModelWindow window(wizard);
    ASSERT_TRUE(activate(window));
    const auto buttons = [&] {
        std::string state;
        for (const int b : {PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_CANCEL})
        {
            const QPushButton* button = window.sheetButton(b);
            state += !button->isVisible() ? '-' : button->isEnabled() ? 'E' : 'd';
        }
        return state; // Back, Next, Finish, Cancel: E enabled, d disabled, - hidden
    };
    EXPECT_EQ(window.tabBar(), nullptr);
    EXPECT_EQ(window.windowTitle().toStdString(), "Wizard:- First") << "a wizard shows its page's caption";
    EXPECT_EQ(buttons(), "dd-E");
    QTest::mouseClick(window.sheetButton(PSBTN_NEXT), Qt::LeftButton);
    EXPECT_EQ(wizard.GetActiveIndex(), 0) << "a disabled Next does nothing";

    QTest::mouseClick(window.activeView()->widgetOf(first.GetDlgItem(kReady)->GetSafeHwnd()), Qt::LeftButton);
    EXPECT_EQ(buttons(), "dE-E");
    QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return wizard.GetActiveIndex() == 1; })) << "Alt+N presses Next";
    EXPECT_EQ(window.windowTitle().toStdString(), "Sheet caption") << "a page without a caption shows the sheet's";
    EXPECT_EQ(buttons(), "E-EE");

    QTest::keyClicks(window.activeView()->widgetOf(second.GetDlgItem(kValue)->GetSafeHwnd()), "42");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(window.ended()) << "Enter presses Finish, the default button";
    EXPECT_EQ(second.m_strValue, "42");
}

void whenShown(std::function<void(gui::ModelWindow&)> act)
{
    guitest::whenShown<gui::ModelWindow>(std::move(act));
}

TEST(ModalWindow, RunsUntilTheUserEndsIt)
{
    registerTemplates();
    gui::QtDialogService service;
    platform::DialogService* previous = platform::installDialogService(&service);
    testkit::ScriptedUserInterface messages;
    struct Case
    {
        const char* name;
        std::function<void(gui::ModelWindow&)> act;
        INT_PTR result;
    } sheets[] = {
        {"OK", [](gui::ModelWindow& w) { w.sheetButton(PSBTN_OK)->click(); }, IDOK},
        {"Cancel", [](gui::ModelWindow& w) { w.sheetButton(PSBTN_CANCEL)->click(); }, IDCANCEL},
        {"Escape", [](gui::ModelWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }, IDCANCEL},
        {"close box", [](gui::ModelWindow& w) { w.close(); }, IDCANCEL},
    };
    for (const Case& c : sheets)
    {
        SCOPED_TRACE(c.name);
        CPropertyPage page("QT_TEST_OTHER");
        CPropertySheet sheet("Modal");
        sheet.AddPage(&page);
        whenShown(c.act);
        EXPECT_EQ(sheet.DoModal(), c.result);
    }

    MenuDialog dialog;
    whenShown([](gui::ModelWindow& w) {
        ASSERT_NE(w.focusWidget(), nullptr) << "the first control has the focus";
        QTest::keyClicks(w.focusWidget(), "typed");
        QTest::keyClick(w.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK) << "Enter presses the dialog's OK button";
    EXPECT_EQ(dialog.m_strText, "typed");

    whenShown([](gui::ModelWindow& w) { w.close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.closes, 1) << "the close box reaches the window first";
    platform::installDialogService(previous);
}

TEST(ModalWindow, MenuCommandsReachTheWindowAndTheMenuCanGo)
{
    registerTemplates();
    MenuDialog dialog;
    ASSERT_TRUE(dialog.Create());
    gui::ModelWindow window(dialog);
    QMenuBar* bar = window.shownMenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text().toStdString(), "&File");
    const QList<QAction*> items = bar->actions()[0]->menu()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text().toStdString(), "&New\tCtrl+N") << "the shortcut text is shown, not bound";
    EXPECT_TRUE(items[0]->shortcut().isEmpty());
    EXPECT_EQ(items[0]->statusTip().toStdString(), "Create a new one");
    EXPECT_TRUE(items[1]->isSeparator());

    items[0]->trigger();
    EXPECT_EQ(dialog.news, 1);
    items[2]->trigger();
    EXPECT_EQ(window.shownMenuBar(), nullptr) << "a command that takes the menu off hides the bar";
    dialog.DestroyWindow();
    window.sync();
    EXPECT_TRUE(window.ended()) << "a window whose model window went has ended";
}
} // namespace
