// The three pages of the run wizard: file selection, run options and quantify options. Each page
// edits its own copies of the wizard's fields; the wizard copies them in and out.
#pragma once

#include "host/host.h"
#include "platform/CString.h"
#include "platform/DataExchange.h"
#include "platform/PropertySheet.h"

class CTessalyWizard;

namespace ui
{
/// Registers the wizard's page templates "WIZARDPAGE1" to "WIZARDPAGE3" and their captions
/// (string resources 1200 to 1202), once per process however often it is called. Returns true
/// when all three templates are registered afterwards.
bool registerWizardTemplates();

/// String resources of the page captions.
enum WizardCaption : UINT
{
    kPage1Caption = 1200,
    kPage2Caption = 1201,
    kPage3Caption = 1202,
};

/// Controls of "WIZARDPAGE1".
namespace page1
{
enum : int
{
    kMethodName = 1036,
    kMethodBrowse = 1039,
    kCompoundLabel = 1073,
    kCompoundName = 1037,
    kCompoundBrowse = 1041,
    kAnalysisLabel = 1072,
    kAnalysisName = 1038,
    kAnalysisBrowse = 1042,
    kCompoundOptimisation = 1035,
    kAnalysisAndQuantitation = 1040,
    kRunUnattended = 1043,
    kBaseQuanLabel = 1074,
    kBaseQuanName = 1063,
    kBaseQuanBrowse = 1009,
};
} // namespace page1

/// Controls of "WIZARDPAGE2".
namespace page2
{
enum : int
{
    kAcquireIcon = 137,
    kAcquireSampleData = 104,
    kProcessIcon = 138,
    kAutoProcessSamples = 134,
    kQuantifyIcon = 139,
    kAutoQuantifySamples = 135,
    kProcessGroup = 31001,
    kPreRun = 1027,
    kPreRunProcess = 132,
    kPostRun = 1028,
    kPostRunProcess = 133,
};
} // namespace page2

/// Controls of "WIZARDPAGE3".
namespace page3
{
enum : int
{
    kOptionsGroup = 31002,
    kIntegrateIcon = 136,
    kIntegrateSamples = 124,
    kCalibrateIcon = 138,
    kCalibrateStandards = 141,
    kQuantifyIcon = 135,
    kQuantifySamples = 106,
    kReportIcon = 139,
    kPrintQuantifyReports = 122,
    kDumpIcon = 140,
    kExportResultsToLims = 123,
    kLimsExportName = 1065,
    kLimsExportBrowse = 1011,
    kConcatenateGroup = 1041,
    kLimsGroup = 31003,
};
} // namespace page3

/// Host rights that the quantify options need.
enum QuantifyRight : int
{
    kRightIntegrate = 4003,
    kRightCalibrate = 4001,
    kRightQuantify = 4006,
};

namespace detail
{
/// The name and extension of path, as a path box shows it ("abc.tym" for C:\x\abc.tym).
CString fileNameAndExtension(const CString& path);
/// Shows the name and extension of path in control id when pDX shows fields; path boxes are never
/// read back.
void showFileName(CDataExchange* pDX, int id, const CString& path);
} // namespace detail
} // namespace ui

/// Page 1: the method file, the compound and analysis lists, the steps to run and the base quan
/// method. Offers Next when the analysis runs, Finish when only the optimisation does, and a
/// disabled Finish when neither is chosen.
class CRunOptsPage1 : public CPropertyPage
{
  public:
    explicit CRunOptsPage1(CTessalyWizard* pWizard = nullptr);
    ~CRunOptsPage1() override;
    /// A new page without a wizard (dynamic creation); null when it cannot be made.
    static CRunOptsPage1* CreateObject();

    /// Shows the fields (the page keeps the flags the wizard sent), sets the buttons and enables
    /// the analysis-list controls by the analysis flag. Returns TRUE.
    BOOL OnInitDialog() override;
    /// Shows the fields, sets the buttons and applies the enabling rule.
    BOOL OnSetActive() override;
    /// Takes the controls' values; TRUE, so Finish closes the wizard from this page.
    BOOL OnWizardFinish() override;

    CTessalyWizard* m_pWizard;
    CString m_strAnalysisList;
    CString m_strCompoundList;
    CString m_strMethodFile;
    tag_SELECT_DATATYPE m_CompoundListType;
    tag_SELECT_DATATYPE m_AnalysisListType;
    BOOL m_bAnalysisAndQuantitation;
    BOOL m_bCompoundOptimisation;
    BOOL m_bRunUnattended;
    CString m_strBaseQuanMethod;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnAnalysisAndQuantitation();
    void OnCompoundOptimisation();
    void OnBrowseMethodFile();
    void OnBrowseCompoundList();
    void OnBrowseAnalysisList();
    void OnBrowseBaseQuanMethod();
    void SetButtons();
    void EnableAnalysisControls();
};

/// Page 2: acquisition, processing and quantifying, with the pre- and post-run processes. Offers
/// Next only when the samples are quantified automatically (page 3 holds the quantify options).
class CRunOptsPage2 : public CPropertyPage
{
  public:
    explicit CRunOptsPage2(CTessalyWizard* pWizard = nullptr);
    ~CRunOptsPage2() override;
    /// A new page without a wizard (dynamic creation); null when it cannot be made.
    static CRunOptsPage2* CreateObject();

    /// Does nothing: the fields are shown when the page becomes active. Returns TRUE.
    BOOL OnInitDialog() override;
    /// Shows the fields and sets the buttons.
    BOOL OnSetActive() override;
    /// Takes the controls' values; TRUE, so Finish closes the wizard from this page.
    BOOL OnWizardFinish() override;

    CTessalyWizard* m_pWizard;
    BOOL m_bAcquireSampleData;
    BOOL m_bAutoProcessSamples;
    BOOL m_bAutoQuantifySamples;
    BOOL m_bPreRun;
    BOOL m_bPostRun;
    CString m_strPreRunProcess;
    CString m_strPostRunProcess;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnAutoQuantifySamples();
    void SetButtons();
};

/// Page 3: the quantify steps and the LIMS export file. A step the user has no right to is cleared
/// and disabled when the page is first shown.
class CRunOptsPage3 : public CPropertyPage
{
  public:
    explicit CRunOptsPage3(CTessalyWizard* pWizard = nullptr);
    ~CRunOptsPage3() override;
    /// A new page without a wizard (dynamic creation); null when it cannot be made.
    static CRunOptsPage3* CreateObject();

    /// Asks the host for rights 4003 (integrate), 4001 (calibrate) and 4006 (quantify), in that
    /// order; each refused right clears its step and disables its check box. Returns TRUE.
    BOOL OnInitDialog() override;
    /// Shows the fields and offers Back and Finish.
    BOOL OnSetActive() override;
    /// Takes the controls' values; TRUE, so Finish closes the wizard from this page.
    BOOL OnWizardFinish() override;

    CTessalyWizard* m_pWizard;
    BOOL m_bIntegrateSamples;
    BOOL m_bCalibrateStandards;
    BOOL m_bQuantifySamples;
    BOOL m_bPrintQuantifyReports;
    BOOL m_bExportResultsToLims;
    BOOL m_bConcatenateGroup;
    CString m_strLimsExportFile;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnBrowseLimsExportFile();
};
