#include "gui/GuiTestSupport.h"
#include "gui/QtDialogService.h"
#include "gui/QtUserInterface.h"
#include "platform/FileDialog.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTest>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace
{
using guitest::whenShown;

TEST(QtUserInterface, ShowsTheBoxAndReturnsTheButtonPressed)
{
    gui::QtUserInterface ui;
    platform::ScopedUserInterface installed(ui);
    struct Case
    {
        const char* name;
        UINT type;
        std::function<void(QMessageBox&)> act;
        int result;
    } cases[] = {
        {"No pressed", MB_YESNO | MB_ICONQUESTION,
         [](QMessageBox& box) {
             EXPECT_EQ(box.windowTitle().toStdString(), "Tessaly Method Editor");
             EXPECT_EQ(box.text().toStdString(), "Save?\nReally?");
             EXPECT_EQ(box.icon(), QMessageBox::Question);
             box.button(QMessageBox::No)->click();
         },
         IDNO},
        {"Escape in a Yes/No box does nothing", MB_YESNO,
         [](QMessageBox& box) {
             QTest::keyClick(&box, Qt::Key_Escape);
             EXPECT_TRUE(box.isVisible());
             box.button(QMessageBox::Yes)->click();
         },
         IDYES},
        {"Escape cancels where there is Cancel", MB_YESNOCANCEL,
         [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, IDCANCEL},
        {"Enter presses the default button", MB_OKCANCEL | 0x100,
         [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, IDCANCEL},
        {"Escape in an OK box is OK", MB_OK | MB_ICONHAND,
         [](QMessageBox& box) {
             EXPECT_EQ(box.icon(), QMessageBox::Critical);
             QTest::keyClick(&box, Qt::Key_Escape);
         },
         IDOK},
        {"Abort, Retry, Ignore", MB_ABORTRETRYIGNORE | 0x200,
         [](QMessageBox& box) {
             QTest::keyClick(&box, Qt::Key_Escape);
             EXPECT_TRUE(box.isVisible()) << "no Escape without Cancel";
             QTest::keyClick(&box, Qt::Key_Return);
         },
         IDIGNORE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        whenShown<QMessageBox>(c.act);
        EXPECT_EQ(MessageBoxA(nullptr, "Save?\nReally?", "Tessaly Method Editor", c.type), c.result);
    }
    whenShown<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle().toStdString(), "Error") << "a box without a caption";
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(MessageBoxA(nullptr, "x", nullptr, MB_OK), IDOK);
}

TEST(QtDialogService, FiltersMatchWithoutRegardToCase)
{
    struct Case
    {
        const char* description;
        const char* pattern;
        const char* filter;
        const char* matches;
        const char* fails;
    } cases[] = {
        {"Tessaly Methods (*.tym)", "*.tym", "Tessaly Methods (*.tym) (*.[tT][yY][mM])", "A.TYM", "a.tyl"},
        {"Kelvane 3.x (*.SPL)", "*.spl", "Kelvane 3.x (*.SPL) (*.[sS][pP][lL])", "list.spl", "list.sp"},
        {"Lists", "*.csv;*.txt", "Lists (*.[cC][sS][vV] *.[tT][xX][tT])", "b.Txt", "b.tsv"},
        {"All Files (*.*)", "*.*", "All Files (*.*) (*.*)", "x.y", "noextension"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pattern);
        const QString filter = gui::nameFilterOf(c.description, c.pattern);
        EXPECT_EQ(filter.toStdString(), c.filter);
        // The patterns as Qt's file dialog reads them: the last parenthesised part.
        const QString patterns = filter.mid(filter.lastIndexOf('(') + 1).chopped(1);
        const auto matched = [&](const char* name) {
            for (const QString& glob : patterns.split(' '))
                if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(glob)).match(name).hasMatch())
                    return true;
            return false;
        };
        EXPECT_TRUE(matched(c.matches));
        EXPECT_FALSE(matched(c.fails));
    }
}

TEST(QtDialogService, FileDialogsStartWhereAskedAndGiveHostPaths)
{
    testkit::TempDir dir;
    std::ofstream(dir.path() + "/existing.tym") << "x";
    gui::QtDialogService service;
    platform::FileDialogRequest request;
    request.open = false;
    request.title = "Tessaly Method Editor";
    request.filters = {{"Tessaly Methods (*.tym)", "*.tym"}};
    request.initialFile = platform::toHostPath(dir.path() + "/existing.tym");
    request.defaultExtension = "tym";
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Tessaly Method Editor");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite)) << "the dialog layer asks itself";
        EXPECT_EQ(dialog.nameFilters(), QStringList{"Tessaly Methods (*.tym) (*.[tT][yY][mM])"});
        EXPECT_EQ(dialog.directory().absolutePath().toStdString(), dir.path());
        EXPECT_EQ(dialog.defaultSuffix().toStdString(), "tym");
        dialog.selectFile("renamed");
        static_cast<QDialog&>(dialog).accept(); // the file dialog's own accept, as its Save button runs it
    });
    std::string chosen;
    ASSERT_TRUE(service.chooseFile(request, chosen));
    EXPECT_EQ(chosen, platform::toHostPath(dir.path() + "/renamed.tym"));

    request.open = true;
    request.title.clear();
    request.initialFile = platform::toHostPath(dir.path()) + "\\*.tym";
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Open") << "the platform's title when none is given";
        EXPECT_EQ(dialog.directory().absolutePath().toStdString(), dir.path()) << "a pattern chooses the folder";
        EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile) << "the dialog layer refuses a missing file itself";
        dialog.reject();
    });
    chosen = "unchanged";
    EXPECT_FALSE(service.chooseFile(request, chosen));
    EXPECT_EQ(chosen, "unchanged");
}
} // namespace
