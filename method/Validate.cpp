// The pre-run check of a method and its run options against the current project: every finding
// becomes one line of the message the host shows, errors stop the run, warnings do not.
#include "host/host.h"
#include "method/TessalyOptionsSheet.h"

namespace
{
// The findings of one validation and whether any of them is an error.
class Findings
{
  public:
    explicit Findings(CString& messages) : messages_(messages)
    {
        messages_.Empty();
    }

    void error(const char* text)
    {
        messages_ += text;
        failed_ = true;
    }
    void warning(const char* text)
    {
        messages_ += text;
    }
    bool failed() const
    {
        return failed_;
    }

  private:
    CString& messages_;
    bool failed_ = false;
};

// Whether path lies in the project whose key is projectKey.
bool inProject(const CString& path, const CString& projectKey)
{
    CString key = path;
    CTessalyOptionsSheet::GetProject(key);
    return key.CompareNoCase(projectKey.GetString()) == 0;
}

// Whether the file exists and can be opened for reading and writing, which the run will need;
// nothing is created. Readers may share it: a list open in a viewer is still usable.
bool opens(const CString& path)
{
    if (path.IsEmpty())
        return false;
    const HANDLE handle =
        CFileAccess::CreateFileS(path.GetString(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr, 1);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return false;
    CFileAccess::CloseHandleS(handle);
    return true;
}
} // namespace

int CTessalyOptionsSheet::Validate(CString& strMessages, CBrenmoOptions& options)
{
    Findings findings(strMessages);
    CString project = options.m_strProject;
    GetProject(project);
    const auto outside = [&project](const CString& path) { return !inProject(path, project); };

    const CBrenmoOptions& o = options;
    const bool analysis = o.m_bAnalysisAndQuantitation != 0;
    const bool quantify = analysis && o.m_bAutoQuantifySamples;

    if (o.m_bMSMS && o.m_Adducts.m_Sodium.Allowed())
        findings.warning("Sodium adduct not recommended for MSMS methods\n");

    if (analysis)
    {
        if (o.m_strAcquisitionTuneFile.IsEmpty())
            findings.error("Must have an acquisition tune file selected\n");
        else if (outside(o.m_strAcquisitionTuneFile))
            findings.warning("Acquisition tune file not in this project\n");
    }
    if (quantify && (o.m_bIntegrateSamples || o.m_bCalibrateStandards || o.m_bQuantifySamples))
    {
        if (o.m_strBaseQuanMethod.IsEmpty())
            findings.warning("No acquisition quan method selected\n");
        else if (outside(o.m_strBaseQuanMethod))
            findings.warning("Acquisiton template quan method file not in this project\n");
    }
    if (quantify && o.m_bCalibrateStandards && o.m_strQuanCalibration.IsEmpty())
        findings.error("No quan calibration name selected\n");
    if (quantify && (o.m_bExportResultsToLims || o.m_bConcatenateGroup) && o.m_strLimsExportFile.IsEmpty())
        findings.error(o.m_bConcatenateGroup ? "No LIMS export file basename selected\n"
                                             : "No LIMS export file name selected\n");

    if (o.m_bMSMS)
    {
        if (o.m_strDaughterTuneFile.IsEmpty())
            findings.error("Must have a daughter scanning tune file selected\n");
        else if (outside(o.m_strDaughterTuneFile))
            findings.warning("MSMS tune file not in this project\n");
        if (o.m_strQuanMethodDaughter.IsEmpty())
            findings.warning("No daughter scanning quan method selected\n");
        else if (outside(o.m_strQuanMethodDaughter))
            findings.warning("MSMS template quan method file not in this project\n");
    }

    if (o.m_strParentTuneFile.IsEmpty())
        findings.error("Must have a parent scanning tune file selected\n");
    else if (outside(o.m_strParentTuneFile))
        findings.warning("MS tune file not in this project\n");
    if (o.m_strQuanMethodParent.IsEmpty())
        findings.warning("No parent scanning quan method selected\n");
    else if (outside(o.m_strQuanMethodParent))
        findings.warning("MS template quan method file not in this project\n");

    if (analysis)
    {
        if (o.m_strStage2LCMethod.IsEmpty())
            findings.error("Acquire and Quantify requires an lc method\n");
        else if (outside(o.m_strStage2LCMethod))
            findings.warning("Column inlet method file not in this project\n");
        if (o.m_strAnalysisList.IsEmpty())
            findings.error("Acquire and Quantify requires an analysis file\n");
        else if (!opens(o.m_strAnalysisList))
            findings.error("Analysis file cannot be opened\n");
        if (!(o.m_dStage2InjectionVolume > 0.0))
            findings.error("Acquisition injection volume invalid\n");
    }

    if (o.m_strStage1LCMethod.IsEmpty())
        findings.error("Must have an optimisation lc method selected\n");
    else if (outside(o.m_strStage1LCMethod))
        findings.warning("Loop inlet method file not in this project\n");
    if (o.m_strCompoundList.IsEmpty())
        findings.error("Must have a compound file selected\n");
    else if (!opens(o.m_strCompoundList))
        findings.error("Compound file cannot be opened\n");
    if (!o.m_strLoopLCMethod.IsEmpty() && outside(o.m_strLoopLCMethod))
        findings.warning("Loop switching inlet method file not in this project\n");
    if (!o.m_strColumnLCMethod.IsEmpty() && outside(o.m_strColumnLCMethod))
        findings.warning("Column switching inlet method file not in this project\n");
    // "Not above 0" also catches a NaN volume, which no comparison finds valid.
    if (!(o.m_dStage1InjectionVolume > 0.0))
        findings.error("Optimisation injection volume invalid\n");

    // A pre- or post-run step without a process to run would fail mid-run; it is switched off.
    if (options.m_strPreRunProcess.IsEmpty())
        options.m_bPreRun = 0;
    if (options.m_strPostRunProcess.IsEmpty())
        options.m_bPostRun = 0;

    if (!opens(o.m_strMethodFile))
        findings.error("Tessaly method file cannot be opened\n");
    if (outside(o.m_strMethodFile))
        findings.warning("Tessaly method file not in this project\n");

    return findings.failed() ? 0 : 1;
}
