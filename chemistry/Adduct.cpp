// Adduct species: the base class's operators and what each species constructor stores.
#include "chemistry/Adduct.h"

namespace
{
// The species masses are single-precision constants: each is the nearest float to the
// four-decimal value. The hydrogen values are hydrogen's average atomic mass (not the proton
// mass), lithium its average mass and ammonium 18.0385; the others are monoisotopic.
constexpr float kHydrogenMass = 1.0079f;
constexpr float kAmmoniaMass = 18.0385f;
constexpr float kLithiumMass = 6.941f;
constexpr float kSodiumMass = 22.9899f;
constexpr float kPotassiumMass = 38.9637f;
constexpr float kWaterMass = 18.0106f;
constexpr float kCarbonDioxideMass = 43.9898f;

CString userName(const char* format, float mass)
{
    CString name;
    name.Format(format, static_cast<double>(mass));
    return name;
}
} // namespace

CAdduct::CAdduct() : m_bAllowed(0), m_fMass(0.0f)
{
}

CAdduct::CAdduct(CString name, int allowed, float mass) : m_bAllowed(allowed), m_fMass(mass), m_strName(name)
{
}

CAdduct::CAdduct(const CAdduct& other)
    : m_bAllowed(other.m_bAllowed), m_fMass(other.m_fMass), m_strName(other.m_strName)
{
}

CAdduct::~CAdduct() = default;

CAdduct& CAdduct::operator=(const CAdduct& other)
{
    m_bAllowed = other.m_bAllowed;
    m_fMass = other.m_fMass;
    m_strName = other.m_strName;
    return *this;
}

int CAdduct::operator==(int n) const
{
    return m_bAllowed == n ? 1 : 0;
}

int CAdduct::operator!=(int n) const
{
    return m_bAllowed != n ? 1 : 0;
}

int CAdduct::operator==(const CAdduct& other) const
{
    return m_bAllowed == other.m_bAllowed ? 1 : 0;
}

int CAdduct::operator!=(const CAdduct& other) const
{
    return m_bAllowed != other.m_bAllowed ? 1 : 0;
}

int CAdduct::operator!() const
{
    return m_bAllowed == 0 ? 1 : 0;
}

CAdduct::operator int() const
{
    return m_bAllowed;
}

int CAdduct::Allowed() const
{
    return m_bAllowed;
}

int CAdduct::operator||(const CAdduct& other) const
{
    return (m_bAllowed != 0 || other.m_bAllowed != 0) ? 1 : 0;
}

int CAdduct::operator||(int n) const
{
    return (m_bAllowed != 0 || n != 0) ? 1 : 0;
}

void CAdduct::Allow(int allowed)
{
    m_bAllowed = allowed;
}

float CAdduct::Mass() const
{
    return m_fMass;
}

CAdductHydrogenPlus::CAdductHydrogenPlus() : CAdduct("M+H", 1, kHydrogenMass)
{
}

CAdductHydrogenPlus::CAdductHydrogenPlus(const CAdductHydrogenPlus& other) : CAdduct(other)
{
}

CAdductHydrogenMinus::CAdductHydrogenMinus() : CAdduct("M-H", 1, -kHydrogenMass)
{
}

CAdductHydrogenMinus::CAdductHydrogenMinus(const CAdductHydrogenMinus& other) : CAdduct(other)
{
}

CAdductAmmonia::CAdductAmmonia() : CAdduct("M+NH4", 0, kAmmoniaMass)
{
}

CAdductAmmonia::CAdductAmmonia(const CAdductAmmonia& other) : CAdduct(other)
{
}

CAdductLithium::CAdductLithium() : CAdduct("M+Li", 0, kLithiumMass)
{
}

CAdductLithium::CAdductLithium(const CAdductLithium& other) : CAdduct(other)
{
}

CAdductSodium::CAdductSodium() : CAdduct("M+Na", 0, kSodiumMass)
{
}

CAdductSodium::CAdductSodium(const CAdductSodium& other) : CAdduct(other)
{
}

CAdductPotassium::CAdductPotassium() : CAdduct("M+K", 0, kPotassiumMass)
{
}

CAdductPotassium::CAdductPotassium(const CAdductPotassium& other) : CAdduct(other)
{
}

CAdductWater::CAdductWater() : CAdduct("M+H2O", 0, kWaterMass)
{
}

CAdductWater::CAdductWater(const CAdductWater& other) : CAdduct(other)
{
}

CAdductCarbonDioxide::CAdductCarbonDioxide() : CAdduct("M+CO2", 0, kCarbonDioxideMass)
{
}

CAdductCarbonDioxide::CAdductCarbonDioxide(const CAdductCarbonDioxide& other) : CAdduct(other)
{
}

CAdductUser::CAdductUser(float mass) : CAdduct(userName("M+%.2f", mass), 0, mass)
{
}

CAdductUser::CAdductUser(const CAdductUser& other) : CAdduct(other)
{
}

void CAdductUser::SetMass(float mass)
{
    m_strName = userName("M+%.2f", mass);
    m_fMass = mass;
}

CAdductUserNeg::CAdductUserNeg(float mass) : CAdduct(userName("M-%.2f", mass), 0, -mass)
{
}

CAdductUserNeg::CAdductUserNeg(const CAdductUserNeg& other) : CAdduct(other)
{
}

void CAdductUserNeg::SetMass(float mass)
{
    m_strName = userName("M-%.2f", mass);
    m_fMass = -mass;
}
