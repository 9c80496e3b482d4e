// The method editor's resources as data: the seven page templates, their captions, the File menu
// and its status texts. Controls are listed in tab order; a window-system backend lays them out in
// that order, grouped by their group box, so each label comes just before the control it names
// and each path box just before its buttons.
#include "ui/OptionsPages.h"

#include "platform/DialogTemplate.h"
#include "platform/Menu.h"

#include <mutex>
#include <string>
#include <utility>

namespace ui
{
namespace
{
using platform::ControlKind;
using platform::DialogControl;
using platform::DialogTemplate;

constexpr ControlKind kEdit = ControlKind::kEdit;
constexpr ControlKind kReadOnly = ControlKind::kReadOnlyEdit;
constexpr ControlKind kCheck = ControlKind::kCheckBox;
constexpr ControlKind kRadio = ControlKind::kRadioButton;
constexpr ControlKind kButton = ControlKind::kPushButton;
constexpr ControlKind kGroup = ControlKind::kGroupBox;
constexpr ControlKind kStatic = ControlKind::kStaticText;
constexpr ControlKind kList = ControlKind::kDropDownList;

// An unnamed static label in group box.
DialogControl label(const char* text, int group)
{
    return {0, kStatic, text, group};
}

// A ramp box: whole numbers only, so typing takes digits and nothing else.
DialogControl rampEdit(int id, int group)
{
    return {id, kEdit, "", group, false, true};
}

DialogTemplate optimisationTemplate()
{
    using namespace optimisation;
    return {"TY_OPTIMISATION",
            0,
            "Optimisation",
            {
                {kConeVoltageGroup, kGroup, "Cone Voltage"},
                label("m&in", kConeVoltageGroup),
                rampEdit(kConeVoltageMin, kConeVoltageGroup),
                label("m&ax", kConeVoltageGroup),
                rampEdit(kConeVoltageMax, kConeVoltageGroup),
                label("s&tep", kConeVoltageGroup),
                rampEdit(kConeVoltageStep, kConeVoltageGroup),
                {kIonisationGroup, kGroup, "Ionisation M&ode"},
                {kIonSource, kList, "", kIonisationGroup},
                {kPositive, kRadio, "+ve", kIonisationGroup, true},
                {kNegative, kRadio, "-ve", kIonisationGroup},
                {kBoth, kRadio, "&both", kIonisationGroup},
                {kCollisionEnergyGroup, kGroup, "Collision Energy"},
                label("mi&n", kCollisionEnergyGroup),
                rampEdit(kCollisionEnergyMin, kCollisionEnergyGroup),
                label("ma&x", kCollisionEnergyGroup),
                rampEdit(kCollisionEnergyMax, kCollisionEnergyGroup),
                label("st&ep", kCollisionEnergyGroup),
                rampEdit(kCollisionEnergyStep, kCollisionEnergyGroup),
                {kMethodCreationGroup, kGroup, "MS Method Creation"},
                {kMS, kRadio, "&MS", kMethodCreationGroup, true},
                {kMSMS, kRadio, "M&SMS", kMethodCreationGroup},
                {kWhenGroup, kGroup, "Do Optimisations..."},
                {kPerGroup, kRadio, "&Per sample group", kWhenGroup, true},
                {kBeforeAnalyses, kRadio, "Be&fore any analyses", kWhenGroup},
                {kPeakDetectionGroup, kGroup, "Optimisation Peak Detection Parameters"},
                label("MS Quan Method:", kPeakDetectionGroup),
                {kParentName, kReadOnly, "", kPeakDetectionGroup},
                {kParentBrowse, kButton, "Bro&wse", kPeakDetectionGroup},
                label("MSMS Quan Method:", kPeakDetectionGroup),
                {kDaughterName, kReadOnly, "", kPeakDetectionGroup},
                {kDaughterBrowse, kButton, "B&rowse", kPeakDetectionGroup},
                {kFragmentGroup, kGroup, "Fra&gment Size"},
                label("min&:", kFragmentGroup),
                {kFragmentMin, kEdit, "", kFragmentGroup},
            }};
}

DialogTemplate acquisitionTemplate()
{
    using namespace acquisition;
    return {"TY_ACQUIRE",
            0,
            "Acquisition",
            {
                {kScanGroup, kGroup, "Scan Parameters"},
                label("Total &Cycle Time", kScanGroup),
                {kTotalCycleTime, kEdit, "", kScanGroup},
                label("Max &Dwell Time", kScanGroup),
                {kMaxDwellTime, kEdit, "", kScanGroup},
                {kSwitchingGroup, kGroup, "Ion Mode Switching Parameters"},
                label("&Inter Mode Delay", kSwitchingGroup),
                {kInterModeTime, kEdit, "", kSwitchingGroup},
            }};
}

DialogTemplate tuneTemplate()
{
    using namespace tune;
    return {"TY_TUNE",
            0,
            "Tune Files",
            {
                {kParentGroup, kGroup, "MS Optimisation"},
                {kParentName, kReadOnly, "", kParentGroup},
                {kParentBrowse, kButton, "&Browse...", kParentGroup},
                {kDaughterGroup, kGroup, "MSMS Optimisation"},
                {kDaughterName, kReadOnly, "", kDaughterGroup},
                {kDaughterBrowse, kButton, "B&rowse...", kDaughterGroup},
                {kAcquisitionGroup, kGroup, "Acquisition"},
                {kAcquisitionName, kReadOnly, "", kAcquisitionGroup},
                {kAcquisitionBrowse, kButton, "Br&owse...", kAcquisitionGroup},
            }};
}

// The Adducts page: each row is the species' check box and its sign; a user row adds its number
// label and mass box. "NH4" is written with a separate subscript 4 and closing bracket.
DialogTemplate adductsTemplate()
{
    using namespace adducts;
    return {"TY_ADDUCTS",
            0,
            "Adducts",
            {
                {kNegativeGroup, kGroup, "Negative Ion"},
                {kHydrogenMinus, kCheck, "[M &- H]", kNegativeGroup, true},
                {kNegSign1, kStatic, "-", kNegativeGroup},
                {kUserNeg1, kCheck, "[M - ?]", kNegativeGroup, true},
                {kNegSign2, kStatic, "-", kNegativeGroup},
                {kNeg1Label, kStatic, "&1", kNegativeGroup},
                {kUserNeg1Mass, kEdit, "", kNegativeGroup},
                {kUserNeg2, kCheck, "[M - ?]", kNegativeGroup, true},
                {kNegSign3, kStatic, "-", kNegativeGroup},
                {kNeg2Label, kStatic, "&2", kNegativeGroup},
                {kUserNeg2Mass, kEdit, "", kNegativeGroup},
                {kPositiveGroup, kGroup, "Positive Ion"},
                {kHydrogenPlus, kCheck, "[M &+ H]", kPositiveGroup, true},
                {kPosSign1, kStatic, "+", kPositiveGroup},
                {kSodium, kCheck, "[M + N&a]", kPositiveGroup, true},
                {kPosSign2, kStatic, "+", kPositiveGroup},
                {kAmmonia, kCheck, "[M + &NH", kPositiveGroup, true},
                {kAmmoniaFour, kStatic, "4", kPositiveGroup},
                {kAmmoniaClose, kStatic, "]", kPositiveGroup},
                {kUserPos3, kCheck, "[M + ?]", kPositiveGroup, true},
                {kPosSign3, kStatic, "+", kPositiveGroup},
                {kPos3Label, kStatic, "&3", kPositiveGroup},
                {kUserPos3Mass, kEdit, "", kPositiveGroup},
                {kUserPos4, kCheck, "[M + ?]", kPositiveGroup, true},
                {kPosSign4, kStatic, "+", kPositiveGroup},
                {kPos4Label, kStatic, "&4", kPositiveGroup},
                {kUserPos4Mass, kEdit, "", kPositiveGroup},
                {kUserPos5, kCheck, "[M + ?]", kPositiveGroup, true},
                {kPosSign5, kStatic, "+", kPositiveGroup},
                {kPos5Label, kStatic, "&5", kPositiveGroup},
                {kUserPos5Mass, kEdit, "", kPositiveGroup},
            }};
}

DialogTemplate inletsTemplate()
{
    using namespace inlets;
    return {"TY_INLETS",
            0,
            "Inlet Methods",
            {
                {kStage1Group, kGroup, "Optimisation LC Method"},
                {kStage1Name, kReadOnly, "", kStage1Group},
                {kStage1Browse, kButton, "&Browse...", kStage1Group},
                label("&Injection &Volume", kStage1Group),
                {kStage1Volume, kEdit, "", kStage1Group},
                {kStage2Group, kGroup, "Acquisition LC Method"},
                {kStage2Name, kReadOnly, "", kStage2Group},
                {kStage2Browse, kButton, "B&rowse...", kStage2Group},
                label("I&njection Volume", kStage2Group),
                {kStage2Volume, kEdit, "", kStage2Group},
                {kValveGroup, kGroup, "Valve Switching Methods"},
                label("&Loop:", kValveGroup),
                {kLoopName, kReadOnly, "", kValveGroup},
                {kLoopBrowse, kButton, "Br&owse...", kValveGroup},
                {kLoopClear, kButton, "Cl&ear", kValveGroup},
                label("&Column:", kValveGroup),
                {kColumnName, kReadOnly, "", kValveGroup},
                {kColumnBrowse, kButton, "Bro&wse...", kValveGroup},
                {kColumnClear, kButton, "Cle&ar", kValveGroup},
            }};
}

DialogTemplate lossesTemplate()
{
    using namespace losses;
    return {"TY_LOSS",
            0,
            "Losses",
            {
                {kLossGroup, kGroup, "Disallow Loss Of..."},
                {kWater, kCheck, "&H2O", kLossGroup, true},
                {kCarbonDioxide, kCheck, "&CO2", kLossGroup, true},
                {kUser1, kCheck, "&Mass", kLossGroup, true},
                label("&1", kLossGroup),
                {kUser1Mass, kEdit, "", kLossGroup},
                {kUser2, kCheck, "M&ass", kLossGroup, true},
                label("&2", kLossGroup),
                {kUser2Mass, kEdit, "", kLossGroup},
                {kUser3, kCheck, "Ma&ss", kLossGroup, true},
                label("&3", kLossGroup),
                {kUser3Mass, kEdit, "", kLossGroup},
            }};
}

DialogTemplate muxTemplate()
{
    using namespace mux;
    return {"TY_MUX",
            0,
            "MUX",
            {
                {kUseMux, kCheck, "Enable &MUX Mode", 0, true},
                {kInterlaced, kCheck, "Interlaced Injection Mode", 0, true},
                {kSpraysGroup, kGroup, "Sprays"},
                {kOneSpray, kRadio, "&1", kSpraysGroup, true},
                {kTwoSprays, kRadio, "&2", kSpraysGroup},
                {kFourSprays, kRadio, "&4", kSpraysGroup},
            }};
}

// The File menu. The shortcut texts are part of the labels; no accelerator table goes with them.
platform::MenuTemplate editorMenu()
{
    platform::MenuItem file{"&File", 0, false, {}};
    file.popup = {
        {"&New\tCtrl+N", kFileNew, false, {}},
        {"&Open...\tCtrl+O", kFileOpen, false, {}},
        {"&Save\tCtrl+S", kFileSave, false, {}},
        {"Save &As...\tCtrl+A", kFileSaveAs, false, {}},
        {"", 0, true, {}},
        {"E&xit\tCtrl+X", kFileExit, false, {}},
    };
    return {kEditorMenu, {file}};
}

bool registerAll()
{
    const std::pair<UINT, const char*> captions[] = {
        {kOptimisationCaption, "Optimisation"},
        {kAcquisitionCaption, "Acquisition"},
        {kTuneCaption, "Tune Files"},
        {kAdductsCaption, "Adducts"},
        {kInletsCaption, "Inlet Methods"},
        {kLossesCaption, "Losses"},
        {kMuxCaption, "MUX"},
    };
    // A status text is the prompt, a line break and the tooltip, as the platform's status bar
    // reads it.
    const std::pair<UINT, const char*> statusTexts[] = {
        {kFileNew, "Create a new Tessaly method\nNew"},
        {kFileOpen, "Open an existing Tessaly method\nOpen"},
        {kFileSave, "Save the active Tessaly method\nSave"},
        {kFileSaveAs, "Save the active Tessaly method with a new name\nSave As"},
        {kFileExit, "Exit Tessaly Method Editor\nExit"},
    };
    for (const auto& [id, text] : captions)
        platform::registerStringResource(id, text);
    for (const auto& [id, text] : statusTexts)
        platform::registerStringResource(id, text);

    bool registered = true;
    for (DialogTemplate layout : {optimisationTemplate(), acquisitionTemplate(), tuneTemplate(), adductsTemplate(),
                                  inletsTemplate(), lossesTemplate(), muxTemplate()})
        registered = platform::registerDialogTemplate(std::move(layout)) && registered;
    return platform::registerMenuTemplate(editorMenu()) && registered;
}
} // namespace

bool registerMethodEditorResources()
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] { registered = registerAll(); });
    return registered;
}
} // namespace ui
