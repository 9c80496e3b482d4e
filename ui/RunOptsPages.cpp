// The run wizard's pages: which wizard buttons each offers, the analysis controls that follow the
// analysis step, the Browse buttons and the rights behind the quantify options.
#include "ui/RunOptsPages.h"

#include "groups/QuanState.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/SplitPath.h"
#include "ui/SelectSampleList.h"

namespace
{
constexpr const char* kSystemList = "SystemList";

// Makes sure the templates exist before a page's constructor looks its own up, so a page made on
// its own (dynamic creation) finds its template and caption as one made by the wizard does.
const char* registeredTemplate(const char* name)
{
    ui::registerWizardTemplates();
    return name;
}

void setWizardButtons(CPropertyPage& page, DWORD buttons)
{
    if (CPropertySheet* sheet = page.sheet())
        sheet->SetWizardButtons(buttons);
}

bool sameTexts(const tag_HXFILE& a, const tag_HXFILE& b)
{
    return a.Directory() == b.Directory() && a.FileName() == b.FileName() && a.Extension() == b.Extension();
}
} // namespace

namespace ui::detail
{
CString fileNameAndExtension(const CString& path)
{
    // _splitpath cuts each part to its buffer, so a path of any length is shown safely.
    char name[_MAX_FNAME];
    char extension[_MAX_EXT];
    _splitpath(path, nullptr, nullptr, name, extension);
    CString shown;
    shown.Format("%s%s", name, extension);
    return shown;
}

void showFileName(CDataExchange* pDX, int id, const CString& path)
{
    if (!pDX->m_bSaveAndValidate)
        pDX->m_pDlgWnd->SetDlgItemText(id, fileNameAndExtension(path));
}
} // namespace ui::detail

// --- CRunOptsPage1 --------------------------------------------------------------------------

CRunOptsPage1::CRunOptsPage1(CTessalyWizard* pWizard)
    : CPropertyPage(registeredTemplate("WIZARDPAGE1"), ui::kPage1Caption), m_pWizard(pWizard),
      m_CompoundListType(ui::detail::defaultListType()), m_AnalysisListType(ui::detail::defaultListType()),
      m_bAnalysisAndQuantitation(FALSE), m_bCompoundOptimisation(FALSE), m_bRunUnattended(FALSE)
{
}

CRunOptsPage1::~CRunOptsPage1() = default;

CRunOptsPage1* CRunOptsPage1::CreateObject()
{
    try
    {
        return new CRunOptsPage1();
    }
    catch (...)
    {
        return nullptr;
    }
}

void CRunOptsPage1::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::page1;
    CPropertyPage::DoDataExchange(pDX);
    ui::detail::showFileName(pDX, kMethodName, m_strMethodFile);
    ui::detail::showFileName(pDX, kCompoundName, m_strCompoundList);
    ui::detail::showFileName(pDX, kAnalysisName, m_strAnalysisList);
    ui::detail::showFileName(pDX, kBaseQuanName, m_strBaseQuanMethod);
    DDX_Check(pDX, kCompoundOptimisation, m_bCompoundOptimisation);
    DDX_Check(pDX, kAnalysisAndQuantitation, m_bAnalysisAndQuantitation);
    DDX_Check(pDX, kRunUnattended, m_bRunUnattended);
}

const AFX_MSGMAP_ENTRY* CRunOptsPage1::GetMessageMap() const
{
    using namespace ui::page1;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, kAnalysisAndQuantitation, afxHandler(&CRunOptsPage1::OnAnalysisAndQuantitation)},
        {BN_CLICKED, kCompoundOptimisation, afxHandler(&CRunOptsPage1::OnCompoundOptimisation)},
        {BN_CLICKED, kMethodBrowse, afxHandler(&CRunOptsPage1::OnBrowseMethodFile)},
        {BN_CLICKED, kCompoundBrowse, afxHandler(&CRunOptsPage1::OnBrowseCompoundList)},
        {BN_CLICKED, kAnalysisBrowse, afxHandler(&CRunOptsPage1::OnBrowseAnalysisList)},
        {BN_CLICKED, kBaseQuanBrowse, afxHandler(&CRunOptsPage1::OnBrowseBaseQuanMethod)},
        {0, 0, nullptr},
    };
    return entries;
}

BOOL CRunOptsPage1::OnInitDialog()
{
    // The rules work from the fields as the wizard sent them. Reading the check boxes first, as
    // the click handlers do, would clear all three flags: the boxes are not filled until the page
    // becomes active.
    SetButtons();
    EnableAnalysisControls();
    return TRUE;
}

BOOL CRunOptsPage1::OnSetActive()
{
    UpdateData(FALSE);
    SetButtons();
    EnableAnalysisControls();
    return CPropertyPage::OnSetActive();
}

BOOL CRunOptsPage1::OnWizardFinish()
{
    UpdateData(TRUE);
    return TRUE;
}

void CRunOptsPage1::SetButtons()
{
    if (m_bAnalysisAndQuantitation)
        setWizardButtons(*this, PSWIZB_NEXT);
    else if (m_bCompoundOptimisation)
        setWizardButtons(*this, PSWIZB_FINISH);
    else
        setWizardButtons(*this, PSWIZB_DISABLEDFINISH);
}

void CRunOptsPage1::EnableAnalysisControls()
{
    using namespace ui::page1;
    for (const int id : {kAnalysisLabel, kAnalysisName, kAnalysisBrowse})
        if (CWnd* control = GetDlgItem(id))
            control->EnableWindow(m_bAnalysisAndQuantitation ? TRUE : FALSE);
}

void CRunOptsPage1::OnAnalysisAndQuantitation()
{
    UpdateData(TRUE);
    SetButtons();
    EnableAnalysisControls();
}

void CRunOptsPage1::OnCompoundOptimisation()
{
    UpdateData(TRUE);
    SetButtons();
}

void CRunOptsPage1::OnBrowseMethodFile()
{
    UpdateData(TRUE);
    if (CTessalyOptionsSheet::SelectMethodFile(m_strMethodFile))
        UpdateData(FALSE);
}

void CRunOptsPage1::OnBrowseCompoundList()
{
    UpdateData(TRUE);
    if (SelectSampleList(nullptr, m_strCompoundList, m_CompoundListType, "Select Compound List"))
        UpdateData(FALSE);
}

void CRunOptsPage1::OnBrowseAnalysisList()
{
    UpdateData(TRUE);
    if (SelectSampleList(nullptr, m_strAnalysisList, m_AnalysisListType, "Select Analysis List"))
        UpdateData(FALSE);
}

void CRunOptsPage1::OnBrowseBaseQuanMethod()
{
    UpdateData(TRUE);
    tag_HXFILE record;
    if (!m_strBaseQuanMethod.IsEmpty())
    {
        // A path the host cannot hold ends the Browse without a dialog.
        if (ConvertPathToHxFile(&record, m_strBaseQuanMethod) == 0)
            return;
    }
    else
    {
        // The current method database only starts the dialog; the field changes only when the
        // user chooses a file.
        GetSystemListValue(kSystemList, "METHOD_DB", 0, &record);
    }
    if (GenOpenFile(nullptr, GetSafeHwnd(), &record, GENOPENFILE_FLAGS, "Select Quantify Method File") == 0)
        return;
    char chosen[MAX_PATH] = {};
    // A path cut to the buffer would name another file, so it is not taken.
    if (ConvertHxFileToPath(chosen, MAX_PATH, &record) == 0)
        return;
    chosen[MAX_PATH - 1] = '\0';
    m_strBaseQuanMethod = chosen;
    UpdateData(FALSE);
}

// --- CRunOptsPage2 --------------------------------------------------------------------------

CRunOptsPage2::CRunOptsPage2(CTessalyWizard* pWizard)
    : CPropertyPage(registeredTemplate("WIZARDPAGE2"), ui::kPage2Caption), m_pWizard(pWizard),
      m_bAcquireSampleData(FALSE), m_bAutoProcessSamples(FALSE), m_bAutoQuantifySamples(FALSE), m_bPreRun(FALSE),
      m_bPostRun(FALSE)
{
}

CRunOptsPage2::~CRunOptsPage2() = default;

CRunOptsPage2* CRunOptsPage2::CreateObject()
{
    try
    {
        return new CRunOptsPage2();
    }
    catch (...)
    {
        return nullptr;
    }
}

void CRunOptsPage2::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::page2;
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, kAcquireSampleData, m_bAcquireSampleData);
    DDX_Check(pDX, kAutoProcessSamples, m_bAutoProcessSamples);
    DDX_Check(pDX, kAutoQuantifySamples, m_bAutoQuantifySamples);
    DDX_Check(pDX, kPreRun, m_bPreRun);
    DDX_Text(pDX, kPreRunProcess, m_strPreRunProcess);
    DDX_Check(pDX, kPostRun, m_bPostRun);
    DDX_Text(pDX, kPostRunProcess, m_strPostRunProcess);
}

const AFX_MSGMAP_ENTRY* CRunOptsPage2::GetMessageMap() const
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, ui::page2::kAutoQuantifySamples, afxHandler(&CRunOptsPage2::OnAutoQuantifySamples)},
        {0, 0, nullptr},
    };
    return entries;
}

BOOL CRunOptsPage2::OnInitDialog()
{
    return TRUE;
}

BOOL CRunOptsPage2::OnSetActive()
{
    UpdateData(FALSE);
    SetButtons();
    return CPropertyPage::OnSetActive();
}

BOOL CRunOptsPage2::OnWizardFinish()
{
    UpdateData(TRUE);
    return TRUE;
}

void CRunOptsPage2::SetButtons()
{
    setWizardButtons(*this, PSWIZB_BACK | (m_bAutoQuantifySamples ? PSWIZB_NEXT : PSWIZB_FINISH));
}

void CRunOptsPage2::OnAutoQuantifySamples()
{
    UpdateData(TRUE);
    SetButtons();
}

// --- CRunOptsPage3 --------------------------------------------------------------------------

CRunOptsPage3::CRunOptsPage3(CTessalyWizard* pWizard)
    : CPropertyPage(registeredTemplate("WIZARDPAGE3"), ui::kPage3Caption), m_pWizard(pWizard),
      m_bIntegrateSamples(FALSE), m_bCalibrateStandards(FALSE), m_bQuantifySamples(FALSE),
      m_bPrintQuantifyReports(FALSE), m_bExportResultsToLims(FALSE), m_bConcatenateGroup(FALSE)
{
}

CRunOptsPage3::~CRunOptsPage3() = default;

CRunOptsPage3* CRunOptsPage3::CreateObject()
{
    try
    {
        return new CRunOptsPage3();
    }
    catch (...)
    {
        return nullptr;
    }
}

void CRunOptsPage3::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::page3;
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, kIntegrateSamples, m_bIntegrateSamples);
    DDX_Check(pDX, kCalibrateStandards, m_bCalibrateStandards);
    DDX_Check(pDX, kQuantifySamples, m_bQuantifySamples);
    DDX_Check(pDX, kPrintQuantifyReports, m_bPrintQuantifyReports);
    DDX_Check(pDX, kExportResultsToLims, m_bExportResultsToLims);
    ui::detail::showFileName(pDX, kLimsExportName, m_strLimsExportFile);
    DDX_Check(pDX, kConcatenateGroup, m_bConcatenateGroup);
}

const AFX_MSGMAP_ENTRY* CRunOptsPage3::GetMessageMap() const
{
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, ui::page3::kLimsExportBrowse, afxHandler(&CRunOptsPage3::OnBrowseLimsExportFile)},
        {0, 0, nullptr},
    };
    return entries;
}

BOOL CRunOptsPage3::OnInitDialog()
{
    using namespace ui::page3;
    struct Step
    {
        int right;
        int id;
        BOOL CRunOptsPage3::*field;
    };
    static constexpr Step kSteps[] = {
        {ui::kRightIntegrate, kIntegrateSamples, &CRunOptsPage3::m_bIntegrateSamples},
        {ui::kRightCalibrate, kCalibrateStandards, &CRunOptsPage3::m_bCalibrateStandards},
        {ui::kRightQuantify, kQuantifySamples, &CRunOptsPage3::m_bQuantifySamples},
    };
    for (const Step& step : kSteps)
    {
        if (CFileAccess::SecurityEnquireNoAudit(0, step.right) != 0)
            continue;
        this->*step.field = FALSE;
        if (CWnd* box = GetDlgItem(step.id))
            box->EnableWindow(FALSE);
    }
    return TRUE;
}

BOOL CRunOptsPage3::OnSetActive()
{
    UpdateData(FALSE);
    setWizardButtons(*this, PSWIZB_BACK | PSWIZB_FINISH);
    return CPropertyPage::OnSetActive();
}

BOOL CRunOptsPage3::OnWizardFinish()
{
    UpdateData(TRUE);
    return TRUE;
}

void CRunOptsPage3::OnBrowseLimsExportFile()
{
    // The chooser starts from the system list's "QUAN_DUMP_FILE", so the page's file is stored
    // there first. That store is the page's, not the user's: when the user cancels, the value the
    // host held before is put back.
    tag_HXFILE previous;
    GetSystemListValue(kSystemList, "QUAN_DUMP_FILE", 0, &previous);
    tag_HXFILE start;
    bool seeded = false;
    if (ConvertPathToHxFile(&start, m_strLimsExportFile) != 0 && !sameTexts(start, previous))
        seeded = SetSystemListValue(kSystemList, "QUAN_DUMP_FILE", &start, 1) != 0;

    UpdateData(TRUE);
    char chosen[MAX_PATH] = {};
    if (ChangeDumpFile(GetSafeHwnd(), chosen) != 0)
    {
        chosen[MAX_PATH - 1] = '\0';
        m_strLimsExportFile = chosen;
        UpdateData(FALSE);
    }
    else if (seeded)
    {
        SetSystemListValue(kSystemList, "QUAN_DUMP_FILE", &previous, 1);
    }
}
