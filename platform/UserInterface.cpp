// Dispatch of the platform's window functions to the installed user-interface service.
#include "platform/UserInterface.h"

#include "platform/Dialog.h"

namespace platform
{
namespace
{
// What a process without a window system gets: nobody is there to answer, so every box is
// acknowledged and every window text accepted, which lets a headless run go on.
class SilentUserInterface final : public UserInterface
{
  public:
    int showMessageBox(HWND, const char*, const char*, UINT) override
    {
        return IDOK;
    }
    bool setWindowText(HWND, const char*) override
    {
        return true;
    }
};

SilentUserInterface silentService;
UserInterface* installedService = nullptr;

UserInterface& currentService()
{
    return installedService ? *installedService : silentService;
}

const char* orEmpty(const char* text)
{
    return text ? text : "";
}
} // namespace

UserInterface::~UserInterface() = default;

UserInterface* installUserInterface(UserInterface* service)
{
    UserInterface* previous = installedService;
    installedService = service;
    return previous;
}
} // namespace platform

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    try
    {
        return platform::currentService().showMessageBox(hWnd, platform::orEmpty(lpText), platform::orEmpty(lpCaption),
                                                         uType);
    }
    catch (...)
    {
        return 0;
    }
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString)
{
    try
    {
        // A window of the dialog layer keeps its own text; the service hears of the others.
        if (CWnd* window = CWnd::FromHandle(hWnd))
        {
            window->SetWindowText(lpString);
            return TRUE;
        }
        return platform::currentService().setWindowText(hWnd, platform::orEmpty(lpString)) ? TRUE : FALSE;
    }
    catch (...)
    {
        return FALSE;
    }
}
