// The platform's window functions that the engine calls (MessageBoxA, SetWindowTextA), routed to
// one installed user-interface service, so the command-line driver, the GUI and the tests each
// decide how a message reaches a person.
#pragma once

#include "platform/Export.h"
#include "platform/WinTypes.h"

// Message box types and results, spelled as the Windows SDK spells them, and guarded, so a header
// that defines the same names the same way can be included alongside.
#ifndef MB_OK
#define MB_OK 0x00000000L
#endif
#ifndef MB_OKCANCEL
#define MB_OKCANCEL 0x00000001L
#endif
#ifndef MB_ABORTRETRYIGNORE
#define MB_ABORTRETRYIGNORE 0x00000002L
#endif
#ifndef MB_YESNOCANCEL
#define MB_YESNOCANCEL 0x00000003L
#endif
#ifndef MB_YESNO
#define MB_YESNO 0x00000004L
#endif
#ifndef MB_RETRYCANCEL
#define MB_RETRYCANCEL 0x00000005L
#endif
#ifndef MB_ICONHAND
#define MB_ICONHAND 0x00000010L
#endif
#ifndef MB_ICONSTOP
#define MB_ICONSTOP MB_ICONHAND
#endif
#ifndef MB_ICONERROR
#define MB_ICONERROR MB_ICONHAND
#endif
#ifndef MB_ICONQUESTION
#define MB_ICONQUESTION 0x00000020L
#endif
#ifndef MB_ICONEXCLAMATION
#define MB_ICONEXCLAMATION 0x00000030L
#endif
#ifndef MB_ICONWARNING
#define MB_ICONWARNING MB_ICONEXCLAMATION
#endif
#ifndef MB_ICONASTERISK
#define MB_ICONASTERISK 0x00000040L
#endif
#ifndef MB_ICONINFORMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#endif
#ifndef MB_TYPEMASK
#define MB_TYPEMASK 0x0000000FL
#endif
#ifndef MB_ICONMASK
#define MB_ICONMASK 0x000000F0L
#endif
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDABORT
#define IDABORT 3
#endif
#ifndef IDRETRY
#define IDRETRY 4
#endif
#ifndef IDIGNORE
#define IDIGNORE 5
#endif
#ifndef IDYES
#define IDYES 6
#endif
#ifndef IDNO
#define IDNO 7
#endif

/// Shows a message box through the installed user-interface service and returns the button
/// pressed (IDOK, IDCANCEL, IDYES, ...). Null texts count as empty. Returns 0 when the service
/// fails, as the platform does when it cannot show the box.
extern "C" PLATFORM_API int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

/// Sets the title (or text) of a window through the installed user-interface service; a null text
/// counts as empty. Non-zero on success, 0 when the service fails.
extern "C" PLATFORM_API BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString);

namespace platform
{
/// How the platform's window functions reach a person. Texts are never null; owner and window are
/// passed through as the engine gives them (often null). A service should not throw; the window
/// functions turn an exception into their failure result.
class PLATFORM_API UserInterface
{
  public:
    virtual ~UserInterface();
    /// Shows text with caption in a box of the given type; returns the button pressed.
    virtual int showMessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;
    /// Sets the text of window; true when it was set.
    virtual bool setWindowText(HWND window, const char* text) = 0;
};

/// Makes service the one the window functions reach and returns the one installed before (null
/// when none was). The caller keeps ownership. Null puts back the default service, which shows
/// nothing, answers IDOK to every message box and accepts every window text.
PLATFORM_API UserInterface* installUserInterface(UserInterface* service);

/// Installs a service for the lifetime of a scope and puts back the previous one at its end.
class ScopedUserInterface
{
  public:
    explicit ScopedUserInterface(UserInterface& service) : previous_(installUserInterface(&service))
    {
    }
    ~ScopedUserInterface()
    {
        installUserInterface(previous_);
    }
    ScopedUserInterface(const ScopedUserInterface&) = delete;
    ScopedUserInterface& operator=(const ScopedUserInterface&) = delete;

  private:
    UserInterface* previous_;
};
} // namespace platform
