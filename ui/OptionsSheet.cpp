// The method editor's window side: building the sheet and its pages, loading a method into the
// pages, the modified mark in the title, the File menu and the save prompts.
#include "method/TessalyOptionsSheet.h"

#include "platform/DataExchange.h"
#include "platform/FileDialog.h"
#include "platform/Menu.h"
#include "platform/SplitPath.h"
#include "platform/UserInterface.h"
#include "ui/OptionsPages.h"

#include <memory>

namespace
{
// The editor's window is this much shorter than the sheet's default, in pixels.
constexpr int kShorterBy = 15;

constexpr const char* kSavePrompt = "The current file has been modified\nDo you wish to save the changes?";

// Copies an enumeration through the int form of SetAndCheckModified, which serves them all.
template <class Enumeration>
void setEnumeration(CTessalyOptionsSheet& sheet, Enumeration& destination, Enumeration source)
{
    int value = destination;
    sheet.SetAndCheckModified(value, static_cast<int>(source));
    destination = static_cast<Enumeration>(value);
}

tagMUXSPRAYINDEX sprayIndex(int sprays)
{
    switch (sprays)
    {
    case 1:
        return MUXSPRAY_1;
    case 2:
        return MUXSPRAY_2;
    case 4:
        return MUXSPRAY_4;
    default:
        return MUXSPRAY_NONE;
    }
}

// Takes the menu off the window and lets it go.
void releaseMenu(CWnd& window)
{
    CMenu* menu = window.GetMenu();
    window.SetMenu(nullptr);
    if (!menu)
        return;
    menu->DestroyMenu();
    delete menu;
}

// Refreshes the active page's controls from its fields.
void showActivePage(CTessalyOptionsSheet& sheet)
{
    if (CPropertyPage* page = sheet.GetActivePage())
        page->UpdateData(FALSE);
}

void reportSaveFailure(const CTessalyOptionsSheet& sheet)
{
    CString text;
    text.Format("%s\nThe method could not be written to this file.\nCheck that its folder exists and may be "
                "written to, or choose another name with Save As.",
                sheet.m_strFile.GetString());
    MessageBoxA(sheet.GetSafeHwnd(), text, CTessalyOptionsSheet::m_strTitle, MB_OK | MB_ICONSTOP);
}

// Lets the user choose a name and saves the method under it. The sheet keeps its old name when
// the dialog is cancelled or the writing fails. Returns whether the method was saved.
bool saveUnderChosenName(CTessalyOptionsSheet& sheet)
{
    CString initial = sheet.m_strFile;
    if (initial.IsEmpty())
        CTessalyOptionsSheet::CreateDefaultName(initial);
    CFileDialog dialog(FALSE, CTessalyOptionsSheet::m_strTessalyMethodExtension, initial,
                       OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_LONGNAMES,
                       CTessalyOptionsSheet::m_strTessalyMethodFilter, &sheet);
    dialog.m_ofn.lpstrTitle = CTessalyOptionsSheet::m_strTitle;
    if (dialog.DoModal() != IDOK)
        return false;
    const CString previous = sheet.m_strFile;
    sheet.m_strFile = dialog.GetPathName();
    if (sheet.Save())
        return true;
    reportSaveFailure(sheet);
    sheet.m_strFile = previous;
    return false;
}

// Saves the method under its name, or under one the user chooses when it has none. Returns
// whether it was saved; a failure has been reported.
bool saveMethod(CTessalyOptionsSheet& sheet)
{
    if (sheet.m_strFile.IsEmpty())
        return saveUnderChosenName(sheet);
    if (sheet.Save())
        return true;
    reportSaveFailure(sheet);
    return false;
}

// Before a modified method is replaced: asks whether to save it (Yes, No, Cancel). Returns false
// when the command should stop: Cancel, or Yes and the method was not saved.
bool offerToSave(CTessalyOptionsSheet& sheet)
{
    if (!sheet.m_bModified)
        return true;
    const int answer = MessageBoxA(sheet.GetSafeHwnd(), kSavePrompt, CTessalyOptionsSheet::m_strTitle,
                                   MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO)
        return true;
    return answer == IDYES && saveMethod(sheet);
}
} // namespace

CTessalyOptionsSheet::CTessalyOptionsSheet(const CString& strFile, int nSimultaneousSamples, CWnd* pParentWnd)
    : CPropertySheet(m_strTitle, pParentWnd, 0), m_bShowMuxPage(nSimultaneousSamples != 1 ? 1 : 0),
      m_pOptimisationPage(nullptr), m_pAcquisitionPage(nullptr), m_pTunePage(nullptr), m_pAdductsPage(nullptr),
      m_pInletsPage(nullptr), m_pLossesPage(nullptr), m_pMuxPage(nullptr), m_bModified(0), m_strFile(strFile)
{
    // The pages read their captions from the string resources as they are built.
    ui::registerMethodEditorResources();
    m_pOptimisationPage = new CTessalyOptionsPage1(this);
    m_pAcquisitionPage = new CTessalyOptionsPage2(this);
    m_pTunePage = new CTessalyOptionsPage3(this);
    m_pAdductsPage = new CTessalyOptionsPage4(this);
    m_pInletsPage = new CTessalyOptionsPage5(this);
    m_pLossesPage = new CTessalyOptionsPage6(this);
    AddPage(m_pOptimisationPage);
    AddPage(m_pAcquisitionPage);
    AddPage(m_pTunePage);
    AddPage(m_pAdductsPage);
    AddPage(m_pLossesPage);
    AddPage(m_pInletsPage);
    if (m_bShowMuxPage)
    {
        m_pMuxPage = new CTessalyOptionsPage7(this);
        AddPage(m_pMuxPage);
    }
    // The adduct groups start as the polarity the Optimisation page starts with, not both
    // enabled, so a method begun without a file already checks only the groups it uses.
    SetIonMode(m_pOptimisationPage->m_eIonModeOpt);
}

CTessalyOptionsSheet::~CTessalyOptionsSheet()
{
    // A sheet whose window still exists goes without OnDestroy (the base destroys the window), so
    // the menu is let go here. The active page goes last: removing it from the tabs while others
    // remain would make another page active, and build its window, on the way out.
    if (GetSafeHwnd())
        releaseMenu(*this);
    CPropertyPage* active = GetActivePage();
    CPropertyPage* const pages[] = {m_pOptimisationPage, m_pAcquisitionPage, m_pTunePage, m_pAdductsPage,
                                    m_pInletsPage,       m_pLossesPage,      m_pMuxPage};
    for (CPropertyPage* page : pages)
        if (page != active)
            delete page;
    delete active;
}

CTessalyOptionsSheet& CTessalyOptionsSheet::operator=(const CBrenmoOptions& options)
{
    CTessalyOptionsPage1& optimisation = *m_pOptimisationPage;
    const int msMode = options.m_bMSMS ? 1 : 0;
    if (optimisation.m_nMSMode != msMode)
        SetMSMode(msMode);
    SetIonMode(options.m_eIonModeOpt);

    SetAndCheckModified(optimisation.m_dConeVoltageMin, options.m_dConeVoltageMin);
    SetAndCheckModified(optimisation.m_dConeVoltageMax, options.m_dConeVoltageMax);
    SetAndCheckModified(optimisation.m_dConeVoltageStep, options.m_dConeVoltageStep);
    SetAndCheckModified(optimisation.m_dCollisionEnergyMin, options.m_dCollisionEnergyMin);
    SetAndCheckModified(optimisation.m_dCollisionEnergyMax, options.m_dCollisionEnergyMax);
    SetAndCheckModified(optimisation.m_dCollisionEnergyStep, options.m_dCollisionEnergyStep);
    setEnumeration(*this, optimisation.m_eIonMode, String2IONMODE(options.m_strIonMode));
    setEnumeration(*this, optimisation.m_eIonModeOpt, options.m_eIonModeOpt);
    setEnumeration(*this, optimisation.m_eWhenToOptimise, options.m_eWhenToOptimise);
    SetAndCheckModified(optimisation.m_nMSMode, msMode);
    SetAndCheckModified(optimisation.m_strQuanMethodParent, options.m_strQuanMethodParent);
    SetAndCheckModified(optimisation.m_strQuanMethodDaughter, options.m_strQuanMethodDaughter);
    SetAndCheckModified(optimisation.m_nFragmentMinSize, options.m_nFragmentMinSize);

    CTessalyOptionsPage2& acquisition = *m_pAcquisitionPage;
    SetAndCheckModified(acquisition.m_fTotalCycleTime, static_cast<float>(options.m_dTotalCycleTime));
    SetAndCheckModified(acquisition.m_fMaxDwellTime, static_cast<float>(options.m_dMaxDwellTime));
    SetAndCheckModified(acquisition.m_fInterModeTime, static_cast<float>(options.m_dInterModeTime));

    CTessalyOptionsPage3& tune = *m_pTunePage;
    SetAndCheckModified(tune.m_strParentTuneFile, options.m_strParentTuneFile);
    SetAndCheckModified(tune.m_strDaughterTuneFile, options.m_strDaughterTuneFile);
    SetAndCheckModified(tune.m_strAcquisitionTuneFile, options.m_strAcquisitionTuneFile);

    SetAndCheckModified(m_pAdductsPage->m_Adducts, options.m_Adducts);

    CTessalyOptionsPage5& inlets = *m_pInletsPage;
    SetAndCheckModified(inlets.m_strStage1LCMethod, options.m_strStage1LCMethod);
    SetAndCheckModified(inlets.m_strStage2LCMethod, options.m_strStage2LCMethod);
    SetAndCheckModified(inlets.m_strLoopLCMethod, options.m_strLoopLCMethod);
    SetAndCheckModified(inlets.m_strColumnLCMethod, options.m_strColumnLCMethod);
    SetAndCheckModified(inlets.m_fStage1InjectionVolume, static_cast<float>(options.m_dStage1InjectionVolume));
    SetAndCheckModified(inlets.m_fStage2InjectionVolume, static_cast<float>(options.m_dStage2InjectionVolume));

    SetAndCheckModified(m_pLossesPage->m_Losses, options.m_Losses);

    if (m_pMuxPage)
    {
        SetAndCheckModified(m_pMuxPage->m_bUseMuxMode, options.m_bUseMuxMode);
        SetAndCheckModified(m_pMuxPage->m_bUseInterlacedInjections, options.m_bUseInterlacedInjections);
        setEnumeration(*this, m_pMuxPage->m_eMuxSprays, sprayIndex(options.m_nMuxSprays));
    }
    return *this;
}

void CTessalyOptionsSheet::SetAndCheckModified(double& destination, const double& source)
{
    if (destination != source)
        m_bModified = 1;
    destination = source;
}

void CTessalyOptionsSheet::SetAndCheckModified(float& destination, const float& source)
{
    if (destination != source)
        m_bModified = 1;
    destination = source;
}

void CTessalyOptionsSheet::SetAndCheckModified(int& destination, const int& source)
{
    if (destination != source)
        m_bModified = 1;
    destination = source;
}

void CTessalyOptionsSheet::SetAndCheckModified(CString& destination, const CString& source)
{
    if (destination != source)
        m_bModified = 1;
    destination = source;
}

void CTessalyOptionsSheet::SetAndCheckModified(CAdducts& destination, const CAdducts& source)
{
    if (destination != source)
        m_bModified = 1;
    destination = source;
}

void CTessalyOptionsSheet::SetAndCheckModified(CLosses& destination, const CLosses& source)
{
    if (destination != source)
        m_bModified = 1;
    destination = source;
}

int CTessalyOptionsSheet::Open(const CString& strFile)
{
    if (strFile.IsEmpty())
    {
        OnFileOpen();
        return 1;
    }
    // The name loaded is the name the sheet saves to, whoever calls.
    const CString file = strFile;
    *this = OpenFile(file);
    m_strFile = file;
    m_bModified = 0;
    SetFile(m_strFile, 0);
    showActivePage(*this);
    return 1;
}

int CTessalyOptionsSheet::Save()
{
    if (m_strFile.IsEmpty())
        return 0;
    CBrenmoOptions options;
    options = *this;
    if (!SaveFile(m_strFile, options))
        return 0;
    m_bModified = 0;
    SetFile(m_strFile, 0);
    return 1;
}

BOOL CTessalyOptionsSheet::OnInitDialog()
{
    const BOOL result = CPropertySheet::OnInitDialog();
    auto menu = std::make_unique<CMenu>();
    if (menu->LoadMenu(ui::kEditorMenu))
        SetMenu(menu.release());
    if (!m_strFile.IsEmpty())
        Open(m_strFile);
    return result;
}

int CTessalyOptionsSheet::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    const int result = CPropertySheet::OnCreate(lpCreateStruct);
    if (result == -1)
        return result;
    RECT rect = {};
    GetWindowRect(&rect);
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top - kShorterBy);
    return result;
}

void CTessalyOptionsSheet::DoDataExchange(CDataExchange* pDX)
{
    CPropertySheet::DoDataExchange(pDX);
    CPropertyPage* page = GetActivePage();
    if (page && !page->UpdateData(pDX->m_bSaveAndValidate))
        pDX->Fail();
}

void CTessalyOptionsSheet::OnClose()
{
    // The frame's close button ends the sheet as the platform's own sheets do; OnDestroy then
    // asks about unsaved changes and decides the result.
    releaseMenu(*this);
    EndDialog(IDCANCEL);
}

void CTessalyOptionsSheet::OnDestroy()
{
    UpdateData(TRUE);
    m_nModalResult = IDOK;
    if (m_bModified)
    {
        const int answer = MessageBoxA(GetSafeHwnd(), kSavePrompt, m_strTitle, MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES || !saveMethod(*this))
            m_nModalResult = IDCANCEL;
    }
    releaseMenu(*this);
    CPropertySheet::OnDestroy();
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsSheet::GetMessageMap() const
{
    using Sheet = CTessalyOptionsSheet;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {0, ui::kFileNew, afxHandler(&Sheet::OnFileNew)},   {0, ui::kFileOpen, afxHandler(&Sheet::OnFileOpen)},
        {0, ui::kFileSave, afxHandler(&Sheet::OnFileSave)}, {0, ui::kFileSaveAs, afxHandler(&Sheet::OnFileSaveAs)},
        {0, ui::kFileExit, afxHandler(&Sheet::OnFileExit)}, {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsSheet::OnFileNew()
{
    UpdateData(TRUE);
    if (!offerToSave(*this))
        return;
    const CBrenmoOptions defaults;
    *this = defaults;
    m_strFile.Empty();
    m_bModified = 1;
    SetFile(m_strFile, 1);
    showActivePage(*this);
}

void CTessalyOptionsSheet::OnFileOpen()
{
    // A value that fails its check has been reported; opening another method goes on regardless.
    UpdateData(TRUE);
    if (!offerToSave(*this))
        return;
    CString file = m_strFile;
    if (SelectMethodFile(file))
        Open(file);
}

void CTessalyOptionsSheet::OnFileSave()
{
    // A value that fails its check stops the save, so what is written is what the pages show.
    if (!UpdateData(TRUE) || !m_bModified)
        return;
    saveMethod(*this);
}

void CTessalyOptionsSheet::OnFileSaveAs()
{
    if (!UpdateData(TRUE))
        return;
    saveUnderChosenName(*this);
}

void CTessalyOptionsSheet::OnFileExit()
{
    EndDialog(IDOK);
}
