// The platform framework's property page and property sheet, in tabbed and in wizard mode, on the
// headless dialog layer of Dialog.h.
#pragma once

#include "platform/Dialog.h"

class CPropertySheet;

/// One page of a property sheet or wizard. Its window is created when the page is first
/// activated and destroyed with the sheet's or when the page is removed, so a page may exist with
/// no window (GetSafeHwnd() is null).
class PLATFORM_API CPropertyPage : public CDialog
{
  public:
    /// The caption is string resource nIDCaption; when 0 or missing, the template's caption.
    explicit CPropertyPage(LPCSTR lpszTemplateName, UINT nIDCaption = 0);
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    ~CPropertyPage() override;

    /// The page becomes the active one; the default shows the fields again on every activation
    /// but the first (OnInitDialog has just shown them) and returns TRUE.
    virtual BOOL OnSetActive();
    /// The page is about to be left; the default takes the values and returns FALSE, keeping the
    /// user on the page, when they fail.
    virtual BOOL OnKillActive();
    /// The sheet was closed with OK (for every page that has a window).
    void OnOK() override;
    /// The sheet was cancelled (for every page that has a window).
    void OnCancel() override;
    /// Back pressed in a wizard: 0 goes to the previous page, -1 stays.
    virtual LRESULT OnWizardBack();
    /// Next pressed in a wizard: 0 goes to the next page, -1 stays.
    virtual LRESULT OnWizardNext();
    /// Finish pressed in a wizard: TRUE lets the wizard end.
    virtual BOOL OnWizardFinish();

    /// The tab caption.
    const CString& caption() const;
    /// The sheet the page was added to; null when none.
    CPropertySheet* sheet() const;

  private:
    friend class CPropertySheet;
    CString caption_;
    CPropertySheet* sheet_ = nullptr;
    bool firstSetActive_ = true;
};

/// A tabbed property sheet, or in wizard mode a wizard with Back, Next and Finish. The sheet does
/// not own its pages.
class PLATFORM_API CPropertySheet : public CWnd
{
  public:
    explicit CPropertySheet(LPCSTR pszCaption = nullptr, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    /// The caption is string resource nIDCaption.
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    /// Adds a page after the last one; a page already in a sheet is not added again.
    void AddPage(CPropertyPage* pPage);
    /// Removes a page (its window is destroyed); when it was active, the page that takes its
    /// place in the tabs (else the new last one) becomes active. Unknown pages are ignored.
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const;
    /// The page at index nPage; null when out of range.
    CPropertyPage* GetPage(int nPage) const;
    /// The index of the page; -1 when it is not in this sheet.
    int GetPageIndex(CPropertyPage* pPage) const;
    /// The active page; null while the sheet has no window.
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    /// Makes page nPage active (creating its window on first use). Refused (FALSE) when there is
    /// no window, the index is out of range, or the active page will not be left (OnKillActive).
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    /// Sets the caption (the window text when the window exists).
    void SetTitle(LPCSTR lpszText, UINT nStyle = 0);
    const CString& caption() const;

    /// Makes the sheet a wizard; call before the window is created.
    void SetWizardMode();
    BOOL IsWizard() const;
    /// Which wizard buttons are offered: PSWIZB_BACK, PSWIZB_NEXT, and Finish (PSWIZB_FINISH) or a
    /// disabled Finish (PSWIZB_DISABLEDFINISH) shown instead of Next.
    void SetWizardButtons(DWORD dwFlags);
    DWORD wizardButtons() const;
    /// Whether button (PSBTN_...) can be pressed now.
    bool isButtonEnabled(int nButton) const;
    /// Presses a button as the user would. FALSE when it is not offered or not enabled. Back and
    /// Next ask the page (OnWizardBack/Next) and then move; Finish asks OnWizardFinish and ends
    /// with ID_WIZFINISH; OK leaves the active page (refused when its values fail), tells every
    /// page with a window and ends with IDOK; Cancel tells them and ends with IDCANCEL.
    BOOL PressButton(int nButton);

    /// As CDialog::DoModal; a wizard ended by Finish returns ID_WIZFINISH.
    virtual INT_PTR DoModal();
    /// Creates the window without a modal run; FALSE when it exists or creation fails.
    BOOL Create(CWnd* pParentWnd = nullptr);
    /// Runs once the window exists; the default activates the start page and returns TRUE.
    virtual BOOL OnInitDialog();
    void EndDialog(int nEndID);
    bool isEnded() const;

  protected:
    /// Runs as the window is created; -1 fails the creation. The default returns 0.
    virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);

  private:
    friend class CPropertyPage;
    bool activate(int index);

    CString caption_;
    CWnd* parentWnd_ = nullptr;
    UINT startPage_ = 0;
    std::vector<CPropertyPage*> pages_;
    int active_ = -1;
    bool wizard_ = false;
    DWORD buttons_ = 0;
    bool ended_ = false;
};
