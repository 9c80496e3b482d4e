// Renders every page of the method editor and the run wizard offscreen, saves each as
// <TEMPLATE>.png in the build's screenshots folder, and checks that each control of the page's
// template is on screen with its label.
#include "gui/ModelWindow.h"
#include "kelvane/KelvaneHost.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/DialogTemplate.h"
#include "platform/PropertySheet.h"
#include "testing/TempDir.h"
#include "ui/TessalyWizard.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <gtest/gtest.h>

namespace
{
using platform::ControlKind;

std::string plain(const QString& text)
{
    return platform::plainLabel(text.toStdString());
}

// The words a widget shows, "&" mnemonics taken out.
std::string shownBy(const QWidget& widget)
{
    if (const auto* box = qobject_cast<const QGroupBox*>(&widget))
        return plain(box->title());
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return plain(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->buddy() ? plain(label->text()) : label->text().toStdString();
    return "";
}

// Control index of the page is on screen in the right kind of widget, with its template label; a
// static the page has filled in since shows the page's text instead.
void expectShown(const gui::ModelWindow& window, const gui::PageView& view, const CWnd& page, size_t index)
{
    const platform::DialogControl& entry = view.entryAt(index);
    const QWidget* widget = view.widgetAt(index);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->isVisibleTo(&window));
    std::string label = platform::plainLabel(entry.label);
    switch (gui::roleOf(entry))
    {
    case gui::Role::kIcon: {
        const auto* icon = qobject_cast<const QLabel*>(widget);
        ASSERT_NE(icon, nullptr);
        EXPECT_FALSE(icon->pixmap().isNull()) << "an icon resource shows an image";
        EXPECT_EQ(icon->accessibleName().toStdString(), entry.label);
        return;
    }
    case gui::Role::kField: {
        const bool list = entry.kind == ControlKind::kDropDownList;
        EXPECT_STREQ(widget->metaObject()->className(), list ? "QComboBox" : "QLineEdit");
        const QLabel* own = view.ownLabelAt(index);
        EXPECT_EQ(own != nullptr, !entry.label.empty());
        if (own)
        {
            EXPECT_EQ(plain(own->text()), label);
            EXPECT_EQ(own->buddy(), widget);
        }
        return;
    }
    case gui::Role::kLabel: {
        CString text;
        page.controls().at(index)->GetWindowText(text);
        if (text != entry.label.c_str())
            label = platform::plainLabel(text.GetString());
        break;
    }
    default:
        break;
    }
    EXPECT_EQ(shownBy(*widget), label);
}

// Activates each page in turn, checks its controls and saves the window as <TEMPLATE>.png.
// Returns the templates in page order.
std::vector<std::string> renderPages(CPropertySheet& sheet, gui::ModelWindow& window)
{
    std::vector<std::string> names;
    QDir().mkpath(QStringLiteral(BRENMO_SCREENSHOTS));
    for (int i = 0; i < sheet.GetPageCount(); ++i)
    {
        EXPECT_TRUE(sheet.SetActivePage(i));
        window.sync();
        const CPropertyPage* page = sheet.GetPage(i);
        const platform::DialogTemplate* layout = platform::findDialogTemplate(page->dialogTemplate()->name);
        const gui::PageView* view = window.activeView();
        if (!layout || !view || view->dialogHandle() != page->GetSafeHwnd())
        {
            ADD_FAILURE() << "page " << i << " is not shown";
            continue;
        }
        names.push_back(layout->name);
        SCOPED_TRACE(layout->name);
        EXPECT_EQ(view->controlCount(), layout->controls.size());
        for (size_t c = 0; c < layout->controls.size() && c < view->controlCount(); ++c)
        {
            SCOPED_TRACE("control " + std::to_string(layout->controls[c].id) + " " + layout->controls[c].label);
            expectShown(window, *view, *page, c);
        }
        const QString file = QStringLiteral(BRENMO_SCREENSHOTS "/%1.png").arg(QString::fromStdString(layout->name));
        EXPECT_TRUE(window.grab().save(file)) << file.toStdString();
    }
    return names;
}

class Screenshots : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir.path()), nullptr);
    }
    void TearDown() override
    {
        kelvane::uninstall();
    }
    testkit::TempDir dir;
};

TEST_F(Screenshots, MethodEditorPagesAndMenu)
{
    CTessalyOptionsSheet sheet(CString(), 2, nullptr);
    ASSERT_TRUE(sheet.Create());
    {
        gui::ModelWindow window(sheet);
        window.show();
        const std::vector<std::string> expected = {"TY_OPTIMISATION", "TY_ACQUIRE", "TY_TUNE", "TY_ADDUCTS",
                                                   "TY_LOSS",         "TY_INLETS",  "TY_MUX"};
        EXPECT_EQ(renderPages(sheet, window), expected) << "two simultaneous samples give the MUX page, last";
        EXPECT_EQ(window.tabBar()->tabText(6).toStdString(), "MUX");

        // The File menu as "text|status tip" per item, "-" for a separator; shortcuts are shown, not bound.
        const QMenuBar* bar = window.shownMenuBar();
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->actions().size(), 1);
        QMenu* file = bar->actions()[0]->menu();
        ASSERT_NE(file, nullptr);
        std::string items = bar->actions()[0]->text().toStdString();
        for (const QAction* action : file->actions())
        {
            items +=
                "\n" + (action->isSeparator() ? std::string("-")
                                              : action->text().toStdString() + "|" + action->statusTip().toStdString());
            EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
        }
        EXPECT_EQ(items, "&File\n&New\tCtrl+N|Create a new Tessaly method\n&Open...\tCtrl+O|Open an existing Tessaly "
                         "method\n&Save\tCtrl+S|Save the active Tessaly method\nSave &As...\tCtrl+A|Save the active "
                         "Tessaly method with a new name\n-\nE&xit\tCtrl+X|Exit Tessaly Method Editor");
        file->popup(window.mapToGlobal(QPoint(0, 0)));
        EXPECT_TRUE(file->grab().save(QStringLiteral(BRENMO_SCREENSHOTS "/MENU139.png")));
        file->hide();
    }
    sheet.DestroyWindow();
}

TEST_F(Screenshots, RunWizardPages)
{
    CTessalyWizard wizard(nullptr);
    wizard.m_bAnalysisAndQuantitation = 1;
    wizard.m_bCompoundOptimisation = 1;
    wizard.m_bAutoQuantifySamples = 1;
    ASSERT_TRUE(wizard.Create());
    {
        gui::ModelWindow window(wizard);
        window.show();
        EXPECT_EQ(window.tabBar(), nullptr);
        EXPECT_EQ(renderPages(wizard, window), (std::vector<std::string>{"WIZARDPAGE1", "WIZARDPAGE2", "WIZARDPAGE3"}));
        EXPECT_EQ(window.windowTitle().toStdString(), "Tessaly Wizard:- Quantify Options");
    }
    wizard.DestroyWindow();
}
} // namespace
