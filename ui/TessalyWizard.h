// CTessalyWizard: the run wizard in which the user picks the method file, the compound and
// analysis lists, the steps of the run and the quantify options before a run. It only collects
// choices; the host copies them into its options record.
#pragma once

#include "host/host.h"
#include "platform/CString.h"
#include "platform/Export.h"
#include "platform/PropertySheet.h"

class CRunOptsPage1;
class CRunOptsPage2;
class CRunOptsPage3;

/// A three-page wizard over the run options. The host fills the fields, shows the wizard, calls
/// ReceiveDataFromPages after Finish and assigns the wizard to its options record. The fields
/// mean what the same-named run options of CBrenmoOptions mean; the pages hold their own copies
/// while the wizard is shown. The wizard owns its pages.
class BRENMO_API CTessalyWizard : public CPropertySheet
{
  public:
    /// Titles the sheet "Tessaly Wizard", creates the three pages, adds them in order and makes
    /// the sheet a wizard. Every string is empty, every flag 0, and both list types four empty
    /// texts with type code 0.
    explicit CTessalyWizard(CWnd* pParentWnd = nullptr);
    /// Destroys the window, then the pages.
    ~CTessalyWizard() override;
    /// Copies every field except the page pointers: each wizard keeps its own pages. Returns *this.
    CTessalyWizard& operator=(const CTessalyWizard& other);

    /// A new wizard without a parent window (dynamic creation); null when it cannot be made. The
    /// caller owns it.
    static CTessalyWizard* CreateObject();

    /// Copies each field into the same-named field of the page that edits it.
    void SendDataToPages();
    /// Copies each page's fields back into the wizard.
    void ReceiveDataFromPages();

    /// Sends the fields to the pages, then activates the first page. Returns TRUE.
    BOOL OnInitDialog() override;

    CRunOptsPage1* m_pPage1;
    CRunOptsPage2* m_pPage2;
    CRunOptsPage3* m_pPage3;
    CString m_strMethodFile;
    CString m_strCompoundList;
    CString m_strAnalysisList;
    BOOL m_bAnalysisAndQuantitation;
    BOOL m_bCompoundOptimisation;
    BOOL m_bRunUnattended;
    tag_SELECT_DATATYPE m_CompoundListType;
    tag_SELECT_DATATYPE m_AnalysisListType;
    CString m_strBaseQuanMethod;
    BOOL m_bAcquireSampleData;
    BOOL m_bAutoProcessSamples;
    BOOL m_bAutoQuantifySamples;
    BOOL m_bPreRun;
    BOOL m_bPostRun;
    CString m_strPreRunProcess;
    CString m_strPostRunProcess;
    BOOL m_bIntegrateSamples;
    BOOL m_bCalibrateStandards;
    BOOL m_bQuantifySamples;
    BOOL m_bPrintQuantifyReports;
    BOOL m_bExportResultsToLims;
    BOOL m_bConcatenateGroup;
    CString m_strLimsExportFile;

  protected:
    /// Lets the sheet's own creation run; -1 when it fails, else 0.
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
};
