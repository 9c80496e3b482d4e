// The options record's assignment from the run wizard: the run options the wizard collects.
#include "method/BrenmoOptions.h"
#include "ui/TessalyWizard.h"

CBrenmoOptions& CBrenmoOptions::operator=(const CTessalyWizard& wizard)
{
    m_strMethodFile = wizard.m_strMethodFile;
    m_strCompoundList = wizard.m_strCompoundList;
    m_CompoundListType = wizard.m_CompoundListType;
    m_strAnalysisList = wizard.m_strAnalysisList;
    m_AnalysisListType = wizard.m_AnalysisListType;
    m_bCompoundOptimisation = wizard.m_bCompoundOptimisation;
    m_bAnalysisAndQuantitation = wizard.m_bAnalysisAndQuantitation;
    m_bRunUnattended = wizard.m_bRunUnattended;
    m_bAcquireSampleData = wizard.m_bAcquireSampleData;
    m_bAutoProcessSamples = wizard.m_bAutoProcessSamples;
    m_bAutoQuantifySamples = wizard.m_bAutoQuantifySamples;
    m_bPreRun = wizard.m_bPreRun;
    m_bPostRun = wizard.m_bPostRun;
    m_strPreRunProcess = wizard.m_strPreRunProcess;
    m_strPostRunProcess = wizard.m_strPostRunProcess;
    m_strBaseQuanMethod = wizard.m_strBaseQuanMethod;
    m_strLimsExportFile = wizard.m_strLimsExportFile;
    m_bIntegrateSamples = wizard.m_bIntegrateSamples;
    m_bCalibrateStandards = wizard.m_bCalibrateStandards;
    m_bQuantifySamples = wizard.m_bQuantifySamples;
    m_bPrintQuantifyReports = wizard.m_bPrintQuantifyReports;
    m_bExportResultsToLims = wizard.m_bExportResultsToLims;
    m_bConcatenateGroup = wizard.m_bConcatenateGroup;
    return *this;
}
