// Message boxes as QMessageBoxes: the platform's button sets, icons, default button and results.
#pragma once

#include "platform/UserInterface.h"

namespace gui
{
/// Shows message boxes as QMessageBoxes, owned by the Qt window of the owner handle (or the active
/// window), and returns the button pressed as the platform does (IDOK, IDYES, ...). Window texts
/// of windows that are not the dialog layer's are accepted and not shown.
class QtUserInterface final : public platform::UserInterface
{
  public:
    int showMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
    bool setWindowText(HWND window, const char* text) override;
};
} // namespace gui
