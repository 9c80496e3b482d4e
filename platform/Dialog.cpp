// The headless window, dialog, page and sheet: window handles, control state, focus, the message
// queue and the modal runs.
#include "platform/Dialog.h"

#include "platform/Ascii.h"
#include "platform/DataExchange.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_map>

namespace platform
{
namespace
{
// All the windows that exist, by handle. Handles count up and are never reused, so a stale handle
// finds nothing instead of a newer window.
struct Windows
{
    std::unordered_map<HWND, CWnd*> byHandle;
    UINT_PTR nextHandle = 0x10000;
    HWND focus = nullptr;
    struct Posted
    {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::deque<Posted> queue;
};

Windows& windows()
{
    static Windows all;
    return all;
}

DialogService defaultService;
DialogService* installedService = nullptr;

bool isButton(const DialogControl* control)
{
    return control && (control->kind == ControlKind::kCheckBox || control->kind == ControlKind::kRadioButton ||
                       control->kind == ControlKind::kPushButton);
}

bool isList(const DialogControl* control)
{
    return control && control->kind == ControlKind::kDropDownList;
}

bool beginsWithNoCase(const CString& text, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    return static_cast<size_t>(text.GetLength()) >= length &&
           detail::equalsNoCase(std::string_view(text.GetString(), length), prefix);
}
} // namespace

DialogService::~DialogService() = default;

void DialogService::runModal(CWnd&)
{
}

bool DialogService::chooseFile(const FileDialogRequest&, std::string&)
{
    return false;
}

DialogService* installDialogService(DialogService* service)
{
    DialogService* previous = installedService;
    installedService = service;
    return previous;
}

DialogService& dialogService()
{
    return installedService ? *installedService : defaultService;
}
} // namespace platform

using platform::ControlKind;
using platform::windows;
using platform::isButton;
using platform::isList;
using platform::beginsWithNoCase;

// --- CWnd -----------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    DestroyWindow();
}

HWND CWnd::GetSafeHwnd() const
{
    return hwnd_;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    const auto found = windows().byHandle.find(hWnd);
    return found == windows().byHandle.end() ? nullptr : found->second;
}

CWnd* CWnd::GetParent() const
{
    return parent_;
}

int CWnd::GetDlgCtrlID() const
{
    return control_ ? control_->id : 0;
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    if (!hwnd_ || nID <= 0)
        return nullptr;
    for (CWnd* control : controls_)
        if (control->control_->id == nID)
            return control;
    return nullptr;
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    const BOOL wasDisabled = enabled_ ? FALSE : TRUE;
    enabled_ = bEnable != FALSE;
    if (!enabled_ && hwnd_ && windows().focus == hwnd_)
        windows().focus = nullptr;
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    return enabled_ ? TRUE : FALSE;
}

void CWnd::SetWindowText(LPCSTR lpszString)
{
    const char* text = lpszString ? lpszString : "";
    if (isList(control_.get()))
    {
        curSel_ = CB_ERR;
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i] == text)
            {
                curSel_ = static_cast<int>(i);
                break;
            }
        return;
    }
    text_ = text;
}

void CWnd::GetWindowText(CString& rString) const
{
    if (isList(control_.get()))
        rString = curSel_ >= 0 ? items_[static_cast<size_t>(curSel_)] : CString();
    else
        rString = text_;
}

int CWnd::GetWindowTextLength() const
{
    CString text;
    GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetDlgItemText(int nID, LPCSTR lpszString)
{
    if (CWnd* control = GetDlgItem(nID))
        control->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    if (const CWnd* control = GetDlgItem(nID))
        control->GetWindowText(rString);
    return rString.GetLength();
}

CWnd* CWnd::SetFocus()
{
    if (!hwnd_ || !enabled_)
        return nullptr;
    const HWND previousHandle = windows().focus;
    CWnd* previous = FromHandle(previousHandle);
    windows().focus = hwnd_;
    if (previous && previous != this)
        previous->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd_), 0);
    return previous;
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(windows().focus);
}

int CWnd::GetCheck() const
{
    return check_;
}

void CWnd::SetCheck(int nCheck)
{
    check_ = nCheck;
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck)
{
    if (CWnd* button = GetDlgItem(nIDButton))
        button->SetCheck(static_cast<int>(nCheck));
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const
{
    const CWnd* button = GetDlgItem(nIDButton);
    return button ? static_cast<UINT>(button->GetCheck()) : 0;
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    for (CWnd* control : controls_)
    {
        const int id = control->control_->id;
        if (id == nIDCheckButton)
            control->check_ = BST_CHECKED;
        else if (id >= nIDFirstButton && id <= nIDLastButton && isButton(control->control_.get()))
            control->check_ = BST_UNCHECKED;
    }
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const
{
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id)
        if (IsDlgButtonChecked(id) == BST_CHECKED)
            return id;
    return 0;
}

int CWnd::AddString(LPCSTR lpszString)
{
    items_.emplace_back(lpszString ? lpszString : "");
    return static_cast<int>(items_.size()) - 1;
}

void CWnd::ResetContent()
{
    items_.clear();
    curSel_ = CB_ERR;
}

int CWnd::GetCount() const
{
    return static_cast<int>(items_.size());
}

int CWnd::GetCurSel() const
{
    return curSel_;
}

int CWnd::SetCurSel(int nSelect)
{
    if (nSelect < 0 || nSelect >= GetCount())
    {
        curSel_ = CB_ERR;
        return CB_ERR;
    }
    curSel_ = nSelect;
    return curSel_;
}

int CWnd::SelectString(int nStartAfter, LPCSTR lpszString)
{
    const int count = GetCount();
    const char* prefix = lpszString ? lpszString : "";
    const int start = nStartAfter < 0 || nStartAfter >= count ? 0 : nStartAfter + 1;
    for (int step = 0; step < count; ++step)
    {
        const int index = (start + step) % count;
        if (beginsWithNoCase(items_[static_cast<size_t>(index)], prefix))
        {
            curSel_ = index;
            return index;
        }
    }
    return CB_ERR;
}

void CWnd::GetLBText(int nIndex, CString& rString) const
{
    rString = nIndex >= 0 && nIndex < GetCount() ? items_[static_cast<size_t>(nIndex)] : CString();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return hwnd_ ? WindowProc(message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(hwnd_, message, wParam, lParam);
}

// A window makes the exchange that its UpdateData runs, so the exchange is built here: the
// routines of DataExchange.cpp work a window's controls, and the window never calls them.
CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try
    {
        DoDataExchange(&dx);
        return TRUE;
    }
    catch (const platform::detail::DataExchangeFailure&)
    {
        return FALSE;
    }
}

BOOL CWnd::DestroyWindow()
{
    if (!hwnd_)
        return FALSE;
    OnDestroy();
    // Children detach themselves as they go, so take them from the back of a copy.
    const std::vector<CWnd*> children = children_;
    for (auto child = children.rbegin(); child != children.rend(); ++child)
        (*child)->DestroyWindow();
    controls_.clear();
    ownedControls_.clear();
    children_.clear();
    menu_ = nullptr;
    if (parent_)
    {
        parent_->detachChild(this);
        // A subclassing object may go before its dialog does.
        auto& siblings = parent_->controls_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = nullptr;
    if (windows().focus == hwnd_)
        windows().focus = nullptr;
    windows().byHandle.erase(hwnd_);
    hwnd_ = nullptr;
    return TRUE;
}

const platform::DialogControl* CWnd::controlTemplate() const
{
    return control_.get();
}

std::vector<CWnd*> CWnd::controls() const
{
    return controls_;
}

bool CWnd::click()
{
    if (!hwnd_ || !enabled_ || !isButton(control_.get()) || !parent_)
        return false;
    if (control_->kind == ControlKind::kCheckBox)
        check_ = check_ == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    else if (control_->kind == ControlKind::kRadioButton)
        for (CWnd* radio : radioSetOf())
            radio->check_ = radio == this ? BST_CHECKED : BST_UNCHECKED;
    parent_->SendMessage(WM_COMMAND, MAKEWPARAM(control_->id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd_));
    return true;
}

bool CWnd::typeText(const char* typed)
{
    if (!hwnd_ || !enabled_ || !control_ || control_->kind != ControlKind::kEdit)
        return false;
    std::string kept;
    for (const char* c = typed ? typed : ""; *c; ++c)
        if (!control_->digitsOnly || (*c >= '0' && *c <= '9'))
            kept += *c;
    text_ = kept.c_str();
    return true;
}

bool CWnd::chooseItem(int index)
{
    if (!hwnd_ || !enabled_ || !isList(control_.get()) || !parent_ || index < 0 || index >= GetCount())
        return false;
    curSel_ = index;
    parent_->SendMessage(WM_COMMAND, MAKEWPARAM(control_->id, CBN_SELENDOK), reinterpret_cast<LPARAM>(hwnd_));
    return true;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND)
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    if (message == WM_CLOSE)
        OnClose();
    if (message == WM_KILLFOCUS)
        OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam)));
    return 0;
}

BOOL CWnd::OnCommand(UINT nID, UINT nCode)
{
    for (const AFX_MSGMAP_ENTRY* entry = GetMessageMap(); entry && entry->pfn; ++entry)
        if (entry->nID == nID && entry->nCode == nCode)
        {
            (this->*(entry->pfn))();
            return TRUE;
        }
    return FALSE;
}

const AFX_MSGMAP_ENTRY* CWnd::GetMessageMap() const
{
    return nullptr;
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

void CWnd::OnDestroy()
{
}

void CWnd::OnClose()
{
}

void CWnd::OnKillFocus(CWnd*)
{
    if (control_ && parent_ && (control_->kind == ControlKind::kEdit || control_->kind == ControlKind::kReadOnlyEdit))
        parent_->SendMessage(WM_COMMAND, MAKEWPARAM(control_->id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(hwnd_));
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    if (lpRect)
        *lpRect = rect_;
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL)
{
    rect_ = {x, y, x + nWidth, y + nHeight};
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    if (lpRect)
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetMenu(CMenu* pMenu)
{
    menu_ = pMenu;
    return TRUE;
}

CMenu* CWnd::GetMenu() const
{
    return menu_;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (hwnd_ || !pParent)
        return FALSE;
    CWnd* control = pParent->GetDlgItem(static_cast<int>(nID));
    if (!control || control == this)
        return FALSE;
    // The template's control object stays owned by the dialog but without a window; this object
    // is the control from now on, wherever the dialog looks for it.
    hwnd_ = control->hwnd_;
    parent_ = control->parent_;
    control_ = std::move(control->control_);
    text_ = control->text_;
    enabled_ = control->enabled_;
    check_ = control->check_;
    items_ = control->items_;
    curSel_ = control->curSel_;
    rect_ = control->rect_;
    windows().byHandle[hwnd_] = this;
    control->hwnd_ = nullptr;
    control->parent_ = nullptr;
    std::replace(pParent->controls_.begin(), pParent->controls_.end(), control, this);
    std::replace(pParent->children_.begin(), pParent->children_.end(), control, this);
    return TRUE;
}

CEdit::CEdit() = default;

CEdit::~CEdit() = default;

bool CWnd::createWindow(CWnd* parent)
{
    if (hwnd_)
        return false;
    hwnd_ = reinterpret_cast<HWND>(windows().nextHandle);
    windows().nextHandle += 4;
    windows().byHandle[hwnd_] = this;
    parent_ = parent;
    if (parent_)
        parent_->children_.push_back(this);
    return true;
}

void CWnd::createControls(const platform::DialogTemplate& dialogTemplate)
{
    for (const platform::DialogControl& entry : dialogTemplate.controls)
    {
        auto control = std::make_unique<CWnd>();
        control->control_ = std::make_unique<platform::DialogControl>(entry);
        if (entry.kind != ControlKind::kEdit && entry.kind != ControlKind::kReadOnlyEdit &&
            entry.kind != ControlKind::kDropDownList)
            control->text_ = entry.label.c_str();
        control->createWindow(this);
        controls_.push_back(control.get());
        ownedControls_.push_back(std::move(control));
    }
}

void CWnd::detachChild(CWnd* child)
{
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

std::vector<CWnd*> CWnd::radioSetOf() const
{
    if (!parent_ || !control_ || control_->kind != ControlKind::kRadioButton)
        return {};
    const auto& siblings = parent_->controls_;
    size_t first = 0;
    while (first < siblings.size() && siblings[first] != this)
        ++first;
    while (first > 0 && !siblings[first]->control_->startsGroup &&
           siblings[first - 1]->control_->kind == ControlKind::kRadioButton)
        --first;
    return platform::detail::radioSetStartingAt(siblings[first]);
}

void platform::detail::focusQuietly(CWnd* window)
{
    if (window && window->hwnd_)
        windows().focus = window->hwnd_;
}

std::vector<CWnd*> platform::detail::radioSetStartingAt(CWnd* first)
{
    std::vector<CWnd*> set;
    if (!first || !first->parent_ || !first->control_ || first->control_->kind != ControlKind::kRadioButton)
        return set;
    const auto& siblings = first->parent_->controls_;
    auto at = std::find(siblings.begin(), siblings.end(), first);
    for (; at != siblings.end(); ++at)
    {
        const platform::DialogControl& entry = *(*at)->control_;
        if (entry.kind != ControlKind::kRadioButton || (*at != first && entry.startsGroup))
            break;
        set.push_back(*at);
    }
    return set;
}

// --- CDialog --------------------------------------------------------------------------------

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd)
    : templateName_(lpszTemplateName ? lpszTemplateName : ""), parentWnd_(pParentWnd)
{
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : templateId_(nIDTemplate), parentWnd_(pParentWnd)
{
}

const platform::DialogTemplate* CDialog::dialogTemplate() const
{
    return templateId_ != 0 ? platform::findDialogTemplate(templateId_) : platform::findDialogTemplate(templateName_);
}

bool CDialog::createFromTemplate(CWnd* parent)
{
    const platform::DialogTemplate* layout = dialogTemplate();
    if (!layout || !createWindow(parent))
        return false;
    ended_ = false;
    m_nModalResult = -1;
    SetWindowText(layout->caption.c_str());
    createControls(*layout);
    return true;
}

BOOL CDialog::Create(CWnd* pParentWnd)
{
    if (!createFromTemplate(pParentWnd))
        return FALSE;
    OnInitDialog();
    return TRUE;
}

INT_PTR CDialog::DoModal()
{
    try
    {
        if (!Create(parentWnd_))
            return -1;
        if (!ended_)
            platform::dialogService().runModal(*this);
        if (!ended_)
            EndDialog(IDCANCEL);
        DestroyWindow();
        return m_nModalResult;
    }
    catch (...)
    {
        DestroyWindow();
        return -1;
    }
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    ended_ = true;
}

bool CDialog::isEnded() const
{
    return ended_;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(UINT nID, UINT nCode)
{
    if (CWnd::OnCommand(nID, nCode))
        return TRUE;
    if (nCode != BN_CLICKED || (nID != IDOK && nID != IDCANCEL))
        return FALSE;
    if (nID == IDOK)
        OnOK();
    else
        OnCancel();
    return TRUE;
}


// --- The C functions and the queue ------------------------------------------------------------

int platform::pumpMessages()
{
    int delivered = 0;
    auto& queue = windows().queue;
    while (!queue.empty())
    {
        const auto posted = queue.front();
        queue.pop_front();
        if (CWnd* window = CWnd::FromHandle(posted.window))
        {
            window->SendMessage(posted.message, posted.wParam, posted.lParam);
            ++delivered;
        }
    }
    return delivered;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable)
{
    CWnd* window = CWnd::FromHandle(hWnd);
    return window ? window->EnableWindow(bEnable) : FALSE;
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (!CWnd::FromHandle(hWnd))
        return FALSE;
    windows().queue.push_back({hWnd, Msg, wParam, lParam});
    return TRUE;
}
