// The species sets: CAdductGroup, a fixed list of species addressed by position, and its two
// concrete sets, CAdducts (the nine ionisation adducts) and CLosses (the five neutral losses).
#pragma once

#include "chemistry/Adduct.h"
#include "platform/Export.h"

/// A fixed, ordered list of species. m_ppAdducts is an array of m_nAdducts pointers owned by the
/// group; the species it points to are members of the derived set, so entry i always points at
/// the same member of this object. Comparisons look at the allowed flags only.
class BRENMO_API CAdductGroup
{
  protected:
    /// Builds m_ppAdducts and m_nAdducts from the derived set's members. Declared before the
    /// destructor: the host relies on this virtual-table slot order.
    virtual void SetAdductList() = 0;

  public:
    /// Sets up an empty list; the derived constructor fills it.
    CAdductGroup();
    /// Sets up an empty list; the derived copy constructor fills it (the pointers are never
    /// shared with the source).
    CAdductGroup(const CAdductGroup& other);
    /// Frees the pointer array, not the species.
    virtual ~CAdductGroup();

    /// 1 when the two groups hold the same number of species and the allowed flags agree at
    /// every position, else 0; masses and names are not compared.
    int operator==(const CAdductGroup& other) const;
    /// The negation of operator==.
    int operator!=(const CAdductGroup& other) const;
    /// 1 when at least one species is allowed, else 0.
    int Any() const;
    /// 1 when no species is allowed, else 0.
    int operator!() const;
    /// Copies flag, mass and name of the other group's species into this group's species,
    /// position by position, over the positions both groups have; returns *this.
    CAdductGroup& operator=(const CAdductGroup& other);

    CAdduct** m_ppAdducts;
    int m_nAdducts;
};

/// The ionisation adducts. Positions 0-2 are the negative-mode adducts, 3-8 the positive-mode
/// adducts; the parent search relies on that split. A fresh set allows "M-H" and "M+H" only.
class BRENMO_API CAdducts : public CAdductGroup
{
  public:
    /// The species as constructed, listed in position order.
    CAdducts();
    /// A set of its own species carrying the source's flags, masses and names.
    CAdducts(const CAdducts& other);
    ~CAdducts() override;
    /// The group assignment: flags, masses and names; the list keeps pointing at this set.
    CAdducts& operator=(const CAdducts& other);

    CAdductHydrogenMinus m_HydrogenMinus; // 0
    CAdductUserNeg m_UserNeg1;            // 1
    CAdductUserNeg m_UserNeg2;            // 2
    CAdductHydrogenPlus m_HydrogenPlus;   // 3
    CAdductSodium m_Sodium;               // 4
    CAdductAmmonia m_Ammonia;             // 5
    CAdductUser m_UserPos3;               // 6
    CAdductUser m_UserPos4;               // 7
    CAdductUser m_UserPos5;               // 8

  protected:
    void SetAdductList() override;
};

/// The neutral losses. A selected (allowed) loss is one whose product ion the daughter search must
/// not pick; all masses are positive and are subtracted from the parent mass. A fresh set selects
/// nothing.
class BRENMO_API CLosses : public CAdductGroup
{
  public:
    /// The species as constructed, listed in position order.
    CLosses();
    /// A set of its own species carrying the source's flags, masses and names.
    CLosses(const CLosses& other);
    ~CLosses() override;
    /// The group assignment: flags, masses and names; the list keeps pointing at this set.
    CLosses& operator=(const CLosses& other);

    CAdductWater m_Water;                 // 0
    CAdductCarbonDioxide m_CarbonDioxide; // 1
    CAdductUser m_UserLoss1;              // 2
    CAdductUser m_UserLoss2;              // 3
    CAdductUser m_UserLoss3;              // 4

  protected:
    void SetAdductList() override;
};
