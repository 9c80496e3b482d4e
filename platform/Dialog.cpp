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
    for (const auto& control : ownedControls_)
        if (control->control_->id == nID)
            return control.get();
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
    if (previous && previous != this && previous->control_ && previous->parent_ &&
        (previous->control_->kind == ControlKind::kEdit || previous->control_->kind == ControlKind::kReadOnlyEdit))
        previous->parent_->SendMessage(WM_COMMAND, MAKEWPARAM(previous->control_->id, EN_KILLFOCUS),
                                       reinterpret_cast<LPARAM>(previousHandle));
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
    for (const auto& control : ownedControls_)
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
    ownedControls_.clear();
    children_.clear();
    if (parent_)
        parent_->detachChild(this);
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
    std::vector<CWnd*> result;
    for (const auto& control : ownedControls_)
        result.push_back(control.get());
    return result;
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
    const auto& siblings = parent_->ownedControls_;
    size_t first = 0;
    while (first < siblings.size() && siblings[first].get() != this)
        ++first;
    while (first > 0 && !siblings[first]->control_->startsGroup &&
           siblings[first - 1]->control_->kind == ControlKind::kRadioButton)
        --first;
    return platform::detail::radioSetStartingAt(siblings[first].get());
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
    const auto& siblings = first->parent_->ownedControls_;
    auto at = std::find_if(siblings.begin(), siblings.end(), [&](const auto& control) { return control.get() == first; });
    for (; at != siblings.end(); ++at)
    {
        const platform::DialogControl& entry = *(*at)->control_;
        if (entry.kind != ControlKind::kRadioButton || ((*at).get() != first && entry.startsGroup))
            break;
        set.push_back(at->get());
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

// --- CPropertyPage --------------------------------------------------------------------------

namespace
{
CString pageCaption(const CDialog& page, UINT nIDCaption)
{
    const std::string text = platform::loadStringResource(nIDCaption);
    if (nIDCaption != 0 && !text.empty())
        return CString(text);
    const platform::DialogTemplate* layout = page.dialogTemplate();
    return layout ? CString(layout->caption) : CString();
}
} // namespace

CPropertyPage::CPropertyPage(LPCSTR lpszTemplateName, UINT nIDCaption)
    : CDialog(lpszTemplateName), caption_(pageCaption(*this, nIDCaption))
{
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
    : CDialog(nIDTemplate), caption_(pageCaption(*this, nIDCaption))
{
}

CPropertyPage::~CPropertyPage()
{
    if (sheet_)
        sheet_->RemovePage(this);
}

BOOL CPropertyPage::OnSetActive()
{
    if (firstSetActive_)
        firstSetActive_ = false;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

void CPropertyPage::OnOK()
{
}

void CPropertyPage::OnCancel()
{
}

LRESULT CPropertyPage::OnWizardBack()
{
    return 0;
}

LRESULT CPropertyPage::OnWizardNext()
{
    return 0;
}

BOOL CPropertyPage::OnWizardFinish()
{
    return TRUE;
}

const CString& CPropertyPage::caption() const
{
    return caption_;
}

CPropertySheet* CPropertyPage::sheet() const
{
    return sheet_;
}

// --- CPropertySheet -------------------------------------------------------------------------

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : caption_(pszCaption ? pszCaption : ""), parentWnd_(pParentWnd), startPage_(iSelectPage)
{
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
    : caption_(platform::loadStringResource(nIDCaption)), parentWnd_(pParentWnd), startPage_(iSelectPage)
{
}

CPropertySheet::~CPropertySheet()
{
    DestroyWindow();
    for (CPropertyPage* page : pages_)
        page->sheet_ = nullptr;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (!pPage || pPage->sheet_)
        return;
    pPage->sheet_ = this;
    pages_.push_back(pPage);
    if (GetSafeHwnd() && active_ < 0)
        activate(0);
}

void CPropertySheet::RemovePage(CPropertyPage* pPage)
{
    RemovePage(GetPageIndex(pPage));
}

void CPropertySheet::RemovePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return;
    CPropertyPage* page = pages_[static_cast<size_t>(nPage)];
    const bool wasActive = nPage == active_;
    page->DestroyWindow();
    page->sheet_ = nullptr;
    pages_.erase(pages_.begin() + nPage);
    if (!GetSafeHwnd())
        return;
    if (active_ > nPage)
        --active_;
    else if (wasActive)
    {
        active_ = -1;
        if (!pages_.empty() && GetSafeHwnd())
            activate(std::min(nPage, GetPageCount() - 1));
    }
}

int CPropertySheet::GetPageCount() const
{
    return static_cast<int>(pages_.size());
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < GetPageCount() ? pages_[static_cast<size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const
{
    const auto found = std::find(pages_.begin(), pages_.end(), pPage);
    return found == pages_.end() ? -1 : static_cast<int>(found - pages_.begin());
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetSafeHwnd() ? GetPage(active_) : nullptr;
}

int CPropertySheet::GetActiveIndex() const
{
    return GetSafeHwnd() ? active_ : -1;
}

bool CPropertySheet::activate(int index)
{
    CPropertyPage* page = pages_[static_cast<size_t>(index)];
    if (!page->GetSafeHwnd())
    {
        if (!page->createFromTemplate(this))
            return false;
        page->firstSetActive_ = true;
        page->OnInitDialog();
    }
    active_ = index;
    page->OnSetActive();
    return true;
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (!GetSafeHwnd() || nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (nPage == active_)
        return TRUE;
    CPropertyPage* leaving = GetActivePage();
    if (leaving && !leaving->OnKillActive())
        return FALSE;
    return activate(nPage) ? TRUE : FALSE;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage)
{
    return SetActivePage(GetPageIndex(pPage));
}

void CPropertySheet::SetTitle(LPCSTR lpszText, UINT)
{
    caption_ = lpszText ? lpszText : "";
    if (GetSafeHwnd())
        SetWindowText(caption_);
}

const CString& CPropertySheet::caption() const
{
    return caption_;
}

void CPropertySheet::SetWizardMode()
{
    wizard_ = true;
}

BOOL CPropertySheet::IsWizard() const
{
    return wizard_ ? TRUE : FALSE;
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags)
{
    buttons_ = dwFlags;
}

DWORD CPropertySheet::wizardButtons() const
{
    return buttons_;
}

bool CPropertySheet::isButtonEnabled(int nButton) const
{
    if (!GetSafeHwnd() || ended_ || !GetActivePage())
        return false;
    const bool finishShown = (buttons_ & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0;
    switch (nButton)
    {
    case PSBTN_BACK:
        return wizard_ && (buttons_ & PSWIZB_BACK) != 0;
    case PSBTN_NEXT:
        // Finish takes the place of Next, as in the platform's wizards.
        return wizard_ && (buttons_ & PSWIZB_NEXT) != 0 && !finishShown;
    case PSBTN_FINISH:
        return wizard_ && (buttons_ & PSWIZB_FINISH) != 0;
    case PSBTN_OK:
        return !wizard_;
    case PSBTN_CANCEL:
        return true;
    default:
        return false;
    }
}

BOOL CPropertySheet::PressButton(int nButton)
{
    if (!isButtonEnabled(nButton))
        return FALSE;
    CPropertyPage* page = GetActivePage();
    switch (nButton)
    {
    case PSBTN_BACK:
    case PSBTN_NEXT: {
        const LRESULT answer = nButton == PSBTN_BACK ? page->OnWizardBack() : page->OnWizardNext();
        if (answer == -1)
            return TRUE;
        const int target = active_ + (nButton == PSBTN_BACK ? -1 : 1);
        if (target >= 0 && target < GetPageCount())
            SetActivePage(target);
        return TRUE;
    }
    case PSBTN_FINISH:
        if (page->OnWizardFinish())
            EndDialog(ID_WIZFINISH);
        return TRUE;
    case PSBTN_OK:
        if (!page->OnKillActive())
            return TRUE;
        for (CPropertyPage* each : pages_)
            if (each->GetSafeHwnd())
                each->OnOK();
        EndDialog(IDOK);
        return TRUE;
    default:
        for (CPropertyPage* each : pages_)
            if (each->GetSafeHwnd())
                each->OnCancel();
        EndDialog(IDCANCEL);
        return TRUE;
    }
}

BOOL CPropertySheet::Create(CWnd* pParentWnd)
{
    if (!createWindow(pParentWnd))
        return FALSE;
    ended_ = false;
    m_nModalResult = -1;
    active_ = -1;
    if (OnCreate(nullptr) == -1)
    {
        DestroyWindow();
        return FALSE;
    }
    SetWindowText(caption_);
    OnInitDialog();
    return TRUE;
}

INT_PTR CPropertySheet::DoModal()
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

BOOL CPropertySheet::OnInitDialog()
{
    if (!pages_.empty())
        activate(startPage_ < pages_.size() ? static_cast<int>(startPage_) : 0);
    return TRUE;
}

void CPropertySheet::EndDialog(int nEndID)
{
    m_nModalResult = nEndID;
    ended_ = true;
}

bool CPropertySheet::isEnded() const
{
    return ended_;
}

int CPropertySheet::OnCreate(LPCREATESTRUCT)
{
    return 0;
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
