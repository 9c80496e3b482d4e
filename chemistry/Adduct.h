// Adduct species and neutral losses: the species that the parent search adds to a compound's
// base mass and that the daughter search subtracts from a parent mass.
#pragma once

#include "platform/CString.h"
#include "platform/Export.h"

/// One species: whether it is selected, its mass in Da (single precision; negative for the
/// negative-mode adducts) and its display label. The only virtual operation is the assignment,
/// so the sets can copy species through base pointers; the destructor is deliberately not
/// virtual and the species subclasses add no fields, only what their constructors store.
class BRENMO_API CAdduct
{
  public:
    /// Not allowed, mass 0, empty name.
    CAdduct();
    /// Copies the allowed flag, the mass and the name.
    CAdduct(const CAdduct& other);
    ~CAdduct();

    /// Copies the allowed flag, the mass and the name; returns *this.
    virtual CAdduct& operator=(const CAdduct& other);

    /// 1 when the allowed flag equals n, else 0.
    int operator==(int n) const;
    /// 1 when the allowed flag differs from n, else 0.
    int operator!=(int n) const;
    /// 1 when both allowed flags are equal, else 0; masses and names are not compared.
    int operator==(const CAdduct& other) const;
    /// 1 when the allowed flags differ, else 0; masses and names are not compared.
    int operator!=(const CAdduct& other) const;
    /// 1 when the species is not allowed, else 0.
    int operator!() const;
    /// The allowed flag.
    operator int() const;
    /// The allowed flag.
    int Allowed() const;
    /// 1 when either species is allowed, else 0.
    int operator||(const CAdduct& other) const;
    /// 1 when the species is allowed or n is non-zero, else 0.
    int operator||(int n) const;

    /// Stores allowed unchanged as the allowed flag (callers pass 0 or 1).
    void Allow(int allowed);
    /// The stored mass in Da.
    float Mass() const;

  protected:
    /// Stores the three values; the species subclasses construct through this.
    CAdduct(CString name, int allowed, float mass);

  public:
    int m_bAllowed;
    float m_fMass;
    CString m_strName;
};

/// "M+H": a proton, taken as the average atomic mass of hydrogen; allowed.
class BRENMO_API CAdductHydrogenPlus : public CAdduct
{
  public:
    CAdductHydrogenPlus();
    CAdductHydrogenPlus(const CAdductHydrogenPlus& other);
};

/// "M-H": a proton removed (negative mode); allowed.
class BRENMO_API CAdductHydrogenMinus : public CAdduct
{
  public:
    CAdductHydrogenMinus();
    CAdductHydrogenMinus(const CAdductHydrogenMinus& other);
};

/// "M+NH4": an ammonium ion; not allowed.
class BRENMO_API CAdductAmmonia : public CAdduct
{
  public:
    CAdductAmmonia();
    CAdductAmmonia(const CAdductAmmonia& other);
};

/// "M+Li": a lithium ion; not allowed. Part of the class set, in neither standard set.
class BRENMO_API CAdductLithium : public CAdduct
{
  public:
    CAdductLithium();
    CAdductLithium(const CAdductLithium& other);
};

/// "M+Na": a sodium ion; not allowed.
class BRENMO_API CAdductSodium : public CAdduct
{
  public:
    CAdductSodium();
    CAdductSodium(const CAdductSodium& other);
};

/// "M+K": a potassium ion; not allowed. Part of the class set, in neither standard set.
class BRENMO_API CAdductPotassium : public CAdduct
{
  public:
    CAdductPotassium();
    CAdductPotassium(const CAdductPotassium& other);
};

/// "M+H2O": water, used as a neutral loss; not selected.
class BRENMO_API CAdductWater : public CAdduct
{
  public:
    CAdductWater();
    CAdductWater(const CAdductWater& other);
};

/// "M+CO2": carbon dioxide, used as a neutral loss; not selected.
class BRENMO_API CAdductCarbonDioxide : public CAdduct
{
  public:
    CAdductCarbonDioxide();
    CAdductCarbonDioxide(const CAdductCarbonDioxide& other);
};

/// A user mass added to the base mass (positive user adducts and user losses): named "M+%.2f"
/// of the mass; not allowed after construction.
class BRENMO_API CAdductUser : public CAdduct
{
  public:
    /// Name "M+%.2f" of mass, mass as given, not allowed.
    CAdductUser(float mass = 0);
    CAdductUser(const CAdductUser& other);
    /// Renames to "M+%.2f" of mass and stores mass; the allowed flag is kept.
    void SetMass(float mass);
};

/// A negative-mode user adduct, given by the magnitude of its mass: named "M-%.2f" of the
/// magnitude, storing the negated mass; not allowed after construction.
class BRENMO_API CAdductUserNeg : public CAdduct
{
  public:
    /// Name "M-%.2f" of mass, stored mass -mass, not allowed.
    CAdductUserNeg(float mass = 0);
    CAdductUserNeg(const CAdductUserNeg& other);
    /// Renames to "M-%.2f" of mass and stores -mass; the allowed flag is kept. Callers pass the
    /// magnitude.
    void SetMass(float mass);
};
