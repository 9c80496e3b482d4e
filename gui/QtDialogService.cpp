#include "gui/QtDialogService.h"

#include "gui/ModelWindow.h"
#include "platform/FileDialog.h"
#include "platform/WinPath.h"

#include <QFileDialog>
#include <QFileInfo>
#include <cctype>

namespace gui
{
namespace
{
// The directory and file name a dialog starts with, from the host path it is given. A name with
// wildcards ("*.spl") only chooses the directory, as the platform's dialog lists such names.
void startAt(QFileDialog& dialog, const std::string& hostPath)
{
    if (hostPath.empty())
        return;
    const QFileInfo start(QString::fromStdString(platform::toPosixPath(hostPath)));
    if (start.isDir())
    {
        dialog.setDirectory(start.absoluteFilePath());
        return;
    }
    if (start.absoluteDir().exists())
        dialog.setDirectory(start.absolutePath());
    const QString name = start.fileName();
    if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
        dialog.selectFile(name);
}
} // namespace

QString nameFilterOf(const std::string& description, const std::string& pattern)
{
    QString patterns;
    for (const char c : pattern)
    {
        if (c == ';')
            patterns += QLatin1Char(' ');
        else if (std::isalpha(static_cast<unsigned char>(c)))
            patterns += QStringLiteral("[%1%2]")
                            .arg(QChar::fromLatin1(static_cast<char>(std::tolower(static_cast<unsigned char>(c)))))
                            .arg(QChar::fromLatin1(static_cast<char>(std::toupper(static_cast<unsigned char>(c)))));
        else
            patterns += QLatin1Char(c);
    }
    return QString::fromStdString(description) + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
}

void QtDialogService::runModal(CWnd& dialog)
{
    const CWnd* parent = dialog.GetParent();
    ModelWindow window(dialog, ownerWidgetOf(parent ? parent->GetSafeHwnd() : nullptr));
    window.runUntilEnded();
}

bool QtDialogService::chooseFile(const platform::FileDialogRequest& request, std::string& path)
{
    QFileDialog dialog(ownerWidgetOf(request.owner));
    // Qt's own dialog in every session, so it behaves the same on every desktop (and offscreen).
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Any name is handed back: the dialog layer refuses a missing file with the platform's message.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowTitle(request.title.empty() ? (request.open ? QStringLiteral("Open") : QStringLiteral("Save As"))
                                                : QString::fromStdString(request.title));
    QStringList filters;
    for (const auto& [description, pattern] : request.filters)
        filters << nameFilterOf(description, pattern);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    startAt(dialog, request.initialFile);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (QWidget* owner = dialog.parentWidget())
        owner->window()->activateWindow();
    if (!chosen)
        return false;
    path = platform::toHostPath(dialog.selectedFiles().front().toStdString());
    return !path.empty();
}

} // namespace gui
