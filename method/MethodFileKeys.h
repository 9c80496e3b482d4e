// The keys of a method file, in the order they are written and read, with the option each one
// holds and its default: the one table behind reading and writing methods and the host driver's
// key edits, so the three can never disagree about a key.
#pragma once

#include "method/BrenmoOptions.h"

#include <array>
#include <cmath>
#include <limits>

namespace method
{
/// How a key's value is written: two decimals, decimal digits, or the text itself.
enum class MethodKeyType
{
    kDouble,
    kInt,
    kString,
};

/// Keys whose default follows the host's inlet rather than a constant.
enum class HostDefault
{
    kNone,
    kMuxWhenShared, // 1 when the inlet acquires other than exactly one sample at a time
    kSampleCount,   // the number of samples the inlet acquires at once
};

/// One key of a method file and the option it holds. Only the accessors of the key's type are set.
struct MethodFileKey
{
    const char* name;
    MethodKeyType type;
    double numberDefault;    // default of kDouble and kInt keys (kInt defaults are whole numbers)
    const char* textDefault; // default of kString keys
    HostDefault hostDefault;
    double (*getDouble)(const CBrenmoOptions&);
    void (*setDouble)(CBrenmoOptions&, double);
    int (*getInt)(const CBrenmoOptions&);
    void (*setInt)(CBrenmoOptions&, int);
    const CString& (*getText)(const CBrenmoOptions&);
    void (*setText)(CBrenmoOptions&, const char*);
};

namespace detail
{
/// A method-file double as a single-precision mass. Converting a double beyond the float range is
/// undefined, so it saturates to the largest float of its sign; NaN becomes 0.
inline float toFloat(double value)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(value))
        return 0.0f;
    if (value > kMax)
        return std::numeric_limits<float>::max();
    if (value < -kMax)
        return -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

template <auto Field> constexpr MethodFileKey doubleField(const char* name, double byDefault)
{
    return {name,
            MethodKeyType::kDouble,
            byDefault,
            nullptr,
            HostDefault::kNone,
            [](const CBrenmoOptions& o) { return o.*Field; },
            [](CBrenmoOptions& o, double v) { o.*Field = v; },
            nullptr,
            nullptr,
            nullptr,
            nullptr};
}

// Int fields and enumerations; enumerations are stored as read, without a range check.
template <auto Field>
constexpr MethodFileKey intField(const char* name, int byDefault, HostDefault hostDefault = HostDefault::kNone)
{
    using Type = std::remove_reference_t<decltype(std::declval<CBrenmoOptions&>().*Field)>;
    return {name,
            MethodKeyType::kInt,
            static_cast<double>(byDefault),
            nullptr,
            hostDefault,
            nullptr,
            nullptr,
            [](const CBrenmoOptions& o) { return static_cast<int>(o.*Field); },
            [](CBrenmoOptions& o, int v) { o.*Field = static_cast<Type>(v); },
            nullptr,
            nullptr};
}

template <auto Field> constexpr MethodFileKey textField(const char* name, const char* byDefault)
{
    return {name,
            MethodKeyType::kString,
            0.0,
            byDefault,
            HostDefault::kNone,
            nullptr,
            nullptr,
            nullptr,
            nullptr,
            [](const CBrenmoOptions& o) -> const CString& { return o.*Field; },
            [](CBrenmoOptions& o, const char* v) { o.*Field = v; }};
}

// The allowed flag of one species of the adduct or loss set Set.
template <auto Set, auto Species> constexpr MethodFileKey speciesFlag(const char* name, int byDefault)
{
    return {name,
            MethodKeyType::kInt,
            static_cast<double>(byDefault),
            nullptr,
            HostDefault::kNone,
            nullptr,
            nullptr,
            [](const CBrenmoOptions& o) { return ((o.*Set).*Species).Allowed(); },
            [](CBrenmoOptions& o, int v) { ((o.*Set).*Species).Allow(v); },
            nullptr,
            nullptr};
}

// The mass of a user species, kept in the file as the magnitude its SetMass takes: negative user
// adducts hold negative masses, so Sign is -1 for them and the file's value reads back the same.
template <auto Set, auto Species, int Sign> constexpr MethodFileKey speciesMass(const char* name)
{
    return {name,
            MethodKeyType::kDouble,
            0.0,
            nullptr,
            HostDefault::kNone,
            [](const CBrenmoOptions& o) { return Sign * static_cast<double>(((o.*Set).*Species).Mass()); },
            [](CBrenmoOptions& o, double v) { ((o.*Set).*Species).SetMass(toFloat(v)); },
            nullptr,
            nullptr,
            nullptr,
            nullptr};
}

using O = CBrenmoOptions;
constexpr auto kAdducts = &O::m_Adducts;
constexpr auto kLosses = &O::m_Losses;
} // namespace detail

/// Every key of a method file, in the order in which it is written and read.
inline constexpr std::array<MethodFileKey, 50> kMethodFileKeys = {
    detail::doubleField<&detail::O::m_dConeVoltageMin>("Cone Voltage Min", 10.0),
    detail::doubleField<&detail::O::m_dConeVoltageMax>("Cone Voltage Max", 50.0),
    detail::doubleField<&detail::O::m_dConeVoltageStep>("Cone Voltage Step", 6.0),
    detail::doubleField<&detail::O::m_dCollisionEnergyMin>("Collision Energy Min", 10.0),
    detail::doubleField<&detail::O::m_dCollisionEnergyMax>("Collision Energy Max", 50.0),
    detail::doubleField<&detail::O::m_dCollisionEnergyStep>("Collision Energy Step", 6.0),
    detail::textField<&detail::O::m_strIonMode>("Ion Mode", "ESP"),
    detail::intField<&detail::O::m_eIonModeOpt>("Ion Mode Options", 0),
    detail::intField<&detail::O::m_bMSMS>("MSMS", 1),
    detail::intField<&detail::O::m_eWhenToOptimise>("When To Optimise", 0),
    detail::textField<&detail::O::m_strQuanMethodParent>("Quan Method Parent", ""),
    detail::textField<&detail::O::m_strQuanMethodDaughter>("Quan Method Daughter", ""),
    detail::intField<&detail::O::m_nFragmentMinSize>("Fragment Min Size", 50),
    detail::doubleField<&detail::O::m_dTotalCycleTime>("Total Cycle Time", 1.0),
    detail::doubleField<&detail::O::m_dMaxDwellTime>("Max Dwell Time", 0.2),
    detail::doubleField<&detail::O::m_dInterModeTime>("Inter Mode Time", 0.2),
    detail::textField<&detail::O::m_strParentTuneFile>("Parent Tune File", ""),
    detail::textField<&detail::O::m_strDaughterTuneFile>("Daughter Tune File", ""),
    detail::textField<&detail::O::m_strAcquisitionTuneFile>("Acquisition Tune File", ""),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_HydrogenMinus>("Adduct Neg Hydrogen", 1),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_HydrogenPlus>("Adduct Pos Hydrogen", 1),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_Sodium>("Adduct Pos Sodium", 0),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_Ammonia>("Adduct Pos Ammonia", 0),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_UserNeg1>("Adduct Neg User1", 0),
    detail::speciesMass<detail::kAdducts, &CAdducts::m_UserNeg1, -1>("Adduct Neg User1 Mass"),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_UserNeg2>("Adduct Neg User2", 0),
    detail::speciesMass<detail::kAdducts, &CAdducts::m_UserNeg2, -1>("Adduct Neg User2 Mass"),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_UserPos3>("Adduct Pos User3", 0),
    detail::speciesMass<detail::kAdducts, &CAdducts::m_UserPos3, 1>("Adduct Pos User3 Mass"),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_UserPos4>("Adduct Pos User4", 0),
    detail::speciesMass<detail::kAdducts, &CAdducts::m_UserPos4, 1>("Adduct Pos User4 Mass"),
    detail::speciesFlag<detail::kAdducts, &CAdducts::m_UserPos5>("Adduct Pos User5", 0),
    detail::speciesMass<detail::kAdducts, &CAdducts::m_UserPos5, 1>("Adduct Pos User5 Mass"),
    detail::textField<&detail::O::m_strStage1LCMethod>("Stage1 LC Method", ""),
    detail::doubleField<&detail::O::m_dStage1InjectionVolume>("Stage1 Injection Volume", 20.0),
    detail::textField<&detail::O::m_strStage2LCMethod>("Stage2 LC Method", ""),
    detail::doubleField<&detail::O::m_dStage2InjectionVolume>("Stage2 Injection Volume", 5.0),
    detail::textField<&detail::O::m_strLoopLCMethod>("Loop LC Method", ""),
    detail::textField<&detail::O::m_strColumnLCMethod>("Column LC Method", ""),
    detail::speciesFlag<detail::kLosses, &CLosses::m_Water>("Disallow Loss of Water", 0),
    detail::speciesFlag<detail::kLosses, &CLosses::m_CarbonDioxide>("Disallow Loss of Carbon Dioxide", 0),
    detail::speciesFlag<detail::kLosses, &CLosses::m_UserLoss1>("Disallow User1 Loss", 0),
    detail::speciesMass<detail::kLosses, &CLosses::m_UserLoss1, 1>("User1 Loss Mass"),
    detail::speciesFlag<detail::kLosses, &CLosses::m_UserLoss2>("Disallow User2 Loss", 0),
    detail::speciesMass<detail::kLosses, &CLosses::m_UserLoss2, 1>("User2 Loss Mass"),
    detail::speciesFlag<detail::kLosses, &CLosses::m_UserLoss3>("Disallow User3 Loss", 0),
    detail::speciesMass<detail::kLosses, &CLosses::m_UserLoss3, 1>("User3 Loss Mass"),
    detail::intField<&detail::O::m_bUseMuxMode>("Use MUX Mode", 0, HostDefault::kMuxWhenShared),
    detail::intField<&detail::O::m_bUseInterlacedInjections>("Use Interlaced Injections", 0),
    detail::intField<&detail::O::m_nMuxSprays>("MUX Sprays", 1, HostDefault::kSampleCount),
};

/// The key named name, compared without regard to the case of a-z as the profile functions
/// compare keys; null when no key of a method file has that name.
inline const MethodFileKey* findMethodFileKey(const char* name)
{
    if (!name)
        return nullptr;
    for (const auto& key : kMethodFileKeys)
        if (CString(key.name).CompareNoCase(name) == 0)
            return &key;
    return nullptr;
}
} // namespace method
