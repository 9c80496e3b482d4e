// The one way the engine's analysis code tells a person about a problem during a run: a message
// box that stays unseen when the run is unattended, so a run nobody watches never stops on it.
#pragma once

#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Export.h"
#include "platform/UserInterface.h"
#include "platform/WinTypes.h"

/// Shows text with caption in a message box of the given type (MessageBoxA) owned by owner and
/// returns the button pressed. When options.m_bRunUnattended is set, shows nothing and returns
/// IDOK (1) whatever the type asks, even for a question.
BRENMO_API int TessalyMessageBox(const CBrenmoOptions& options, HWND owner, CString text, CString caption, UINT type);
