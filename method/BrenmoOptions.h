// CBrenmoOptions: the one record every operation reads. It holds the optimisation method (stored
// in a method file), the run options (from the run wizard) and the run state (set by the host).
#pragma once

#include "chemistry/AdductGroup.h"
#include "groups/Group.h"
#include "host/host.h"
#include "method/IonMode.h"
#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/Export.h"
#include "platform/WinTypes.h"

class CTessalyOptionsSheet;
class CTessalyWizard;

/// When the optimisations run.
enum tag_WHENTOOPT : int
{
    WHENTOOPT_PER_GROUP = 0,       // optimise per sample group
    WHENTOOPT_BEFORE_ANALYSES = 1, // optimise every compound before any analysis
};

/// The editor's form of the MUX spray count.
enum tagMUXSPRAYINDEX : int
{
    MUXSPRAY_NONE = -1, // a count other than 1, 2 or 4
    MUXSPRAY_1 = 0,
    MUXSPRAY_2 = 1,
    MUXSPRAY_4 = 2,
};

/// The options record. Voltages are in V, energies in eV, times in seconds, volumes in the
/// inlet's unit. The record owns its strings, lists and arrays but not the instrument behind
/// m_pInstrument. Copies are made only by assignment, which never copies the run state.
class BRENMO_API CBrenmoOptions
{
  public:
    /// Every field at its default.
    CBrenmoOptions();
    /// Copies would carry the run state; assign into a constructed record instead.
    CBrenmoOptions(const CBrenmoOptions&) = delete;
    ~CBrenmoOptions();

    /// Copies the method fields (adducts and losses with flags, masses and names), the run
    /// options except m_strMethodFile, and m_pInstrument; the run state and the target's
    /// m_strMethodFile keep their values. Returns *this.
    CBrenmoOptions& operator=(const CBrenmoOptions& other);
    /// Copies the method fields from the method editor's pages: for each page that exists, every
    /// field it edits (acquisition times and injection volumes pass through single precision).
    /// Without a MUX page the three MUX fields keep their values. Run options and run state are
    /// not touched. Returns *this.
    CBrenmoOptions& operator=(const CTessalyOptionsSheet& sheet);
    /// Copies the run options the run wizard collects (method file, lists and their data types,
    /// steps, processes, base quan method, LIMS export file and the six quantify steps); the method
    /// fields, m_strQuanCalibration, m_pInstrument and the run state keep their values.
    /// Returns *this.
    CBrenmoOptions& operator=(const CTessalyWizard& wizard);

    /// 1 when MUX mode, interlaced injections and the analysis are all on, else 0.
    int IsMuxInterlaced() const;
    /// The number of MUX sprays.
    int MuxSprays() const;
    /// 1 when the cone voltage step is 0 (no cone voltage optimisation), else 0.
    int NoCVOptimisation() const;
    /// 1 when the collision energy step is 0 (no collision energy optimisation), else 0.
    int NoCEOptimisation() const;

    // Method fields, stored in the method file.
    double m_dConeVoltageMin;
    double m_dConeVoltageMax;
    double m_dConeVoltageStep; // 0: no cone voltage optimisation
    double m_dCollisionEnergyMin;
    double m_dCollisionEnergyMax;
    double m_dCollisionEnergyStep; // 0: no collision energy optimisation
    CString m_strIonMode;          // text of a tag_IONMODE, kept as read
    tag_IONMODEOPT m_eIonModeOpt;
    BOOL m_bMSMS; // 1: parent and daughter optimisation; 0: parent only
    tag_WHENTOOPT m_eWhenToOptimise;
    CString m_strQuanMethodParent;
    CString m_strQuanMethodDaughter;
    int m_nFragmentMinSize; // smallest daughter mass the daughter search accepts
    double m_dTotalCycleTime;
    double m_dMaxDwellTime;
    double m_dInterModeTime;
    CString m_strParentTuneFile;
    CString m_strDaughterTuneFile;
    CString m_strAcquisitionTuneFile;
    CAdducts m_Adducts;
    CString m_strStage1LCMethod;
    double m_dStage1InjectionVolume;
    CString m_strStage2LCMethod;
    double m_dStage2InjectionVolume;
    CString m_strLoopLCMethod;
    CString m_strColumnLCMethod;
    CLosses m_Losses; // a selected loss is excluded by the daughter search
    BOOL m_bUseMuxMode;
    BOOL m_bUseInterlacedInjections;
    int m_nMuxSprays; // 1, 2 or 4

    // Run options, from the run wizard.
    CString m_strMethodFile;
    CString m_strCompoundList;
    tag_SELECT_DATATYPE m_CompoundListType;
    CString m_strAnalysisList;
    tag_SELECT_DATATYPE m_AnalysisListType;
    BOOL m_bCompoundOptimisation;
    BOOL m_bAnalysisAndQuantitation;
    BOOL m_bRunUnattended; // no message boxes
    BOOL m_bAcquireSampleData;
    BOOL m_bAutoProcessSamples;
    BOOL m_bAutoQuantifySamples;
    BOOL m_bPreRun;
    BOOL m_bPostRun;
    CString m_strPreRunProcess;
    CString m_strPostRunProcess;
    CString m_strBaseQuanMethod;
    CString m_strQuanCalibration; // set by the host
    CString m_strLimsExportFile;
    BOOL m_bIntegrateSamples;
    BOOL m_bCalibrateStandards;
    BOOL m_bQuantifySamples;
    BOOL m_bPrintQuantifyReports;
    BOOL m_bExportResultsToLims;
    BOOL m_bConcatenateGroup;       // the export file is then a base name
    CHostInstrument* m_pInstrument; // not owned; set by the host

    // Run state, set by the host and never copied.
    CStringList m_lstStrings; // held for the host
    CGroupArray m_GroupArrays[4];
    int m_nGroupOffset;       // added to a group number before indexing m_GroupArrays
    CString m_strProject;     // ends in the project's ".PRO" directory and a backslash
    float m_fStage1QuanValue; // from which a stage-1 quan method is built
    HWND m_hParentWnd;        // owner of host windows while the run is attended
    CString m_strSpare;       // held for the host
    int m_nSpare;             // held for the host
};
