// The options record: defaults, the assignment that copies method and run options, and the
// accessors the run reads.
#include "method/BrenmoOptions.h"

namespace
{
// Both sample lists start as the host's sample-list database type.
constexpr tag_SELECT_DATATYPE kSampleListDatabase = {"Kelvane 3.x (*.SPL)|*.spl|", "spl", 1, "", ""};

// Allocation block of the host's string list.
constexpr int kStringListBlock = 10;
} // namespace

CBrenmoOptions::CBrenmoOptions()
    : m_dConeVoltageMin(10.0), m_dConeVoltageMax(50.0), m_dConeVoltageStep(6.0), m_dCollisionEnergyMin(10.0),
      m_dCollisionEnergyMax(50.0), m_dCollisionEnergyStep(6.0), m_strIonMode("ESP"), m_eIonModeOpt(IONMODEOPT_POSITIVE),
      m_bMSMS(1), m_eWhenToOptimise(WHENTOOPT_PER_GROUP), m_nFragmentMinSize(50), m_dTotalCycleTime(1.0),
      m_dMaxDwellTime(0.2), m_dInterModeTime(0.2), m_dStage1InjectionVolume(20.0), m_dStage2InjectionVolume(5.0),
      m_bUseMuxMode(0), m_bUseInterlacedInjections(0), m_nMuxSprays(1), m_CompoundListType(kSampleListDatabase),
      m_AnalysisListType(kSampleListDatabase), m_bCompoundOptimisation(0), m_bAnalysisAndQuantitation(1),
      m_bRunUnattended(0), m_bAcquireSampleData(1), m_bAutoProcessSamples(0), m_bAutoQuantifySamples(0), m_bPreRun(0),
      m_bPostRun(0), m_bIntegrateSamples(1), m_bCalibrateStandards(1), m_bQuantifySamples(1),
      m_bPrintQuantifyReports(0), m_bExportResultsToLims(0), m_bConcatenateGroup(0), m_pInstrument(nullptr),
      m_lstStrings(kStringListBlock),
      // The library never writes the group offset or the stage-1 value; the host sets both
      // before the operations that read them.
      m_nGroupOffset(0), m_fStage1QuanValue(0.0f), m_hParentWnd(nullptr), m_nSpare(1)
{
}

CBrenmoOptions::~CBrenmoOptions() = default;

CBrenmoOptions& CBrenmoOptions::operator=(const CBrenmoOptions& other)
{
    if (this == &other)
        return *this;

    // Method fields.
    m_dConeVoltageMin = other.m_dConeVoltageMin;
    m_dConeVoltageMax = other.m_dConeVoltageMax;
    m_dConeVoltageStep = other.m_dConeVoltageStep;
    m_dCollisionEnergyMin = other.m_dCollisionEnergyMin;
    m_dCollisionEnergyMax = other.m_dCollisionEnergyMax;
    m_dCollisionEnergyStep = other.m_dCollisionEnergyStep;
    m_strIonMode = other.m_strIonMode;
    m_eIonModeOpt = other.m_eIonModeOpt;
    m_bMSMS = other.m_bMSMS;
    m_eWhenToOptimise = other.m_eWhenToOptimise;
    m_strQuanMethodParent = other.m_strQuanMethodParent;
    m_strQuanMethodDaughter = other.m_strQuanMethodDaughter;
    m_nFragmentMinSize = other.m_nFragmentMinSize;
    m_dTotalCycleTime = other.m_dTotalCycleTime;
    m_dMaxDwellTime = other.m_dMaxDwellTime;
    m_dInterModeTime = other.m_dInterModeTime;
    m_strParentTuneFile = other.m_strParentTuneFile;
    m_strDaughterTuneFile = other.m_strDaughterTuneFile;
    m_strAcquisitionTuneFile = other.m_strAcquisitionTuneFile;
    m_Adducts = other.m_Adducts;
    m_strStage1LCMethod = other.m_strStage1LCMethod;
    m_dStage1InjectionVolume = other.m_dStage1InjectionVolume;
    m_strStage2LCMethod = other.m_strStage2LCMethod;
    m_dStage2InjectionVolume = other.m_dStage2InjectionVolume;
    m_strLoopLCMethod = other.m_strLoopLCMethod;
    m_strColumnLCMethod = other.m_strColumnLCMethod;
    m_Losses = other.m_Losses;
    m_bUseMuxMode = other.m_bUseMuxMode;
    m_bUseInterlacedInjections = other.m_bUseInterlacedInjections;
    m_nMuxSprays = other.m_nMuxSprays;

    // Run options. The method file is not copied: the target names the file it came from.
    m_strCompoundList = other.m_strCompoundList;
    m_CompoundListType = other.m_CompoundListType;
    m_strAnalysisList = other.m_strAnalysisList;
    m_AnalysisListType = other.m_AnalysisListType;
    m_bCompoundOptimisation = other.m_bCompoundOptimisation;
    m_bAnalysisAndQuantitation = other.m_bAnalysisAndQuantitation;
    m_bRunUnattended = other.m_bRunUnattended;
    m_bAcquireSampleData = other.m_bAcquireSampleData;
    m_bAutoProcessSamples = other.m_bAutoProcessSamples;
    m_bAutoQuantifySamples = other.m_bAutoQuantifySamples;
    m_bPreRun = other.m_bPreRun;
    m_bPostRun = other.m_bPostRun;
    m_strPreRunProcess = other.m_strPreRunProcess;
    m_strPostRunProcess = other.m_strPostRunProcess;
    m_strBaseQuanMethod = other.m_strBaseQuanMethod;
    m_strQuanCalibration = other.m_strQuanCalibration;
    m_strLimsExportFile = other.m_strLimsExportFile;
    m_bIntegrateSamples = other.m_bIntegrateSamples;
    m_bCalibrateStandards = other.m_bCalibrateStandards;
    m_bQuantifySamples = other.m_bQuantifySamples;
    m_bPrintQuantifyReports = other.m_bPrintQuantifyReports;
    m_bExportResultsToLims = other.m_bExportResultsToLims;
    m_bConcatenateGroup = other.m_bConcatenateGroup;
    m_pInstrument = other.m_pInstrument;
    return *this;
}

int CBrenmoOptions::IsMuxInterlaced() const
{
    return (m_bUseMuxMode && m_bUseInterlacedInjections && m_bAnalysisAndQuantitation) ? 1 : 0;
}

int CBrenmoOptions::MuxSprays() const
{
    return m_nMuxSprays;
}

int CBrenmoOptions::NoCVOptimisation() const
{
    return m_dConeVoltageStep == 0.0 ? 1 : 0;
}

int CBrenmoOptions::NoCEOptimisation() const
{
    return m_dCollisionEnergyStep == 0.0 ? 1 : 0;
}
