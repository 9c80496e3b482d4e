#include "gui/GuiTestSupport.h"
#include "gui/QtDialogService.h"
#include "gui/QtUserInterface.h"
#include "platform/FileDialog.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
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
    using Act = std::function<void(QMessageBox&)>;
    const auto press = [](QMessageBox::StandardButton button) -> Act {
        return [button](QMessageBox& box) { box.button(button)->click(); };
    };
    const auto key = [](Qt::Key key) -> Act { return [key](QMessageBox& box) { QTest::keyClick(&box, key); }; };
    // The platform lets Escape answer only a box with Cancel or a single OK.
    const auto escapeThen = [](Act then) -> Act {
        return [then](QMessageBox& box) {
            QTest::keyClick(&box, Qt::Key_Escape);
            EXPECT_TRUE(box.isVisible()) << "Escape did nothing";
            then(box);
        };
    };
    struct Case
    {
        const char* name;
        const char* caption;
        UINT type;
        QMessageBox::Icon icon;
        Act act;
        int result;
    } cases[] = {
        {"No pressed", "Tessaly Method Editor", MB_YESNO | MB_ICONQUESTION, QMessageBox::Question,
         press(QMessageBox::No), IDNO},
        {"Escape in a Yes/No box", "T", MB_YESNO, QMessageBox::NoIcon, escapeThen(press(QMessageBox::Yes)), IDYES},
        {"Escape cancels where there is Cancel", nullptr, MB_YESNOCANCEL, QMessageBox::NoIcon, key(Qt::Key_Escape),
         IDCANCEL},
        {"Enter presses the default button", "T", MB_OKCANCEL | 0x100, QMessageBox::NoIcon, key(Qt::Key_Return),
         IDCANCEL},
        {"Escape in an OK box is OK", "T", MB_OK | MB_ICONHAND, QMessageBox::Critical, key(Qt::Key_Escape), IDOK},
        {"Abort, Retry, Ignore", "T", MB_ABORTRETRYIGNORE | 0x200, QMessageBox::NoIcon, escapeThen(key(Qt::Key_Return)),
         IDIGNORE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        guitest::whenShown<QMessageBox>([&c](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle().toStdString(), c.caption ? c.caption : "Error");
            EXPECT_EQ(box.text().toStdString(), "Save?\nReally?");
            EXPECT_EQ(box.icon(), c.icon);
            c.act(box);
        });
        EXPECT_EQ(MessageBoxA(nullptr, "Save?\nReally?", c.caption, c.type), c.result);
    }
}

TEST(QtDialogService, FiltersMatchWithoutRegardToCase)
{
    struct Case
    {
        const char* description;
        const char* pattern;
        const char* filter;
    } cases[] = {
        {"Tessaly Methods (*.tym)", "*.tym", "Tessaly Methods (*.tym) (*.[tT][yY][mM])"},
        {"Kelvane 3.x (*.SPL)", "*.spl", "Kelvane 3.x (*.SPL) (*.[sS][pP][lL])"},
        {"Lists", "*.csv;*.txt", "Lists (*.[cC][sS][vV] *.[tT][xX][tT])"},
        {"All Files (*.*)", "*.*", "All Files (*.*) (*.*)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gui::nameFilterOf(c.description, c.pattern).toStdString(), c.filter) << c.pattern;
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
