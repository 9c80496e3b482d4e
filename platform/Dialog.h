// The platform framework's window and dialog classes, as the
// engine's pages are written on them, with a headless backend: every control's state lives in
// memory, a window-system backend or a test drives the controls through the same calls a person's
// actions would make, and the one installed DialogService decides what happens while a dialog is
// modal. Data exchange and validation are in DataExchange.h.
#pragma once

#include "platform/CString.h"
#include "platform/DialogTemplate.h"
#include "platform/Export.h"
#include "platform/UserInterface.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

// Messages, notifications and results, spelled and valued as the Windows SDK has them, and
// guarded, so a header that defines the same names the same way can be included alongside.
#ifndef WM_CREATE
#define WM_CREATE 0x0001
#endif
#ifndef WM_SETFOCUS
#define WM_SETFOCUS 0x0007
#endif
#ifndef WM_KILLFOCUS
#define WM_KILLFOCUS 0x0008
#endif
#ifndef WM_DESTROY
#define WM_DESTROY 0x0002
#endif
#ifndef WM_CLOSE
#define WM_CLOSE 0x0010
#endif
#ifndef WM_COMMAND
#define WM_COMMAND 0x0111
#endif
#ifndef WM_USER
#define WM_USER 0x0400
#endif
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
#ifndef EN_SETFOCUS
#define EN_SETFOCUS 0x0100
#endif
#ifndef EN_KILLFOCUS
#define EN_KILLFOCUS 0x0200
#endif
#ifndef CBN_SELENDOK
#define CBN_SELENDOK 9
#endif
#ifndef CB_ERR
#define CB_ERR (-1)
#endif
#ifndef BST_UNCHECKED
#define BST_UNCHECKED 0
#endif
#ifndef BST_CHECKED
#define BST_CHECKED 1
#endif
#ifndef LOWORD
#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xffff))
#endif
#ifndef HIWORD
#define HIWORD(l) ((WORD)((((UINT_PTR)(l)) >> 16) & 0xffff))
#endif
#ifndef MAKEWPARAM
#define MAKEWPARAM(low, high) ((WPARAM)(DWORD)(((WORD)(low)) | (((DWORD)(WORD)(high)) << 16)))
#endif
#ifndef PSWIZB_BACK
#define PSWIZB_BACK 0x00000001
#endif
#ifndef PSWIZB_NEXT
#define PSWIZB_NEXT 0x00000002
#endif
#ifndef PSWIZB_FINISH
#define PSWIZB_FINISH 0x00000004
#endif
#ifndef PSWIZB_DISABLEDFINISH
#define PSWIZB_DISABLEDFINISH 0x00000008
#endif
#ifndef PSBTN_BACK
#define PSBTN_BACK 0
#endif
#ifndef PSBTN_NEXT
#define PSBTN_NEXT 1
#endif
#ifndef PSBTN_FINISH
#define PSBTN_FINISH 2
#endif
#ifndef PSBTN_OK
#define PSBTN_OK 3
#endif
#ifndef PSBTN_CANCEL
#define PSBTN_CANCEL 5
#endif
#ifndef ID_WIZBACK
#define ID_WIZBACK 0x3023
#endif
#ifndef ID_WIZNEXT
#define ID_WIZNEXT 0x3024
#endif
#ifndef ID_WIZFINISH
#define ID_WIZFINISH 0x3025
#endif

class CWnd;
class CMenu;
class CDataExchange;
struct CREATESTRUCTA;
using LPCREATESTRUCT = CREATESTRUCTA*;

namespace platform::detail
{
/// Moves the focus to window without telling the window that loses it.
void focusQuietly(CWnd* window);
/// The radio set that starts at first: it and the radio buttons after it up to the next control
/// that starts a group or is not a radio button; empty when first is not a radio button.
std::vector<CWnd*> radioSetStartingAt(CWnd* first);
} // namespace platform::detail

/// A command handler of a message map: a member function without arguments or result.
using AFX_PMSG = void (CWnd::*)();

/// One entry of a message map: the notification code (BN_CLICKED, EN_KILLFOCUS, CBN_SELENDOK, or
/// 0 with a menu command id), the control or command id, and the handler. A map is a static array
/// ended by an entry whose handler is null.
struct AFX_MSGMAP_ENTRY
{
    UINT nCode;
    UINT nID;
    AFX_PMSG pfn;
};

/// Turns a handler of a derived window class into a message-map handler.
template <class T>
constexpr AFX_PMSG afxHandler(void (T::*handler)())
{
    return static_cast<AFX_PMSG>(handler);
}

/// Nothing to do headlessly; kept so page code reads as written for the platform.
inline void AfxEnableControlContainer()
{
}

/// A window: a dialog, a property page or sheet, or one control of a dialog. A window object
/// exists before and after its window: GetSafeHwnd() is null until the window is created and
/// again once it is destroyed. Each window gets a handle never given to another, so a message
/// posted to a window that has gone is dropped rather than delivered to a newer one. A control
/// keeps its text, enabled state, check state and list items; the keyboard focus is one per
/// thread, as on the platform.
class PLATFORM_API CWnd
{
  public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    /// The window's handle; null while it has no window.
    HWND GetSafeHwnd() const;
    /// The window object of a live handle; null for an unknown or destroyed one.
    static CWnd* FromHandle(HWND hWnd);
    /// The parent window (the dialog of a control, the sheet of a page); null when none.
    CWnd* GetParent() const;
    /// The control id of a control window; 0 for other windows.
    int GetDlgCtrlID() const;
    /// The control with id in this window; null when there is no window or no such control.
    CWnd* GetDlgItem(int nID) const;

    /// Enables or disables the window; returns non-zero when it was disabled before. A disabled
    /// window that holds the focus loses it.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    /// Sets the window text (caption, edit text, button label); for a drop-down list, selects the
    /// item with exactly that text, or none.
    void SetWindowText(LPCSTR lpszString);
    /// The window text; for a drop-down list the selected item's text, empty when none.
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCSTR lpszString);
    /// The text of control id (empty when it does not exist); returns its length.
    int GetDlgItemText(int nID, CString& rString) const;

    /// Gives this window the keyboard focus and returns the window that had it (null when none).
    /// An edit that loses the focus tells its parent (EN_KILLFOCUS) after the focus has moved, so
    /// the parent's handler sees the new focus and may take it back. Refused (null, nothing
    /// changes) for a window that is disabled or does not exist.
    CWnd* SetFocus();
    /// The window with the keyboard focus, or null.
    static CWnd* GetFocus();

    /// Check state of a check box or radio button: BST_UNCHECKED or BST_CHECKED.
    int GetCheck() const;
    void SetCheck(int nCheck);
    void CheckDlgButton(int nIDButton, UINT nCheck);
    /// The check state of control id; 0 when it does not exist.
    UINT IsDlgButtonChecked(int nIDButton) const;
    /// Checks nIDCheckButton and unchecks every other button whose id lies within the range.
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    /// The id of the first checked button with an id within the range; 0 when none is checked.
    int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;

    /// Appends an item to a drop-down list; returns its index.
    int AddString(LPCSTR lpszString);
    void ResetContent();
    int GetCount() const;
    /// The selected item's index, CB_ERR when none.
    int GetCurSel() const;
    /// Selects item nSelect (-1 selects none); returns it, or CB_ERR when it is out of range,
    /// which also leaves nothing selected.
    int SetCurSel(int nSelect);
    /// Selects the first item after nStartAfter (-1: from the start), wrapping round, that begins
    /// with the text, compared without regard to case; returns its index, or CB_ERR with the
    /// selection unchanged when none does.
    int SelectString(int nStartAfter, LPCSTR lpszString);
    /// The text of item nIndex; empty when it is out of range.
    void GetLBText(int nIndex, CString& rString) const;

    /// Delivers a message to the window at once and returns the handler's result (0 when the
    /// window has no window or nobody handles it).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    /// Queues a message for the window; pumpMessages delivers it. FALSE when there is no window.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    /// Runs the window's data exchange: TRUE moves control values into the fields and validates,
    /// FALSE shows the fields in the controls. Returns FALSE when a value failed (the user has been
    /// told and the focus is in the failing control; fields taken before it keep their values).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    /// The window's rectangle. The headless layer keeps it without laying anything out; a
    /// window-system backend may honour it. A new window is 640 by 480 at the origin.
    void GetWindowRect(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);

    /// Attaches a menu (not owned; null takes it off); returns TRUE. Its commands reach the window
    /// as WM_COMMAND with the item id and notification 0.
    BOOL SetMenu(CMenu* pMenu);
    /// The attached menu; null when none.
    CMenu* GetMenu() const;

    /// Makes this object the window of control nID of pParent's window: it takes over the
    /// control's handle, state and place in the tab order and from then on receives the control's
    /// messages (OnKillFocus). FALSE when this object has a window, or the control is missing.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    /// Destroys the window, its children and controls (OnDestroy runs first, while they all still
    /// exist). FALSE when there was no window.
    BOOL DestroyWindow();

    /// The template entry of a control window; null for other windows.
    const platform::DialogControl* controlTemplate() const;
    /// The controls of a dialog window in tab order; empty when it has no window.
    std::vector<CWnd*> controls() const;
    /// The user's click on a button: a check box toggles, a radio button is checked and the other
    /// buttons of its set unchecked, then the parent is told (BN_CLICKED). False, with nothing
    /// done, when the window is not an enabled button.
    bool click();
    /// The user's typing into an edit: replaces the text with typed, dropping what a digits-only
    /// box does not take. False, with nothing done, when the window is not an enabled, writable edit.
    bool typeText(const char* typed);
    /// The user's choice in a drop-down list: selects item index and tells the parent
    /// (CBN_SELENDOK). False, with nothing done, when the window is not an enabled list or the
    /// index is out of range.
    bool chooseItem(int index);

  protected:
    /// Every message reaches the window here. The default sends WM_COMMAND to OnCommand (low word
    /// of wParam the id, high word the notification) and WM_CLOSE to OnClose.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    /// Runs the message-map handler of the notification from control (or command) id; TRUE when
    /// one ran.
    virtual BOOL OnCommand(UINT nID, UINT nCode);
    /// The window class's message map; null (the default) when it has none.
    virtual const AFX_MSGMAP_ENTRY* GetMessageMap() const;
    /// Moves values between the controls and the fields; the default moves nothing.
    virtual void DoDataExchange(CDataExchange* pDX);
    /// Runs while the window is being destroyed, before its children go.
    virtual void OnDestroy();
    /// The user asked to close the window; the default does nothing.
    virtual void OnClose();
    /// The window is losing the keyboard focus to pNewWnd (null when none takes it). The default
    /// makes an edit tell its parent (EN_KILLFOCUS).
    virtual void OnKillFocus(CWnd* pNewWnd);

    /// Gives the window a handle, as a child of parent (may be null); false when it has one.
    bool createWindow(CWnd* parent);
    /// Creates one control window for each control of the template.
    void createControls(const platform::DialogTemplate& dialogTemplate);

    /// The result a modal run returns; EndDialog sets it and OnDestroy may change it.
    int m_nModalResult = -1;

  private:
    friend void platform::detail::focusQuietly(CWnd* window);
    friend std::vector<CWnd*> platform::detail::radioSetStartingAt(CWnd* first);
    void detachChild(CWnd* child);
    std::vector<CWnd*> radioSetOf() const;

    HWND hwnd_ = nullptr;
    CWnd* parent_ = nullptr;
    std::vector<CWnd*> children_;
    std::vector<std::unique_ptr<CWnd>> ownedControls_;
    /// The controls in tab order: owned ones, or the objects that subclassed them.
    std::vector<CWnd*> controls_;
    RECT rect_ = {0, 0, 640, 480};
    CMenu* menu_ = nullptr;
    std::unique_ptr<platform::DialogControl> control_;
    CString text_;
    bool enabled_ = true;
    int check_ = BST_UNCHECKED;
    std::vector<CString> items_;
    int curSel_ = CB_ERR;
};

/// An edit control; derive from it to handle an edit's own messages (see SubclassDlgItem).
class PLATFORM_API CEdit : public CWnd
{
  public:
    CEdit();
    ~CEdit() override;
};

/// A dialog built from a template, shown modally by DoModal.
class PLATFORM_API CDialog : public CWnd
{
  public:
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    /// Creates the window, runs OnInitDialog, lets the installed DialogService act for the user
    /// until the dialog ends, destroys the window and returns the modal result: the one EndDialog
    /// gave, IDCANCEL when the service left the dialog open, -1 when the template is missing or
    /// the dialog failed.
    virtual INT_PTR DoModal();
    /// Creates the window without a modal run (for embedding and tests); FALSE when the template
    /// is missing or the window exists.
    BOOL Create(CWnd* pParentWnd = nullptr);
    /// Runs when the window and its controls exist; the default shows the fields
    /// (UpdateData(FALSE)) and returns TRUE.
    virtual BOOL OnInitDialog();
    /// Ends a modal run with nResult.
    void EndDialog(int nResult);
    /// Whether EndDialog has been called since the window was created.
    bool isEnded() const;
    /// The template the dialog is built on; null when none of that name or id is registered.
    const platform::DialogTemplate* dialogTemplate() const;

  protected:
    /// OK pressed: takes the values and ends with IDOK when they are valid.
    virtual void OnOK();
    /// Cancel pressed: ends with IDCANCEL.
    virtual void OnCancel();
    /// The message map first; then BN_CLICKED of IDOK and IDCANCEL go to OnOK and OnCancel.
    BOOL OnCommand(UINT nID, UINT nCode) override;

  private:
    friend class CPropertySheet;
    bool createFromTemplate(CWnd* parent);

    std::string templateName_;
    UINT templateId_ = 0;
    CWnd* parentWnd_ = nullptr;
    bool ended_ = false;
};

/// Enables or disables a window of the dialog layer; returns non-zero when it was disabled before,
/// and 0 for an unknown handle.
extern "C" PLATFORM_API BOOL EnableWindow(HWND hWnd, BOOL bEnable);

/// Queues a message for a window of the dialog layer; pumpMessages delivers it. FALSE for an
/// unknown handle (including null: there is no thread queue to post to headlessly).
extern "C" PLATFORM_API BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

namespace platform
{
/// Delivers the messages queued by PostMessage and PostMessageA, in order, including those posted
/// meanwhile; messages to windows destroyed since are dropped. Returns the number delivered.
PLATFORM_API int pumpMessages();

/// What a file dialog asks for: the settings as the dialog holds them.
struct FileDialogRequest
{
    bool open = true;
    std::string title;
    /// (description, pattern) pairs of the filter, in order.
    std::vector<std::pair<std::string, std::string>> filters;
    std::string initialFile;
    std::string defaultExtension;
    DWORD flags = 0;
    HWND owner = nullptr;
};

/// What stands for the person in front of dialogs: a window-system backend shows them, a test
/// scripts them. A service should not throw; the dialog layer turns an exception into the
/// dialog's failure result.
class PLATFORM_API DialogService
{
  public:
    virtual ~DialogService();
    /// Acts on a dialog or sheet that has just been shown modally, until it ends or the service
    /// gives up (the dialog then ends as cancelled). The default does nothing.
    virtual void runModal(CWnd& dialog);
    /// Asks for a file; true with path set when one was chosen, false when cancelled (the default).
    virtual bool chooseFile(const FileDialogRequest& request, std::string& path);
};

/// Makes service the one the dialogs reach and returns the one installed before (null when none
/// was). The caller keeps ownership; null puts back the default, which cancels everything.
PLATFORM_API DialogService* installDialogService(DialogService* service);
/// The installed service (the default one when none is installed).
PLATFORM_API DialogService& dialogService();
} // namespace platform
