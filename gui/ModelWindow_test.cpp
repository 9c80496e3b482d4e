// gui::ModelWindow driven through real Qt widgets on the method editor and the run wizard: labels,
// mnemonics and the tab order, the focus a box keeps when its value fails, tabs that follow the
// pages, widgets that show the model, menu commands, and the modal run of a plain dialog.
#include "gui/GuiTestSupport.h"
#include "gui/ModelWindow.h"
#include "gui/QtDialogService.h"
#include "gui/QtUserInterface.h"
#include "kelvane/KelvaneHost.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/Menu.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"
#include "ui/OptionsPages.h"
#include "ui/RunOptsPages.h"
#include "ui/TessalyWizard.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace
{
using namespace ui::optimisation;

constexpr const char* kRangeMessage = "Please enter an integer between 0 and 200.";

bool activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The widget of control id of page, the window's active page; null when there is none.
QWidget* widgetFor(const gui::ModelWindow& window, const CWnd& page, int id)
{
    const CWnd* control = page.GetDlgItem(id);
    const gui::PageView* view = window.activeView();
    return control && view ? view->widgetOf(control->GetSafeHwnd()) : nullptr;
}

std::vector<std::string> tabsOf(const gui::ModelWindow& window)
{
    std::vector<std::string> tabs;
    for (int i = 0; i < window.tabBar()->count(); ++i)
        tabs.push_back(window.tabBar()->tabText(i).toStdString());
    return tabs;
}

// The method editor on a new method, shown in an active Qt window on the Kelvane host. Message
// boxes are recorded, and the save prompt of a changed method is answered No.
class EditorWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        messages.answerOtherwise(IDNO);
        ASSERT_NE(kelvane::install(dir.path()), nullptr);
        sheet = std::make_unique<CTessalyOptionsSheet>(CString(), 1, nullptr);
        ASSERT_TRUE(sheet->Create());
        window = std::make_unique<gui::ModelWindow>(*sheet);
        ASSERT_TRUE(activate(*window));
    }
    void TearDown() override
    {
        window.reset();
        if (sheet)
            sheet->DestroyWindow();
        sheet.reset();
        kelvane::uninstall();
    }
    CWnd& page() const
    {
        return *sheet->GetActivePage();
    }
    template <class Widget = QWidget> Widget* widget(int id) const
    {
        return dynamic_cast<Widget*>(widgetFor(*window, page(), id));
    }
    // The control the model has the focus in; -1 for the sheet itself (its buttons and tabs).
    int modelFocus() const
    {
        const CWnd* focus = CWnd::GetFocus();
        return !focus ? 0 : focus == sheet.get() ? -1 : focus->GetDlgCtrlID();
    }
    // Replaces the text of box id as a person does: click, select all, type.
    void retype(int id, const char* text)
    {
        QLineEdit* edit = widget<QLineEdit>(id);
        ASSERT_NE(edit, nullptr);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    }
    void clickTab(int index)
    {
        QTest::mouseClick(window->tabBar(), Qt::LeftButton, {}, window->tabBar()->tabRect(index).center());
    }

    testkit::ScriptedUserInterface messages;
    testkit::TempDir dir;
    std::unique_ptr<CTessalyOptionsSheet> sheet;
    std::unique_ptr<gui::ModelWindow> window;
};

TEST_F(EditorWindow, TabAndMnemonicsMoveTheFocusAsTheTemplateSays)
{
    EXPECT_EQ(modelFocus(), kConeVoltageMin) << "a window that opens gives the focus to its first control";
    EXPECT_EQ(QApplication::focusWidget(), widget(kConeVoltageMin));
    // The page's controls in template order, then the sheet's OK, Cancel and tab bar, and round.
    // clang-format off
    const int order[] = {kConeVoltageMax, kConeVoltageStep, kIonSource, kPositive, kNegative, kBoth,
                         kCollisionEnergyMin, kCollisionEnergyMax, kCollisionEnergyStep, kMS, kMSMS, kPerGroup,
                         kBeforeAnalyses, kParentName, kParentBrowse, kDaughterName, kDaughterBrowse, kFragmentMin,
                         -1, -1, -1, kConeVoltageMin};
    // clang-format on
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
    EXPECT_TRUE(widget<QLineEdit>(kParentName)->isReadOnly());

    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(modelFocus(), kConeVoltageMax) << "the mnemonic of \"m&ax\" names the box after it";
    QTest::keyClick(window.get(), Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page().IsDlgButtonChecked(kBoth) == BST_CHECKED; }))
        << "a radio button's mnemonic clicks it";
    EXPECT_EQ(window->windowTitle().toStdString(), "Tessaly Method Editor Untitled*") << "the click was taken";
}

TEST_F(EditorWindow, ABoxThatFailsItsCheckKeepsTheFocusAgainstEveryWayOut)
{
    retype(kConeVoltageMax, "2x50");
    EXPECT_EQ(widget<QLineEdit>(kConeVoltageMax)->text().toStdString(), "250") << "a ramp box takes digits only";
    {
        // The first refusal in a Qt box: once it has gone the editor is active again, focus in the box.
        gui::QtUserInterface boxes;
        platform::ScopedUserInterface shownInBoxes(boxes);
        std::string message;
        guitest::answerNextBox(message, QMessageBox::Ok);
        QTest::keyClick(widget(kConeVoltageMax), Qt::Key_Tab);
        EXPECT_EQ(message, kRangeMessage);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        EXPECT_EQ(QApplication::focusWidget(), widget(kConeVoltageMax));
    }
    // Each other way out is refused once, with one message, and leaves the focus in the box.
    const struct
    {
        const char* name;
        std::function<void()> leave;
    } ways[] = {
        {"Tab", [&] { QTest::keyClick(widget(kConeVoltageMax), Qt::Key_Tab); }},
        {"a click on a radio button", [&] { QTest::mouseClick(widget(kMS), Qt::LeftButton); }},
        {"a click on an edit", [&] { QTest::mouseClick(widget(kFragmentMin), Qt::LeftButton); }},
        {"a click on another tab", [&] { clickTab(1); }},
        {"OK", [&] { QTest::mouseClick(window->sheetButton(PSBTN_OK), Qt::LeftButton); }},
    };
    size_t shown = 0;
    for (const auto& way : ways)
    {
        SCOPED_TRACE(way.name);
        way.leave();
        ASSERT_EQ(messages.messages().size(), ++shown);
        EXPECT_EQ(messages.messages().back().text, kRangeMessage);
        EXPECT_EQ(QApplication::focusWidget(), widget(kConeVoltageMax));
        EXPECT_EQ(std::tuple(modelFocus(), sheet->GetActiveIndex(), window->tabBar()->currentIndex(), window->ended()),
                  std::tuple(int(kConeVoltageMax), 0, 0, false));
    }
    EXPECT_EQ(tabsOf(*window).size(), 6u) << "the refused click did not choose MS";

    retype(kConeVoltageMax, "40");
    QTest::mouseClick(widget(kFragmentMin), Qt::LeftButton);
    EXPECT_EQ(sheet->m_pOptimisationPage->m_dConeVoltageMax, 40);
    clickTab(1);
    EXPECT_EQ(sheet->GetActiveIndex(), 1);
    EXPECT_EQ(window->activeView()->dialogHandle(), sheet->GetPage(1)->GetSafeHwnd());
    EXPECT_EQ(messages.messages().size(), shown);
}

TEST_F(EditorWindow, TabsFollowThePagesTheModelAddsAndRemoves)
{
    // Each radio button shows checked alone, and the MSMS-only boxes follow.
    QTest::mouseClick(widget(kMS), Qt::LeftButton);
    EXPECT_FALSE(widget<QRadioButton>(kMSMS)->isChecked() || widget(kCollisionEnergyMax)->isEnabled());
    EXPECT_EQ(tabsOf(*window),
              std::vector<std::string>({"Optimisation", "Acquisition", "Tune Files", "Adducts", "Inlet Methods"}));
    QTest::mouseClick(widget(kMSMS), Qt::LeftButton);
    EXPECT_FALSE(widget<QRadioButton>(kMS)->isChecked() || !widget(kCollisionEnergyMax)->isEnabled());
    ASSERT_EQ(tabsOf(*window).size(), 6u);
    EXPECT_EQ(tabsOf(*window).back(), "Losses") << "the tab comes back last";
    clickTab(5);
    ASSERT_EQ(sheet->GetActiveIndex(), 5);
    ASSERT_NE(sheet->GetPage(5)->GetSafeHwnd(), nullptr) << "the page gets a new window when it is shown again";
    EXPECT_EQ(window->activeView()->dialogHandle(), sheet->GetPage(5)->GetSafeHwnd());

    QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet->GetActiveIndex(), 0) << "Ctrl+Tab wraps round to the first tab";
    QTest::keyClick(window.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet->GetActiveIndex(), 5) << "Ctrl+Shift+Tab goes back round to the last";
}

TEST_F(EditorWindow, WidgetsShowWhatTheModelHolds)
{
    CMenu* menu = sheet->GetMenu();
    // Each step changes the model behind the widgets' back; a sync shows it.
    const struct
    {
        const char* name;
        std::function<void()> change;
        std::function<bool()> shown;
    } steps[] = {
        {"selection", [&] { page().GetDlgItem(kIonSource)->SetCurSel(1); },
         [&] { return widget<QComboBox>(kIonSource)->currentIndex() == 1; }},
        {"no selection", [&] { page().GetDlgItem(kIonSource)->SetCurSel(-1); },
         [&] { return widget<QComboBox>(kIonSource)->currentIndex() == -1; }},
        {"a box disabled with all it holds",
         [&] {
             for (CWnd* control : page().controls())
                 if (control->GetDlgCtrlID() == kConeVoltageGroup ||
                     control->controlTemplate()->groupBox == kConeVoltageGroup)
                     control->EnableWindow(FALSE);
         },
         [&] { return !widget(kConeVoltageGroup)->isEnabled() && !widget(kConeVoltageMin)->isEnabled(); }},
        {"a disabled box stays readable while a control in it is enabled",
         [&] { page().GetDlgItem(kConeVoltageMax)->EnableWindow(TRUE); },
         [&] {
             return widget(kConeVoltageGroup)->isEnabled() && widget(kConeVoltageMax)->isEnabled() &&
                    !widget(kConeVoltageMin)->isEnabled();
         }},
        {"button label", [&] { page().SetDlgItemText(kParentBrowse, "&Done"); },
         [&] { return widget<QPushButton>(kParentBrowse)->text() == "&Done"; }},
        {"window title", [&] { sheet->SetTitle("Renamed [*] sheet*"); },
         [&] { return window->windowTitle() == "Renamed [*][*] sheet*"; }},
        {"menu taken off, with the status bar that shows its commands' tips",
         [&] { sheet->SetMenu(nullptr); },
         [&] {
             const QStatusBar* status = window->findChild<QStatusBar*>();
             return window->shownMenuBar() == nullptr && status && status->isHidden();
         }},
        {"menu put back", [&] { sheet->SetMenu(menu); }, [&] { return window->shownMenuBar() != nullptr; }},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.name);
        step.change();
        window->sync();
        EXPECT_TRUE(step.shown());
    }
}

TEST_F(EditorWindow, ChoicesAndTypingReachTheModelWhichHasTheLastWord)
{
    QComboBox* list = widget<QComboBox>(kIonSource);
    const int before = page().GetDlgItem(kIonSource)->GetCurSel();
    ASSERT_GE(before, 0);
    list->setFocus();
    QTest::keyClick(list, before == 0 ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_EQ(page().GetDlgItem(kIonSource)->GetCurSel(), 1 - before);
    CString chosen;
    page().GetDlgItem(kIonSource)->GetLBText(1 - before, chosen);
    EXPECT_STREQ(IONMODE2String(sheet->m_pOptimisationPage->m_eIonMode), chosen.GetString()) << "the page took it";

    page().GetDlgItem(kFragmentMin)->EnableWindow(FALSE);
    window->sync();
    auto* fragment = widget<QLineEdit>(kFragmentMin);
    const QString shown = fragment->text();
    fragment->setEnabled(true); // a widget out of step with its control
    fragment->setFocus();
    QTest::keyClicks(fragment, "9");
    CString text;
    page().GetDlgItemText(kFragmentMin, text);
    EXPECT_EQ(QString(text.GetString()), shown) << "a disabled control takes no typing";
    EXPECT_EQ(fragment->text(), shown) << "and the widget shows the control again";
}

TEST_F(EditorWindow, MenuCommandsReachTheSheet)
{
    const QMenuBar* bar = window->shownMenuBar();
    ASSERT_NE(bar, nullptr);
    const QList<QAction*> file = bar->actions().at(0)->menu()->actions();
    ASSERT_FALSE(file.isEmpty() || window->ended());
    file.back()->trigger(); // Exit
    EXPECT_TRUE(sheet->isEnded());
    EXPECT_TRUE(window->ended());
}

TEST(WizardWindow, ButtonsFollowTheWizardAndEnterFinishes)
{
    testkit::TempDir dir;
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    CTessalyWizard wizard(nullptr);
    ASSERT_TRUE(wizard.Create());
    {
        gui::ModelWindow window(wizard);
        ASSERT_TRUE(activate(window));
        // Back, Next, Finish, Cancel: E enabled, d disabled, - hidden.
        const auto buttons = [&] {
            std::string state;
            for (const int b : {PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_CANCEL})
            {
                const QPushButton* button = window.sheetButton(b);
                state += !button->isVisible() ? '-' : button->isEnabled() ? 'E' : 'd';
            }
            return state;
        };
        EXPECT_EQ(buttons(), "d-dE") << "nothing chosen: Finish shown, disabled";
        QTest::mouseClick(widgetFor(window, *wizard.m_pPage1, ui::page1::kAnalysisAndQuantitation), Qt::LeftButton);
        EXPECT_EQ(buttons(), "dE-E");
        QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return wizard.GetActiveIndex() == 1; })) << "Alt+N presses Next";
        EXPECT_EQ(buttons(), "E-EE");

        QTest::mouseClick(widgetFor(window, *wizard.m_pPage2, ui::page2::kPreRun), Qt::LeftButton);
        QWidget* process = widgetFor(window, *wizard.m_pPage2, ui::page2::kPreRunProcess);
        QTest::mouseClick(process, Qt::LeftButton);
        QTest::keyClicks(process, "warm-up");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(window.ended()) << "Enter presses Finish, the default button";
    }
    wizard.ReceiveDataFromPages();
    EXPECT_STREQ(wizard.m_strPreRunProcess, "warm-up");
    wizard.DestroyWindow();
    kelvane::uninstall();
}

TEST(ModalWindow, APlainDialogEndsWithEnterOnOKOrTheCloseBox)
{
    using platform::ControlKind;
    platform::DialogTemplate layout{"QT_TEST_DIALOG", 0, "A Dialog", {}};
    // Cancel before OK, so that Qt's own choice of a default button is not OK.
    layout.controls = {{501, ControlKind::kEdit, "&Text"},
                       {IDCANCEL, ControlKind::kPushButton, "Cancel"},
                       {IDOK, ControlKind::kPushButton, "OK"}};
    static const bool registered = platform::registerDialogTemplate(layout);
    ASSERT_TRUE(registered);
    gui::QtDialogService service;
    platform::DialogService* previous = platform::installDialogService(&service);
    CDialog dialog("QT_TEST_DIALOG");
    guitest::whenShown<gui::ModelWindow>([](gui::ModelWindow& w) {
        ASSERT_NE(w.focusWidget(), nullptr) << "the first control has the focus";
        QTest::keyClicks(w.focusWidget(), "typed");
        QTest::keyClick(w.focusWidget(), Qt::Key_Return);
        if (!w.ended())
            w.close(); // so that a failure ends the run
    });
    EXPECT_EQ(dialog.DoModal(), IDOK) << "Enter presses the dialog's OK button";
    guitest::whenShown<gui::ModelWindow>([](gui::ModelWindow& w) {
        w.close();
        if (!w.ended())
            QTest::keyClick(w.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    platform::installDialogService(previous);

    ASSERT_TRUE(dialog.Create());
    gui::ModelWindow window(dialog);
    dialog.DestroyWindow();
    window.sync();
    EXPECT_TRUE(window.ended()) << "a window whose model window went has ended";
}
} // namespace
