// The method editor's option pages: their data exchange with range checks, the enabling rules
// that follow the MS/MSMS choice, the polarity and the user adduct ticks, and the Browse buttons.
#include "ui/OptionsPages.h"

#include "method/RampSteps.h"
#include "platform/UserInterface.h"
#include "ui/OptionsPagesDetail.h"

#include <cmath>
#include <initializer_list>
#include <iterator>

using ui::detail::NameShown;
using ui::detail::PathDialog;
using ui::detail::shownName;

namespace
{
// A Browse button of a page: a changed choice marks the method modified.
void browse(CPropertyPage& page, CTessalyOptionsSheet& sheet, CString& field, PathDialog kind, int box,
            NameShown shown)
{
    if (ui::detail::browseInto(page, field, kind, box, shown))
        sheet.SetModified();
}


// Ramps: values from 0 to 200, and from 2 to 8 points unless the step lies within the span / 7
// (rounded up) and the span.
constexpr int kMaxRampValue = 200;
constexpr int kMinRampPoints = 2;
constexpr int kMaxRampPoints = 8;

constexpr int kMinFragment = 50;
constexpr int kMaxFragment = 999;

constexpr float kMaxLossMass = 1000.0f;

// How a path box shows its path.
// A ramp value as its box shows it: truncated to a whole number ("-0" shown as "0").
CString wholeNumberText(double value)
{
    CString text;
    text.Format("%.0f", std::trunc(value) + 0.0);
    return text;
}

void enableControls(CWnd& page, std::initializer_list<int> ids, bool enable)
{
    for (const int id : ids)
        if (CWnd* control = page.GetDlgItem(id))
            control->EnableWindow(enable ? TRUE : FALSE);
}

// The step of a ramp from min to max as the user typed it: 0 when the ramp has one value; else
// the step must give 2 to 8 points, or lie within the span / 7 (rounded up) and the span.
int checkedStep(CDataExchange* pDX, int min, int max, int step)
{
    if (max == min)
        return 0;
    const int points = CalcNSteps(min, max, step);
    if (points < kMinRampPoints || points > kMaxRampPoints)
    {
        const int span = max - min;
        DDV_MinMaxInt(pDX, step, static_cast<int>(std::ceil(span / static_cast<double>(kMaxRampPoints - 1))), span);
    }
    return step;
}

// The index of the checked button of the radio set first to last; -1 when none is.
int checkedIndex(const CWnd& page, int first, int last)
{
    const int checked = page.GetCheckedRadioButton(first, last);
    return checked == 0 ? -1 : checked - first;
}

// Sets a flag for the life of the scope, also when the scope is left by a failed exchange.
class ExchangeGuard
{
  public:
    explicit ExchangeGuard(int& flag) : flag_(flag)
    {
        flag_ = 1;
    }
    ~ExchangeGuard()
    {
        flag_ = 0;
    }
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

  private:
    int& flag_;
};
} // namespace

// --- Optimisation -------------------------------------------------------------------------------

CTessalyOptionsPage1::CTessalyOptionsPage1(CTessalyOptionsSheet* pSheet)
    : CPropertyPage("TY_OPTIMISATION", ui::kOptimisationCaption), m_pSheet(pSheet), m_eIonMode(IONMODE_ESP),
      m_eIonModeOpt(IONMODEOPT_POSITIVE), m_eWhenToOptimise(WHENTOOPT_PER_GROUP), m_nMSMode(1),
      m_dCollisionEnergyMax(50), m_dCollisionEnergyMin(10), m_dCollisionEnergyStep(6), m_dConeVoltageMax(50),
      m_dConeVoltageMin(10), m_dConeVoltageStep(6), m_nFragmentMinSize(50)
{
}

CTessalyOptionsPage1::~CTessalyOptionsPage1() = default;

BOOL CTessalyOptionsPage1::OnInitDialog()
{
    CWnd* sources = GetDlgItem(ui::optimisation::kIonSource);
    for (const tag_IONMODE mode : {IONMODE_ESP, IONMODE_APCI})
        sources->AddString(IONMODE2String(mode));
    return CPropertyPage::OnInitDialog();
}

void CTessalyOptionsPage1::EnableMSMSControls()
{
    using namespace ui::optimisation;
    enableControls(
        *this,
        {kCollisionEnergyMin, kCollisionEnergyMax, kCollisionEnergyStep, kDaughterName, kDaughterBrowse, kFragmentMin},
        m_nMSMode == 1);
}

void CTessalyOptionsPage1::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::optimisation;
    CPropertyPage::DoDataExchange(pDX);

    // MS or MSMS first: it decides which of the values below are exchanged.
    if (pDX->m_bSaveAndValidate)
    {
        int msMode = m_nMSMode;
        DDX_Radio(pDX, kMS, msMode);
        if (msMode != m_nMSMode)
        {
            m_nMSMode = msMode;
            EnableMSMSControls();
            m_pSheet->SetMSMode(m_nMSMode);
            m_pSheet->SetModified();
        }
    }
    else
    {
        const int shownBefore = checkedIndex(*this, kMS, kMSMS);
        DDX_Radio(pDX, kMS, m_nMSMode);
        if (checkedIndex(*this, kMS, kMSMS) != shownBefore)
            EnableMSMSControls();

        const struct
        {
            int id;
            double value;
        } ramps[] = {
            {kConeVoltageMin, m_dConeVoltageMin},
            {kConeVoltageMax, m_dConeVoltageMax},
            {kConeVoltageStep, m_dConeVoltageMax == m_dConeVoltageMin ? 0.0 : m_dConeVoltageStep},
            {kCollisionEnergyMin, m_dCollisionEnergyMin},
            {kCollisionEnergyMax, m_dCollisionEnergyMax},
            {kCollisionEnergyStep, m_dCollisionEnergyMax == m_dCollisionEnergyMin ? 0.0 : m_dCollisionEnergyStep},
        };
        for (const auto& ramp : ramps)
            SetDlgItemText(ramp.id, wholeNumberText(ramp.value));
        // The daughter method and the fragment size are shown in MS mode too (disabled), so that
        // switching to MSMS finds them filled in rather than empty boxes that fail the exchange.
        SetDlgItemText(kParentName, shownName(m_strQuanMethodParent, NameShown::kTitle));
        SetDlgItemText(kDaughterName, shownName(m_strQuanMethodDaughter, NameShown::kTitle));
        CString source = IONMODE2String(m_eIonMode);
        DDX_CBString(pDX, kIonSource, source);
        int polarity = m_eIonModeOpt;
        DDX_Radio(pDX, kPositive, polarity);
        int when = m_eWhenToOptimise;
        DDX_Radio(pDX, kPerGroup, when);
        DDX_Text(pDX, kFragmentMin, m_nFragmentMinSize);
        return;
    }

    int coneMax = 0, coneMin = 0, coneStep = 0;
    DDX_Text(pDX, kConeVoltageMax, coneMax);
    DDV_MinMaxInt(pDX, coneMax, 0, kMaxRampValue);
    DDX_Text(pDX, kConeVoltageMin, coneMin);
    DDV_MinMaxInt(pDX, coneMin, 0, coneMax);
    // No button checked (a method file's value outside the choices) keeps the value.
    int when = m_eWhenToOptimise;
    DDX_Radio(pDX, kPerGroup, when);
    if (when < 0)
        when = m_eWhenToOptimise;
    DDX_Text(pDX, kConeVoltageStep, coneStep);
    coneStep = checkedStep(pDX, coneMin, coneMax, coneStep);

    CString source;
    DDX_CBString(pDX, kIonSource, source);
    const tag_IONMODE ionMode = String2IONMODE(source);
    int polarity = m_eIonModeOpt;
    DDX_Radio(pDX, kPositive, polarity);
    if (polarity < 0)
        polarity = m_eIonModeOpt;

    const bool msms = m_nMSMode == 1;
    int energyMax = 0, energyMin = 0, energyStep = 0, fragment = 0;
    if (msms)
    {
        DDX_Text(pDX, kCollisionEnergyMax, energyMax);
        DDV_MinMaxInt(pDX, energyMax, 0, kMaxRampValue);
        DDX_Text(pDX, kCollisionEnergyMin, energyMin);
        DDV_MinMaxInt(pDX, energyMin, 0, energyMax);
        DDX_Text(pDX, kCollisionEnergyStep, energyStep);
        if (energyMax == energyMin)
        {
            pDX->PrepareEditCtrl(kCollisionEnergyMax);
            MessageBoxA(GetSafeHwnd(), "Collision Energy must have a range of values", "Acquisition", MB_OK);
            pDX->Fail();
        }
        energyStep = checkedStep(pDX, energyMin, energyMax, energyStep);
        DDX_Text(pDX, kFragmentMin, fragment);
        DDV_MinMaxInt(pDX, fragment, kMinFragment, kMaxFragment);
    }

    const bool changed = coneMin != m_dConeVoltageMin || coneMax != m_dConeVoltageMax ||
                         coneStep != m_dConeVoltageStep || ionMode != m_eIonMode || polarity != m_eIonModeOpt ||
                         when != m_eWhenToOptimise ||
                         (msms && (energyMin != m_dCollisionEnergyMin || energyMax != m_dCollisionEnergyMax ||
                                   energyStep != m_dCollisionEnergyStep || fragment != m_nFragmentMinSize));
    if (changed)
    {
        m_pSheet->SetModified();
        m_pSheet->SetIonMode(static_cast<tag_IONMODEOPT>(polarity));
    }
    m_dConeVoltageMin = coneMin;
    m_dConeVoltageMax = coneMax;
    m_dConeVoltageStep = coneStep;
    m_eIonMode = ionMode;
    m_eIonModeOpt = static_cast<tag_IONMODEOPT>(polarity);
    m_eWhenToOptimise = static_cast<tag_WHENTOOPT>(when);
    if (msms)
    {
        m_dCollisionEnergyMin = energyMin;
        m_dCollisionEnergyMax = energyMax;
        m_dCollisionEnergyStep = energyStep;
        m_nFragmentMinSize = fragment;
    }
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsPage1::GetMessageMap() const
{
    using namespace ui::optimisation;
    using Page = CTessalyOptionsPage1;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, kParentBrowse, afxHandler(&Page::OnBrowseParent)},
        {BN_CLICKED, kDaughterBrowse, afxHandler(&Page::OnBrowseDaughter)},
        {EN_KILLFOCUS, kConeVoltageMin, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kConeVoltageMax, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kConeVoltageStep, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kCollisionEnergyMin, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kCollisionEnergyMax, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kCollisionEnergyStep, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kFragmentMin, afxHandler(&Page::OnTakeValues)},
        {CBN_SELENDOK, kIonSource, afxHandler(&Page::OnTakeValues)},
        {BN_CLICKED, kMS, afxHandler(&Page::OnTakeValues)},
        {BN_CLICKED, kMSMS, afxHandler(&Page::OnTakeValues)},
        {BN_CLICKED, kPositive, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kNegative, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kBoth, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kPerGroup, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kBeforeAnalyses, afxHandler(&Page::OnMarkModified)},
        {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsPage1::OnBrowseParent()
{
    browse(*this, *m_pSheet, m_strQuanMethodParent, PathDialog::kQuanMethod, ui::optimisation::kParentName,
               NameShown::kTitle);
}

void CTessalyOptionsPage1::OnBrowseDaughter()
{
    browse(*this, *m_pSheet, m_strQuanMethodDaughter, PathDialog::kQuanMethod, ui::optimisation::kDaughterName,
               NameShown::kTitle);
}

void CTessalyOptionsPage1::OnTakeValues()
{
    UpdateData(TRUE);
}

void CTessalyOptionsPage1::OnMarkModified()
{
    m_pSheet->SetModified();
}

// --- Acquisition --------------------------------------------------------------------------------

CTessalyOptionsPage2::CTessalyOptionsPage2(CTessalyOptionsSheet* pSheet)
    : CPropertyPage("TY_ACQUIRE", ui::kAcquisitionCaption), m_pSheet(pSheet), m_fMaxDwellTime(0.2f),
      m_fTotalCycleTime(1.0f), m_fInterModeTime(0.2f)
{
}

CTessalyOptionsPage2::~CTessalyOptionsPage2() = default;

BOOL CTessalyOptionsPage2::OnInitDialog()
{
    return CPropertyPage::OnInitDialog();
}

void CTessalyOptionsPage2::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::acquisition;
    CPropertyPage::DoDataExchange(pDX);
    float dwell = m_fMaxDwellTime, cycle = m_fTotalCycleTime, interMode = m_fInterModeTime;
    DDX_Text(pDX, kMaxDwellTime, dwell);
    DDV_MinMaxFloat(pDX, dwell, 0.02f, 1.0f);
    DDX_Text(pDX, kTotalCycleTime, cycle);
    DDV_MinMaxFloat(pDX, cycle, 0.1f, 5.0f);
    DDX_Text(pDX, kInterModeTime, interMode);
    DDV_MinMaxFloat(pDX, interMode, 0.05f, 0.5f);
    if (!pDX->m_bSaveAndValidate)
        return;
    if (dwell != m_fMaxDwellTime || cycle != m_fTotalCycleTime || interMode != m_fInterModeTime)
        m_pSheet->SetModified();
    m_fMaxDwellTime = dwell;
    m_fTotalCycleTime = cycle;
    m_fInterModeTime = interMode;
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsPage2::GetMessageMap() const
{
    using namespace ui::acquisition;
    using Page = CTessalyOptionsPage2;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {EN_KILLFOCUS, kTotalCycleTime, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kMaxDwellTime, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kInterModeTime, afxHandler(&Page::OnTakeValues)},
        {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsPage2::OnTakeValues()
{
    UpdateData(TRUE);
}

// --- Tune Files ---------------------------------------------------------------------------------

CTessalyOptionsPage3::CTessalyOptionsPage3(CTessalyOptionsSheet* pSheet)
    : CPropertyPage("TY_TUNE", ui::kTuneCaption), m_pSheet(pSheet), m_bMSMS(1)
{
}

CTessalyOptionsPage3::~CTessalyOptionsPage3() = default;

void CTessalyOptionsPage3::SetMSMS(int bMSMS)
{
    m_bMSMS = bMSMS;
    if (GetSafeHwnd())
        enableControls(*this, {ui::tune::kDaughterName, ui::tune::kDaughterBrowse}, m_bMSMS != 0);
}

void CTessalyOptionsPage3::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::tune;
    CPropertyPage::DoDataExchange(pDX);
    if (pDX->m_bSaveAndValidate)
        return;
    SetDlgItemText(kParentName, shownName(m_strParentTuneFile, NameShown::kTitle));
    SetDlgItemText(kDaughterName, shownName(m_strDaughterTuneFile, NameShown::kTitle));
    SetDlgItemText(kAcquisitionName, shownName(m_strAcquisitionTuneFile, NameShown::kTitle));
    SetMSMS(m_bMSMS);
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsPage3::GetMessageMap() const
{
    using namespace ui::tune;
    using Page = CTessalyOptionsPage3;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, kParentBrowse, afxHandler(&Page::OnBrowseParent)},
        {BN_CLICKED, kDaughterBrowse, afxHandler(&Page::OnBrowseDaughter)},
        {BN_CLICKED, kAcquisitionBrowse, afxHandler(&Page::OnBrowseAcquisition)},
        {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsPage3::OnBrowseParent()
{
    browse(*this, *m_pSheet, m_strParentTuneFile, PathDialog::kTuneFile, ui::tune::kParentName, NameShown::kTitle);
}

void CTessalyOptionsPage3::OnBrowseDaughter()
{
    browse(*this, *m_pSheet, m_strDaughterTuneFile, PathDialog::kTuneFile, ui::tune::kDaughterName,
               NameShown::kTitle);
}

void CTessalyOptionsPage3::OnBrowseAcquisition()
{
    browse(*this, *m_pSheet, m_strAcquisitionTuneFile, PathDialog::kTuneFile, ui::tune::kAcquisitionName,
               NameShown::kTitle);
}

// --- Adducts ------------------------------------------------------------------------------------

namespace
{
// One species of the Adducts page: its position in a CAdducts, its check box and, for a user
// adduct, its mass box and number label.
struct AdductControls
{
    int position;
    int check;
    int mass;
    int label;
};

using namespace ui::adducts;

constexpr AdductControls kNegativeAdducts[] = {
    {0, kHydrogenMinus, 0, 0},
    {1, kUserNeg1, kUserNeg1Mass, kNeg1Label},
    {2, kUserNeg2, kUserNeg2Mass, kNeg2Label},
};

constexpr AdductControls kPositiveAdducts[] = {
    {3, kHydrogenPlus, 0, 0},
    {5, kAmmonia, 0, 0},
    {4, kSodium, 0, 0},
    {6, kUserPos3, kUserPos3Mass, kPos3Label},
    {7, kUserPos4, kUserPos4Mass, kPos4Label},
    {8, kUserPos5, kUserPos5Mass, kPos5Label},
};

const std::initializer_list<int> kNegativeGroupControls = {kHydrogenMinus, kUserNeg1,  kUserNeg2,  kUserNeg1Mass,
                                                           kUserNeg2Mass,  kNeg1Label, kNeg2Label, kNegSign1,
                                                           kNegSign2,      kNegSign3};

const std::initializer_list<int> kPositiveGroupControls = {
    kHydrogenPlus, kSodium,       kAmmonia,   kUserPos3,  kUserPos4,  kUserPos5, kUserPos3Mass,
    kUserPos4Mass, kUserPos5Mass, kPos3Label, kPos4Label, kPos5Label, kPosSign1, kPosSign2,
    kAmmoniaClose, kAmmoniaFour,  kPosSign3,  kPosSign4,  kPosSign5};

bool isUserAdductCheck(int id)
{
    return id == kUserNeg1 || id == kUserNeg2 || id == kUserPos3 || id == kUserPos4 || id == kUserPos5;
}

// The mass a user adduct's box shows: negative adducts as the magnitude of their (negative) mass.
float shownMass(const CAdducts& adducts, int position)
{
    const float mass = adducts.m_ppAdducts[position]->Mass();
    return (position < 3 ? -mass : mass) + 0.0f;
}

// Gives the user adduct at position the mass typed into its box (a magnitude for the negative
// ones), which also renames it.
void setUserMass(CAdducts& adducts, int position, float typed)
{
    switch (position)
    {
    case 1:
        adducts.m_UserNeg1.SetMass(typed);
        break;
    case 2:
        adducts.m_UserNeg2.SetMass(typed);
        break;
    case 6:
        adducts.m_UserPos3.SetMass(typed);
        break;
    case 7:
        adducts.m_UserPos4.SetMass(typed);
        break;
    case 8:
        adducts.m_UserPos5.SetMass(typed);
        break;
    default:
        break;
    }
}

// Fails the exchange with the page's message when an enabled group allows none of its species.
void requireOneAdduct(CDataExchange* pDX, const CAdducts& adducts, const AdductControls* first,
                      const AdductControls* last, const char* message)
{
    for (const AdductControls* species = first; species != last; ++species)
        if (adducts.m_ppAdducts[species->position]->Allowed())
            return;
    pDX->PrepareCtrl(first->check);
    MessageBoxA(pDX->m_pDlgWnd->GetSafeHwnd(), message, "Adducts", MB_OK);
    pDX->Fail();
}
} // namespace

CAdductMassEdit::CAdductMassEdit(CTessalyOptionsPage4* pPage) : m_pPage(pPage)
{
}

CAdductMassEdit::~CAdductMassEdit() = default;

void CAdductMassEdit::OnKillFocus(CWnd* pNewWnd)
{
    CEdit::OnKillFocus(pNewWnd);
    if (!m_pPage || !m_pPage->GetSafeHwnd() || m_pPage->m_bInExchange)
        return;
    // Moving to a user adduct's check box leaves the exchange to that box's own handler, which
    // redoes the mass boxes' enabling from the ticks.
    if (pNewWnd && pNewWnd->GetParent() == m_pPage && isUserAdductCheck(pNewWnd->GetDlgCtrlID()))
        return;
    m_pPage->UpdateData(TRUE);
}

CTessalyOptionsPage4::CTessalyOptionsPage4(CTessalyOptionsSheet* pSheet)
    : CPropertyPage("TY_ADDUCTS", ui::kAdductsCaption), m_pSheet(pSheet), m_bInExchange(0), m_bPositiveEnabled(1),
      m_bNegativeEnabled(1), m_editUserNeg1Mass(this), m_editUserNeg2Mass(this), m_editUserPos3Mass(this),
      m_editUserPos4Mass(this), m_editUserPos5Mass(this)
{
}

CTessalyOptionsPage4::~CTessalyOptionsPage4() = default;

void CTessalyOptionsPage4::SetGroups(int bPositiveEnabled, int bNegativeEnabled)
{
    m_bPositiveEnabled = bPositiveEnabled;
    m_bNegativeEnabled = bNegativeEnabled;
    if (!GetSafeHwnd())
        return;
    enableControls(*this, kPositiveGroupControls, m_bPositiveEnabled != 0);
    enableControls(*this, kNegativeGroupControls, m_bNegativeEnabled != 0);
    EnableUserMasses();
}

void CTessalyOptionsPage4::EnableUserMasses()
{
    const auto enableGroup = [this](const auto& group, int groupEnabled) {
        for (const AdductControls& species : group)
            if (species.mass != 0)
                enableControls(*this, {species.mass, species.label},
                               groupEnabled && IsDlgButtonChecked(species.check) == BST_CHECKED);
    };
    enableGroup(kNegativeAdducts, m_bNegativeEnabled);
    enableGroup(kPositiveAdducts, m_bPositiveEnabled);
}

void CTessalyOptionsPage4::DoDataExchange(CDataExchange* pDX)
{
    if (m_bInExchange)
        return;
    const ExchangeGuard guard(m_bInExchange);
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, kUserNeg1Mass, m_editUserNeg1Mass);
    DDX_Control(pDX, kUserNeg2Mass, m_editUserNeg2Mass);
    DDX_Control(pDX, kUserPos3Mass, m_editUserPos3Mass);
    DDX_Control(pDX, kUserPos4Mass, m_editUserPos4Mass);
    DDX_Control(pDX, kUserPos5Mass, m_editUserPos5Mass);

    // Working copies by position: the checks first, then the masses, group by group.
    int allowed[9] = {};
    float masses[9] = {};
    const auto exchangeGroup = [&](const auto& group) {
        for (const AdductControls& species : group)
        {
            allowed[species.position] = m_Adducts.m_ppAdducts[species.position]->Allowed();
            DDX_Check(pDX, species.check, allowed[species.position]);
        }
        for (const AdductControls& species : group)
            if (species.mass != 0)
            {
                masses[species.position] = shownMass(m_Adducts, species.position);
                DDX_Text(pDX, species.mass, masses[species.position]);
            }
    };
    exchangeGroup(kNegativeAdducts);
    exchangeGroup(kPositiveAdducts);
    if (!pDX->m_bSaveAndValidate)
    {
        SetGroups(m_bPositiveEnabled, m_bNegativeEnabled);
        return;
    }

    // Only an enabled group can have been changed by the user.
    bool changed = false;
    const auto compareGroup = [&](const auto& group, int groupEnabled) {
        for (const AdductControls& species : group)
            if (groupEnabled &&
                (allowed[species.position] != m_Adducts.m_ppAdducts[species.position]->Allowed() ||
                 (species.mass != 0 && masses[species.position] != shownMass(m_Adducts, species.position))))
                changed = true;
    };
    compareGroup(kNegativeAdducts, m_bNegativeEnabled);
    compareGroup(kPositiveAdducts, m_bPositiveEnabled);
    if (changed)
        m_pSheet->SetModified();
    for (int position = 0; position < 9; ++position)
    {
        m_Adducts.m_ppAdducts[position]->Allow(allowed[position]);
        setUserMass(m_Adducts, position, masses[position]);
    }

    if (m_bPositiveEnabled)
        requireOneAdduct(pDX, m_Adducts, std::begin(kPositiveAdducts), std::end(kPositiveAdducts),
                         "Must have at least one positive adduct");
    if (m_bNegativeEnabled)
        requireOneAdduct(pDX, m_Adducts, std::begin(kNegativeAdducts), std::end(kNegativeAdducts),
                         "Must have at least one negative adduct");
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsPage4::GetMessageMap() const
{
    using Page = CTessalyOptionsPage4;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, kHydrogenMinus, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kHydrogenPlus, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kAmmonia, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kSodium, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kUserNeg1, afxHandler(&Page::OnUserAdduct)},
        {BN_CLICKED, kUserNeg2, afxHandler(&Page::OnUserAdduct)},
        {BN_CLICKED, kUserPos3, afxHandler(&Page::OnUserAdduct)},
        {BN_CLICKED, kUserPos4, afxHandler(&Page::OnUserAdduct)},
        {BN_CLICKED, kUserPos5, afxHandler(&Page::OnUserAdduct)},
        {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsPage4::OnMarkModified()
{
    m_pSheet->SetModified();
}

void CTessalyOptionsPage4::OnUserAdduct()
{
    m_pSheet->SetModified();
    EnableUserMasses();
}

// --- Inlet Methods ------------------------------------------------------------------------------

CTessalyOptionsPage5::CTessalyOptionsPage5(CTessalyOptionsSheet* pSheet)
    : CPropertyPage("TY_INLETS", ui::kInletsCaption), m_pSheet(pSheet), m_fStage1InjectionVolume(0),
      m_fStage2InjectionVolume(0)
{
}

CTessalyOptionsPage5::~CTessalyOptionsPage5() = default;

void CTessalyOptionsPage5::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::inlets;
    CPropertyPage::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate)
    {
        SetDlgItemText(kStage1Name, shownName(m_strStage1LCMethod, NameShown::kNameAndExtension));
        SetDlgItemText(kStage2Name, shownName(m_strStage2LCMethod, NameShown::kNameAndExtension));
        SetDlgItemText(kLoopName, shownName(m_strLoopLCMethod, NameShown::kNameAndExtension));
        SetDlgItemText(kColumnName, shownName(m_strColumnLCMethod, NameShown::kNameAndExtension));
    }
    // Volumes are whole numbers ("-0" taken as 0), with no range of their own here.
    float stage1 = std::trunc(m_fStage1InjectionVolume) + 0.0f;
    float stage2 = std::trunc(m_fStage2InjectionVolume) + 0.0f;
    DDX_Text(pDX, kStage1Volume, stage1);
    DDX_Text(pDX, kStage2Volume, stage2);
    if (!pDX->m_bSaveAndValidate)
        return;
    stage1 = std::trunc(stage1) + 0.0f;
    stage2 = std::trunc(stage2) + 0.0f;
    if (stage1 != m_fStage1InjectionVolume || stage2 != m_fStage2InjectionVolume)
        m_pSheet->SetModified();
    m_fStage1InjectionVolume = stage1;
    m_fStage2InjectionVolume = stage2;
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsPage5::GetMessageMap() const
{
    using namespace ui::inlets;
    using Page = CTessalyOptionsPage5;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, kStage1Browse, afxHandler(&Page::OnBrowseStage1)},
        {BN_CLICKED, kStage2Browse, afxHandler(&Page::OnBrowseStage2)},
        {BN_CLICKED, kLoopBrowse, afxHandler(&Page::OnBrowseLoop)},
        {BN_CLICKED, kColumnBrowse, afxHandler(&Page::OnBrowseColumn)},
        {BN_CLICKED, kLoopClear, afxHandler(&Page::OnClearLoop)},
        {BN_CLICKED, kColumnClear, afxHandler(&Page::OnClearColumn)},
        {EN_KILLFOCUS, kStage1Volume, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kStage2Volume, afxHandler(&Page::OnTakeValues)},
        {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsPage5::OnBrowseStage1()
{
    browse(*this, *m_pSheet, m_strStage1LCMethod, PathDialog::kInletMethod, ui::inlets::kStage1Name,
               NameShown::kNameAndExtension);
}

void CTessalyOptionsPage5::OnBrowseStage2()
{
    browse(*this, *m_pSheet, m_strStage2LCMethod, PathDialog::kInletMethod, ui::inlets::kStage2Name,
               NameShown::kNameAndExtension);
}

void CTessalyOptionsPage5::OnBrowseLoop()
{
    browse(*this, *m_pSheet, m_strLoopLCMethod, PathDialog::kInletMethod, ui::inlets::kLoopName,
               NameShown::kNameAndExtension);
}

void CTessalyOptionsPage5::OnBrowseColumn()
{
    browse(*this, *m_pSheet, m_strColumnLCMethod, PathDialog::kInletMethod, ui::inlets::kColumnName,
               NameShown::kNameAndExtension);
}

void CTessalyOptionsPage5::OnClearLoop()
{
    if (m_strLoopLCMethod.IsEmpty())
        return;
    m_strLoopLCMethod.Empty();
    SetDlgItemText(ui::inlets::kLoopName, "");
    m_pSheet->SetModified();
}

void CTessalyOptionsPage5::OnClearColumn()
{
    if (m_strColumnLCMethod.IsEmpty())
        return;
    m_strColumnLCMethod.Empty();
    SetDlgItemText(ui::inlets::kColumnName, "");
    m_pSheet->SetModified();
}

void CTessalyOptionsPage5::OnTakeValues()
{
    UpdateData(TRUE);
}

// --- Losses -------------------------------------------------------------------------------------

namespace
{
// One loss of the Losses page: its position in a CLosses, its check box and, for a user loss, its
// mass box.
struct LossControls
{
    int position;
    int check;
    int mass;
};

constexpr LossControls kLosses[] = {
    {0, ui::losses::kWater, 0},
    {1, ui::losses::kCarbonDioxide, 0},
    {2, ui::losses::kUser1, ui::losses::kUser1Mass},
    {3, ui::losses::kUser2, ui::losses::kUser2Mass},
    {4, ui::losses::kUser3, ui::losses::kUser3Mass},
};
} // namespace

CTessalyOptionsPage6::CTessalyOptionsPage6(CTessalyOptionsSheet* pSheet)
    : CPropertyPage("TY_LOSS", ui::kLossesCaption), m_pSheet(pSheet)
{
}

CTessalyOptionsPage6::~CTessalyOptionsPage6() = default;

void CTessalyOptionsPage6::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    CAdductUser* const users[] = {nullptr, nullptr, &m_Losses.m_UserLoss1, &m_Losses.m_UserLoss2,
                                  &m_Losses.m_UserLoss3};
    int allowed[5] = {};
    float masses[5] = {};
    for (const LossControls& loss : kLosses)
    {
        allowed[loss.position] = m_Losses.m_ppAdducts[loss.position]->Allowed();
        DDX_Check(pDX, loss.check, allowed[loss.position]);
    }
    for (const LossControls& loss : kLosses)
        if (loss.mass != 0)
        {
            masses[loss.position] = m_Losses.m_ppAdducts[loss.position]->Mass() + 0.0f;
            DDX_Text(pDX, loss.mass, masses[loss.position]);
            DDV_MinMaxFloat(pDX, masses[loss.position], 0.0f, kMaxLossMass);
        }
    if (!pDX->m_bSaveAndValidate)
        return;

    bool changed = false;
    for (const LossControls& loss : kLosses)
        changed = changed || allowed[loss.position] != m_Losses.m_ppAdducts[loss.position]->Allowed() ||
                  (loss.mass != 0 && masses[loss.position] != m_Losses.m_ppAdducts[loss.position]->Mass());
    if (changed)
        m_pSheet->SetModified();
    for (const LossControls& loss : kLosses)
    {
        m_Losses.m_ppAdducts[loss.position]->Allow(allowed[loss.position]);
        if (CAdductUser* user = users[loss.position])
            user->SetMass(masses[loss.position]);
    }
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsPage6::GetMessageMap() const
{
    using namespace ui::losses;
    using Page = CTessalyOptionsPage6;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, kWater, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kCarbonDioxide, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kUser1, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kUser2, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kUser3, afxHandler(&Page::OnMarkModified)},
        {EN_KILLFOCUS, kUser1Mass, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kUser2Mass, afxHandler(&Page::OnTakeValues)},
        {EN_KILLFOCUS, kUser3Mass, afxHandler(&Page::OnTakeValues)},
        {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsPage6::OnMarkModified()
{
    m_pSheet->SetModified();
}

void CTessalyOptionsPage6::OnTakeValues()
{
    UpdateData(TRUE);
}

// --- MUX ----------------------------------------------------------------------------------------

CTessalyOptionsPage7::CTessalyOptionsPage7(CTessalyOptionsSheet* pSheet)
    : CPropertyPage("TY_MUX", ui::kMuxCaption), m_pSheet(pSheet), m_bUseMuxMode(0), m_bUseInterlacedInjections(0),
      m_eMuxSprays(MUXSPRAY_NONE)
{
}

CTessalyOptionsPage7::~CTessalyOptionsPage7() = default;

void CTessalyOptionsPage7::DoDataExchange(CDataExchange* pDX)
{
    using namespace ui::mux;
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, kUseMux, m_bUseMuxMode);
    DDX_Check(pDX, kInterlaced, m_bUseInterlacedInjections);
    int sprays = m_eMuxSprays;
    DDX_Radio(pDX, kOneSpray, sprays);
    m_eMuxSprays = static_cast<tagMUXSPRAYINDEX>(sprays);
    enableControls(*this, {kSpraysGroup, kOneSpray, kTwoSprays, kFourSprays, kInterlaced}, m_bUseMuxMode != 0);
}

const AFX_MSGMAP_ENTRY* CTessalyOptionsPage7::GetMessageMap() const
{
    using namespace ui::mux;
    using Page = CTessalyOptionsPage7;
    static const AFX_MSGMAP_ENTRY entries[] = {
        {BN_CLICKED, kUseMux, afxHandler(&Page::OnUseMux)},
        {BN_CLICKED, kInterlaced, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kOneSpray, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kTwoSprays, afxHandler(&Page::OnMarkModified)},
        {BN_CLICKED, kFourSprays, afxHandler(&Page::OnMarkModified)},
        {0, 0, nullptr},
    };
    return entries;
}

void CTessalyOptionsPage7::OnUseMux()
{
    UpdateData(TRUE);
    m_pSheet->SetModified();
}

void CTessalyOptionsPage7::OnMarkModified()
{
    m_pSheet->SetModified();
}

// --- What the pages ask of their sheet ----------------------------------------------------------
// Defined beside the pages that call them, so the sheet depends on its pages and never the other
// way round.

void CTessalyOptionsSheet::SetModified()
{
    if (m_bModified)
        return;
    m_bModified = 1;
    SetFile(m_strFile, 1);
}

void CTessalyOptionsSheet::SetMSMode(int bMSMS)
{
    if (bMSMS)
        AddPage(m_pLossesPage);
    else
        RemovePage(m_pLossesPage);
    m_pTunePage->SetMSMS(bMSMS);
}

void CTessalyOptionsSheet::SetIonMode(tag_IONMODEOPT eIonModeOpt)
{
    m_pAdductsPage->SetGroups(eIonModeOpt != IONMODEOPT_NEGATIVE ? 1 : 0, eIonModeOpt != IONMODEOPT_POSITIVE ? 1 : 0);
}

void CTessalyOptionsSheet::SetFile(const CString& strFile, int bModified)
{
    CString title = m_strTitle;
    if (strFile.IsEmpty())
        title += " Untitled*";
    else
    {
        title += " " + shownName(strFile, NameShown::kNameAndExtension);
        if (bModified)
            title += "*";
    }
    SetWindowText(title);
}
