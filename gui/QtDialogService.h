// The dialog layer's service in Qt: modal dialogs and sheets become Qt windows that the user works
// in, file dialogs become QFileDialogs.
#pragma once

#include "platform/Dialog.h"

#include <QString>
#include <string>

namespace gui
{
/// Shows each modal dialog or sheet as a Qt window until it ends, and each file dialog as a
/// QFileDialog. Needs a QApplication.
class QtDialogService final : public platform::DialogService
{
  public:
    /// Shows dialog (its window created) and runs a Qt event loop until it ends. What an action of
    /// the dialog threw is thrown on, for the dialog layer to turn into the failure result.
    void runModal(CWnd& dialog) override;
    /// Asks for a file with a QFileDialog; host paths are shown as POSIX paths and the chosen one
    /// is returned as a host path. The dialog layer asks whether a file may be replaced and
    /// refuses a missing one itself, so the Qt dialog asks neither.
    bool chooseFile(const platform::FileDialogRequest& request, std::string& path) override;
};

/// The Qt name filter of one filter entry: the description as shown, then the patterns (";"
/// separated in the platform's notation) made to match without regard to case, as the host finds
/// files. "Tessaly Methods (*.tym)", "*.tym" gives "Tessaly Methods (*.tym) (*.[tT][yY][mM])".
QString nameFilterOf(const std::string& description, const std::string& pattern);
} // namespace gui
