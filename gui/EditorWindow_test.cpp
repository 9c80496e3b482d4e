// The method editor driven through real Qt widgets: keys, focus changes and mouse clicks reach the
// pages, and what the pages do (a range message, a page leaving the tabs) shows on screen.
#include "gui/GuiTestSupport.h"
#include "gui/ModelWindow.h"
#include "gui/QtUserInterface.h"
#include "kelvane/KelvaneHost.h"
#include "method/TessalyOptionsSheet.h"
#include "testing/TempDir.h"
#include "ui/OptionsPages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace
{
using namespace ui::optimisation;

using guitest::answerNextBox;

std::vector<std::string> tabsOf(const gui::ModelWindow& window)
{
    std::vector<std::string> tabs;
    for (int i = 0; i < window.tabBar()->count(); ++i)
        tabs.push_back(window.tabBar()->tabText(i).toStdString());
    return tabs;
}

TEST(EditorWindow, RealWidgetsDriveThePagesAndShowWhatTheyDo)
{
    testkit::TempDir dir;
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    gui::QtUserInterface boxes;
    platform::ScopedUserInterface shownInBoxes(boxes);
    CTessalyOptionsSheet sheet(CString(), 1, nullptr);
    ASSERT_TRUE(sheet.Create());
    {
        gui::ModelWindow window(sheet);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const CWnd* page = sheet.GetActivePage();
        ASSERT_NE(page, nullptr);
        const auto widget = [&](int id) { return window.activeView()->widgetOf(page->GetDlgItem(id)->GetSafeHwnd()); };
        auto* maximum = qobject_cast<QLineEdit*>(widget(kConeVoltageMax));
        ASSERT_NE(maximum, nullptr);

        // A cone voltage above 200: leaving the box shows the framework's range message in a Qt
        // box and puts the focus back.
        QTest::mouseClick(maximum, Qt::LeftButton);
        QTest::keyClick(maximum, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(maximum, "250");
        std::string message;
        answerNextBox(message, QMessageBox::Ok);
        QTest::keyClick(maximum, Qt::Key_Tab);
        EXPECT_EQ(message, "Please enter an integer between 0 and 200.");
        EXPECT_EQ(CWnd::GetFocus(), page->GetDlgItem(kConeVoltageMax));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << "the editor is active again once the box has gone";
        EXPECT_EQ(QApplication::focusWidget(), maximum);
        EXPECT_EQ(window.windowTitle().toStdString(), "Tessaly Method Editor") << "nothing was taken yet";

        QTest::keyClick(maximum, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(maximum, "40x"); // the box takes digits only
        EXPECT_EQ(maximum->text().toStdString(), "40");
        QTest::keyClick(maximum, Qt::Key_Tab);
        EXPECT_EQ(CWnd::GetFocus(), page->GetDlgItem(kConeVoltageStep));
        EXPECT_EQ(window.windowTitle().toStdString(), "Tessaly Method Editor Untitled*") << "the first change";

        // Unticking MSMS (choosing MS) takes the Losses tab away; MSMS brings it back last.
        const std::vector<std::string> all = {"Optimisation", "Acquisition", "Tune Files",
                                              "Adducts",      "Losses",      "Inlet Methods"};
        EXPECT_EQ(tabsOf(window), all);
        QTest::mouseClick(widget(kMS), Qt::LeftButton);
        EXPECT_EQ(tabsOf(window),
                  std::vector<std::string>({"Optimisation", "Acquisition", "Tune Files", "Adducts", "Inlet Methods"}));
        EXPECT_FALSE(widget(kCollisionEnergyMax)->isEnabled()) << "the MSMS-only boxes are disabled";
        QTest::mouseClick(widget(kMSMS), Qt::LeftButton);
        EXPECT_EQ(tabsOf(window).back(), "Losses");
        EXPECT_TRUE(widget(kCollisionEnergyMax)->isEnabled());
    }
    // Closing a changed method asks to save it, in a Qt box; No leaves the file unwritten.
    std::string question;
    answerNextBox(question, QMessageBox::No);
    sheet.DestroyWindow();
    EXPECT_EQ(question, "The current file has been modified\nDo you wish to save the changes?");
    kelvane::uninstall();
}
} // namespace
