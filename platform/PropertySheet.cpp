// The headless property page and sheet: pages created on first activation, tab order, refused
// page changes, and the wizard's buttons.
#include "platform/PropertySheet.h"

#include "platform/DataExchange.h"

#include <algorithm>

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
