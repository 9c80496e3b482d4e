#include "ui/TessalyWizard.h"

#include "ui/RunOptsPages.h"

#include <memory>

namespace
{
// The list type a wizard starts with before the host fills it: no texts, no type.
constexpr tag_SELECT_DATATYPE kNoListType = {"", "", 0, "", ""};
} // namespace

CTessalyWizard::CTessalyWizard(CWnd* pParentWnd)
    : CPropertySheet("Tessaly Wizard", pParentWnd), m_pPage1(nullptr), m_pPage2(nullptr), m_pPage3(nullptr),
      m_bAnalysisAndQuantitation(FALSE), m_bCompoundOptimisation(FALSE), m_bRunUnattended(FALSE),
      m_CompoundListType(kNoListType), m_AnalysisListType(kNoListType), m_bAcquireSampleData(FALSE),
      m_bAutoProcessSamples(FALSE), m_bAutoQuantifySamples(FALSE), m_bPreRun(FALSE), m_bPostRun(FALSE),
      m_bIntegrateSamples(FALSE), m_bCalibrateStandards(FALSE), m_bQuantifySamples(FALSE),
      m_bPrintQuantifyReports(FALSE), m_bExportResultsToLims(FALSE), m_bConcatenateGroup(FALSE)
{
    // The pages look their templates and captions up as they are constructed.
    ui::registerWizardTemplates();
    AfxEnableControlContainer();
    // Held until all three exist, so a failure half-way leaks none.
    auto page1 = std::make_unique<CRunOptsPage1>(this);
    auto page2 = std::make_unique<CRunOptsPage2>(this);
    auto page3 = std::make_unique<CRunOptsPage3>(this);
    m_pPage1 = page1.release();
    m_pPage2 = page2.release();
    m_pPage3 = page3.release();
    AddPage(m_pPage1);
    AddPage(m_pPage2);
    AddPage(m_pPage3);
    SetWizardMode();
}

CTessalyWizard::~CTessalyWizard()
{
    // Without the window, removing a page cannot activate another one on the way out.
    DestroyWindow();
    delete m_pPage1;
    delete m_pPage2;
    delete m_pPage3;
}

CTessalyWizard& CTessalyWizard::operator=(const CTessalyWizard& other)
{
    if (this == &other)
        return *this;
    m_strMethodFile = other.m_strMethodFile;
    m_strCompoundList = other.m_strCompoundList;
    m_strAnalysisList = other.m_strAnalysisList;
    m_bAnalysisAndQuantitation = other.m_bAnalysisAndQuantitation;
    m_bCompoundOptimisation = other.m_bCompoundOptimisation;
    m_bRunUnattended = other.m_bRunUnattended;
    m_CompoundListType = other.m_CompoundListType;
    m_AnalysisListType = other.m_AnalysisListType;
    m_strBaseQuanMethod = other.m_strBaseQuanMethod;
    m_bAcquireSampleData = other.m_bAcquireSampleData;
    m_bAutoProcessSamples = other.m_bAutoProcessSamples;
    m_bAutoQuantifySamples = other.m_bAutoQuantifySamples;
    m_bPreRun = other.m_bPreRun;
    m_bPostRun = other.m_bPostRun;
    m_strPreRunProcess = other.m_strPreRunProcess;
    m_strPostRunProcess = other.m_strPostRunProcess;
    m_bIntegrateSamples = other.m_bIntegrateSamples;
    m_bCalibrateStandards = other.m_bCalibrateStandards;
    m_bQuantifySamples = other.m_bQuantifySamples;
    m_bPrintQuantifyReports = other.m_bPrintQuantifyReports;
    m_bExportResultsToLims = other.m_bExportResultsToLims;
    m_bConcatenateGroup = other.m_bConcatenateGroup;
    m_strLimsExportFile = other.m_strLimsExportFile;
    return *this;
}

CTessalyWizard* CTessalyWizard::CreateObject()
{
    try
    {
        return new CTessalyWizard();
    }
    catch (...)
    {
        return nullptr;
    }
}

void CTessalyWizard::SendDataToPages()
{
    CRunOptsPage1& page1 = *m_pPage1;
    page1.m_strAnalysisList = m_strAnalysisList;
    page1.m_strCompoundList = m_strCompoundList;
    page1.m_strMethodFile = m_strMethodFile;
    page1.m_CompoundListType = m_CompoundListType;
    page1.m_AnalysisListType = m_AnalysisListType;
    page1.m_bAnalysisAndQuantitation = m_bAnalysisAndQuantitation;
    page1.m_bCompoundOptimisation = m_bCompoundOptimisation;
    page1.m_bRunUnattended = m_bRunUnattended;
    page1.m_strBaseQuanMethod = m_strBaseQuanMethod;

    CRunOptsPage2& page2 = *m_pPage2;
    page2.m_bAcquireSampleData = m_bAcquireSampleData;
    page2.m_bAutoProcessSamples = m_bAutoProcessSamples;
    page2.m_bAutoQuantifySamples = m_bAutoQuantifySamples;
    page2.m_bPreRun = m_bPreRun;
    page2.m_bPostRun = m_bPostRun;
    page2.m_strPreRunProcess = m_strPreRunProcess;
    page2.m_strPostRunProcess = m_strPostRunProcess;

    CRunOptsPage3& page3 = *m_pPage3;
    page3.m_bIntegrateSamples = m_bIntegrateSamples;
    page3.m_bCalibrateStandards = m_bCalibrateStandards;
    page3.m_bQuantifySamples = m_bQuantifySamples;
    page3.m_bPrintQuantifyReports = m_bPrintQuantifyReports;
    page3.m_bExportResultsToLims = m_bExportResultsToLims;
    page3.m_bConcatenateGroup = m_bConcatenateGroup;
    page3.m_strLimsExportFile = m_strLimsExportFile;
}

void CTessalyWizard::ReceiveDataFromPages()
{
    const CRunOptsPage1& page1 = *m_pPage1;
    m_strAnalysisList = page1.m_strAnalysisList;
    m_strCompoundList = page1.m_strCompoundList;
    m_strMethodFile = page1.m_strMethodFile;
    m_CompoundListType = page1.m_CompoundListType;
    m_AnalysisListType = page1.m_AnalysisListType;
    m_bAnalysisAndQuantitation = page1.m_bAnalysisAndQuantitation;
    m_bCompoundOptimisation = page1.m_bCompoundOptimisation;
    m_bRunUnattended = page1.m_bRunUnattended;
    m_strBaseQuanMethod = page1.m_strBaseQuanMethod;

    const CRunOptsPage2& page2 = *m_pPage2;
    m_bAcquireSampleData = page2.m_bAcquireSampleData;
    m_bAutoProcessSamples = page2.m_bAutoProcessSamples;
    m_bAutoQuantifySamples = page2.m_bAutoQuantifySamples;
    m_bPreRun = page2.m_bPreRun;
    m_bPostRun = page2.m_bPostRun;
    m_strPreRunProcess = page2.m_strPreRunProcess;
    m_strPostRunProcess = page2.m_strPostRunProcess;

    const CRunOptsPage3& page3 = *m_pPage3;
    m_bIntegrateSamples = page3.m_bIntegrateSamples;
    m_bCalibrateStandards = page3.m_bCalibrateStandards;
    m_bQuantifySamples = page3.m_bQuantifySamples;
    m_bPrintQuantifyReports = page3.m_bPrintQuantifyReports;
    m_bExportResultsToLims = page3.m_bExportResultsToLims;
    m_bConcatenateGroup = page3.m_bConcatenateGroup;
    m_strLimsExportFile = page3.m_strLimsExportFile;
}

BOOL CTessalyWizard::OnInitDialog()
{
    SendDataToPages();
    return CPropertySheet::OnInitDialog();
}

int CTessalyWizard::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    return CPropertySheet::OnCreate(lpCreateStruct) == -1 ? -1 : 0;
}
