// The method editor's seven option pages and the control ids of their templates. Each page holds
// its share of the method while it is edited: it moves values between its controls and its fields,
// checks ranges as the user leaves a box, marks the sheet modified on the first change and fills
// file names through Browse buttons. The sheet copies between the pages and a CBrenmoOptions.
#pragma once

#include "chemistry/AdductGroup.h"
#include "method/BrenmoOptions.h"
#include "method/IonMode.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/CString.h"
#include "platform/DataExchange.h"
#include "platform/Export.h"
#include "platform/PropertySheet.h"

namespace ui
{
/// Registers the seven page templates, their captions (string resources 1100 to 1106), the
/// editor's menu (resource 139) and its status texts (string resources of the command ids), once
/// per process however often it is called. Returns true when every one was registered.
BRENMO_API bool registerMethodEditorResources();

/// String resources of the page captions.
enum OptionsCaption : UINT
{
    kOptimisationCaption = 1100,
    kAcquisitionCaption = 1101,
    kTuneCaption = 1102,
    kAdductsCaption = 1103,
    kInletsCaption = 1104,
    kLossesCaption = 1105,
    kMuxCaption = 1106,
};

/// The editor's menu resource and its commands (the ids the platform gives these commands).
enum EditorMenu : UINT
{
    kEditorMenu = 139,
    kFileNew = 57600,
    kFileOpen = 57601,
    kFileSave = 57603,
    kFileSaveAs = 57604,
    kFileExit = 32775,
};

/// Controls of "TY_OPTIMISATION".
namespace optimisation
{
enum : int
{
    kConeVoltageMin = 1002,
    kConeVoltageMax = 1003,
    kConeVoltageStep = 1004,
    kCollisionEnergyMin = 1005,
    kCollisionEnergyMax = 1006,
    kCollisionEnergyStep = 1007,
    kParentBrowse = 1008,
    kDaughterBrowse = 1009,
    kMS = 1010,
    kMSMS = 1011,
    kIonSource = 1012,
    kPositive = 1013,
    kNegative = 1014,
    kBoth = 1015,
    kFragmentMin = 1016,
    kParentName = 1059,
    kDaughterName = 1062,
    kPerGroup = 1071,
    kBeforeAnalyses = 1072,
    kConeVoltageGroup = 30001,
    kIonisationGroup = 30002,
    kCollisionEnergyGroup = 30003,
    kMethodCreationGroup = 30004,
    kWhenGroup = 30005,
    kPeakDetectionGroup = 30006,
    kFragmentGroup = 30007,
};
} // namespace optimisation

/// Controls of "TY_ACQUIRE".
namespace acquisition
{
enum : int
{
    kTotalCycleTime = 1023,
    kMaxDwellTime = 1024,
    kInterModeTime = 1025,
    kScanGroup = 30011,
    kSwitchingGroup = 30012,
};
} // namespace acquisition

/// Controls of "TY_TUNE".
namespace tune
{
enum : int
{
    kParentName = 1033,
    kParentBrowse = 1034,
    kDaughterName = 1035,
    kDaughterBrowse = 1036,
    kAcquisitionName = 1037,
    kAcquisitionBrowse = 1038,
    kParentGroup = 30021,
    kDaughterGroup = 30022,
    kAcquisitionGroup = 30023,
};
} // namespace tune

/// Controls of "TY_ADDUCTS". Positions name the species of a CAdducts.
namespace adducts
{
enum : int
{
    kHydrogenMinus = 1030,
    kUserNeg1 = 1040,
    kUserNeg2 = 1042,
    kUserNeg1Mass = 1041,
    kUserNeg2Mass = 1043,
    kNeg1Label = 1049,
    kNeg2Label = 1050,
    kNegSign1 = 1054,
    kNegSign2 = 1055,
    kNegSign3 = 1056,
    kHydrogenPlus = 1031,
    kSodium = 1034,
    kAmmonia = 1033,
    kAmmoniaFour = 1060,
    kAmmoniaClose = 1059,
    kUserPos3 = 1037,
    kUserPos4 = 1038,
    kUserPos5 = 1036,
    kUserPos3Mass = 1035,
    kUserPos4Mass = 1039,
    kUserPos5Mass = 1032,
    kPos3Label = 1051,
    kPos4Label = 1052,
    kPos5Label = 1053,
    kPosSign1 = 1057,
    kPosSign2 = 1058,
    kPosSign3 = 1061,
    kPosSign4 = 1062,
    kPosSign5 = 1063,
    kNegativeGroup = 30031,
    kPositiveGroup = 30032,
};
} // namespace adducts

/// Controls of "TY_INLETS".
namespace inlets
{
enum : int
{
    kStage1Name = 1000,
    kStage1Browse = 1001,
    kStage1Volume = 1016,
    kStage2Volume = 1017,
    kStage2Name = 1019,
    kStage2Browse = 1020,
    kLoopName = 1021,
    kLoopBrowse = 1022,
    kColumnName = 1023,
    kColumnBrowse = 1024,
    kLoopClear = 1048,
    kColumnClear = 1049,
    kStage1Group = 30041,
    kStage2Group = 30042,
    kValveGroup = 30043,
};
} // namespace inlets

/// Controls of "TY_LOSS".
namespace losses
{
enum : int
{
    kWater = 1043,
    kCarbonDioxide = 1044,
    kUser1 = 1040,
    kUser2 = 1042,
    kUser3 = 1037,
    kUser1Mass = 1045,
    kUser2Mass = 1046,
    kUser3Mass = 1047,
    kLossGroup = 30051,
};
} // namespace losses

/// Controls of "TY_MUX".
namespace mux
{
enum : int
{
    kUseMux = 1067,
    kInterlaced = 1069,
    kSpraysGroup = 1068,
    kOneSpray = 1064,
    kTwoSprays = 1065,
    kFourSprays = 1066,
};
} // namespace mux
} // namespace ui

/// The "Optimisation" page: cone voltage and collision energy ramps, ion source and polarity, MS
/// or MSMS methods, when to optimise, the template quan methods and the smallest fragment. Ramp
/// values are whole numbers; the collision energy, the daughter quan method and the fragment size
/// are used (and enabled) in MSMS mode only.
class CTessalyOptionsPage1 : public CPropertyPage
{
  public:
    explicit CTessalyOptionsPage1(CTessalyOptionsSheet* pSheet);
    ~CTessalyOptionsPage1() override;

    /// Fills the ion source list ("ESP", "APcI"), then shows the fields.
    BOOL OnInitDialog() override;

    CTessalyOptionsSheet* m_pSheet;
    tag_IONMODE m_eIonMode;
    tag_IONMODEOPT m_eIonModeOpt;
    tag_WHENTOOPT m_eWhenToOptimise;
    /// 1 for MSMS methods, 0 for MS methods (the index of the checked MS/MSMS button).
    int m_nMSMode;
    double m_dCollisionEnergyMax;
    double m_dCollisionEnergyMin;
    double m_dCollisionEnergyStep;
    double m_dConeVoltageMax;
    double m_dConeVoltageMin;
    double m_dConeVoltageStep;
    CString m_strQuanMethodParent;
    CString m_strQuanMethodDaughter;
    int m_nFragmentMinSize;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnBrowseParent();
    void OnBrowseDaughter();
    void OnTakeValues();
    void OnMarkModified();
    /// Enables the MSMS-only controls exactly in MSMS mode.
    void EnableMSMSControls();
};

/// The "Acquisition" page: scan timings in seconds, held in single precision.
class CTessalyOptionsPage2 : public CPropertyPage
{
  public:
    explicit CTessalyOptionsPage2(CTessalyOptionsSheet* pSheet);
    ~CTessalyOptionsPage2() override;

    /// Shows the fields.
    BOOL OnInitDialog() override;

    CTessalyOptionsSheet* m_pSheet;
    float m_fMaxDwellTime;
    float m_fTotalCycleTime;
    float m_fInterModeTime;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnTakeValues();
};

/// The "Tune Files" page: the parent, daughter and acquisition tune files, changed only through
/// the Browse buttons. The daughter (MSMS) controls are enabled in MSMS mode only.
class CTessalyOptionsPage3 : public CPropertyPage
{
  public:
    explicit CTessalyOptionsPage3(CTessalyOptionsSheet* pSheet);
    ~CTessalyOptionsPage3() override;

    /// Stores the MS/MSMS choice and, when the window exists, enables the daughter tune controls
    /// exactly when bMSMS is non-zero.
    void SetMSMS(int bMSMS);

    CTessalyOptionsSheet* m_pSheet;
    int m_bMSMS;
    CString m_strParentTuneFile;
    CString m_strDaughterTuneFile;
    CString m_strAcquisitionTuneFile;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnBrowseParent();
    void OnBrowseDaughter();
    void OnBrowseAcquisition();
};

class CTessalyOptionsPage4;

/// A user mass box of the Adducts page: leaving it takes the page's values, except when the focus
/// goes to one of the user adduct check boxes (whose own handler follows) or an exchange of the
/// page is already running.
class CAdductMassEdit : public CEdit
{
  public:
    explicit CAdductMassEdit(CTessalyOptionsPage4* pPage = nullptr);
    ~CAdductMassEdit() override;

    CTessalyOptionsPage4* m_pPage;

  protected:
    void OnKillFocus(CWnd* pNewWnd) override;
};

/// The "Adducts" page: which adducts the parent search may use, and the user masses. The negative
/// group (positions 0-2) and the positive group (3-8) are enabled by the polarity; a user mass box
/// is enabled when its check box is ticked. Negative user masses are shown as magnitudes.
class CTessalyOptionsPage4 : public CPropertyPage
{
  public:
    explicit CTessalyOptionsPage4(CTessalyOptionsSheet* pSheet);
    ~CTessalyOptionsPage4() override;

    /// Stores which groups are enabled and, when the window exists, enables or disables every
    /// control of each group, then the user mass boxes by their ticks.
    void SetGroups(int bPositiveEnabled, int bNegativeEnabled);

    CTessalyOptionsSheet* m_pSheet;
    /// 1 while the page's exchange runs; a second exchange meanwhile does nothing.
    int m_bInExchange;
    int m_bPositiveEnabled;
    int m_bNegativeEnabled;
    CAdductMassEdit m_editUserNeg1Mass;
    CAdductMassEdit m_editUserNeg2Mass;
    CAdductMassEdit m_editUserPos3Mass;
    CAdductMassEdit m_editUserPos4Mass;
    CAdductMassEdit m_editUserPos5Mass;
    CAdducts m_Adducts;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnMarkModified();
    void OnUserAdduct();
    /// Enables each user mass box and its number label exactly when its group is enabled and its
    /// check box is ticked.
    void EnableUserMasses();
};

/// The "Inlet Methods" page: the optimisation and acquisition LC methods with their injection
/// volumes (whole numbers, no range), and the two valve switching methods, which may be cleared.
class CTessalyOptionsPage5 : public CPropertyPage
{
  public:
    explicit CTessalyOptionsPage5(CTessalyOptionsSheet* pSheet);
    ~CTessalyOptionsPage5() override;

    CTessalyOptionsSheet* m_pSheet;
    float m_fStage1InjectionVolume;
    float m_fStage2InjectionVolume;
    CString m_strStage1LCMethod;
    CString m_strStage2LCMethod;
    CString m_strLoopLCMethod;
    CString m_strColumnLCMethod;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnBrowseStage1();
    void OnBrowseStage2();
    void OnBrowseLoop();
    void OnBrowseColumn();
    void OnClearLoop();
    void OnClearColumn();
    void OnTakeValues();
};

/// The "Losses" page: the neutral losses whose product ions the daughter search must not pick,
/// with three user masses from 0 to 1000.
class CTessalyOptionsPage6 : public CPropertyPage
{
  public:
    explicit CTessalyOptionsPage6(CTessalyOptionsSheet* pSheet);
    ~CTessalyOptionsPage6() override;

    CTessalyOptionsSheet* m_pSheet;
    CLosses m_Losses;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnMarkModified();
    void OnTakeValues();
};

/// The "MUX" page: the multi-sprayer inlet, interlaced injections and the number of sprays; the
/// last two are enabled only in MUX mode.
class CTessalyOptionsPage7 : public CPropertyPage
{
  public:
    explicit CTessalyOptionsPage7(CTessalyOptionsSheet* pSheet);
    ~CTessalyOptionsPage7() override;

    CTessalyOptionsSheet* m_pSheet;
    int m_bUseMuxMode;
    int m_bUseInterlacedInjections;
    tagMUXSPRAYINDEX m_eMuxSprays;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

  private:
    void OnUseMux();
    void OnMarkModified();
};
