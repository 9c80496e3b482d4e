// The command-line driver's user-interface service: a message box becomes a line on the error
// stream, since nobody sits at a window to press a button.
#pragma once

#include "platform/UserInterface.h"

#include <ostream>

namespace tessaly
{
/// Prints each message box's caption and text on the error stream and acknowledges it (IDOK);
/// window texts are accepted and not shown.
class ConsoleUserInterface final : public platform::UserInterface
{
  public:
    /// Messages go to err, which must outlive the service.
    explicit ConsoleUserInterface(std::ostream& err);

    /// Writes "caption: text" (just the text when the caption is empty), ending in a line feed,
    /// and returns IDOK.
    int showMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
    /// Accepts the text; a command-line run has no windows to title.
    bool setWindowText(HWND window, const char* text) override;

  private:
    std::ostream& err_;
};
} // namespace tessaly
