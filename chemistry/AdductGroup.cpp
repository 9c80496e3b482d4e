// The species sets: comparison and assignment position by position, and the fixed lists of
// CAdducts and CLosses.
#include "chemistry/AdductGroup.h"

#include <algorithm>
#include <initializer_list>
#include <new>

namespace
{
// Replaces the group's list with the given species. An allocation failure leaves an empty list
// rather than throwing out of a constructor the host calls.
void setList(CAdduct**& list, int& count, std::initializer_list<CAdduct*> species)
{
    delete[] list;
    list = new (std::nothrow) CAdduct*[species.size()];
    count = list ? static_cast<int>(species.size()) : 0;
    if (list)
        std::copy(species.begin(), species.end(), list);
}
} // namespace

CAdductGroup::CAdductGroup() : m_ppAdducts(nullptr), m_nAdducts(0)
{
}

CAdductGroup::CAdductGroup(const CAdductGroup&) : m_ppAdducts(nullptr), m_nAdducts(0)
{
}

CAdductGroup::~CAdductGroup()
{
    delete[] m_ppAdducts;
}

int CAdductGroup::operator==(const CAdductGroup& other) const
{
    // Sets of different kinds have different counts; comparing them position by position would
    // read past the shorter list, so they are simply unequal.
    if (m_nAdducts != other.m_nAdducts)
        return 0;
    for (int i = 0; i < m_nAdducts; ++i)
    {
        if (*m_ppAdducts[i] != *other.m_ppAdducts[i])
            return 0;
    }
    return 1;
}

int CAdductGroup::operator!=(const CAdductGroup& other) const
{
    return (*this == other) ? 0 : 1;
}

int CAdductGroup::Any() const
{
    for (int i = 0; i < m_nAdducts; ++i)
    {
        if (m_ppAdducts[i]->Allowed())
            return 1;
    }
    return 0;
}

int CAdductGroup::operator!() const
{
    return Any() ? 0 : 1;
}

CAdductGroup& CAdductGroup::operator=(const CAdductGroup& other)
{
    // Only the positions both lists have: a set of another kind must not be read past its end.
    const int n = std::min(m_nAdducts, other.m_nAdducts);
    for (int i = 0; i < n; ++i)
        *m_ppAdducts[i] = *other.m_ppAdducts[i];
    return *this;
}

CAdducts::CAdducts()
{
    SetAdductList();
}

CAdducts::CAdducts(const CAdducts& other) : CAdductGroup(other)
{
    SetAdductList();
    CAdductGroup::operator=(other);
}

CAdducts::~CAdducts() = default;

CAdducts& CAdducts::operator=(const CAdducts& other)
{
    CAdductGroup::operator=(other);
    return *this;
}

void CAdducts::SetAdductList()
{
    setList(m_ppAdducts, m_nAdducts,
            {&m_HydrogenMinus, &m_UserNeg1, &m_UserNeg2, &m_HydrogenPlus, &m_Sodium, &m_Ammonia, &m_UserPos3,
             &m_UserPos4, &m_UserPos5});
}

CLosses::CLosses()
{
    SetAdductList();
}

CLosses::CLosses(const CLosses& other) : CAdductGroup(other)
{
    SetAdductList();
    CAdductGroup::operator=(other);
}

CLosses::~CLosses() = default;

CLosses& CLosses::operator=(const CLosses& other)
{
    CAdductGroup::operator=(other);
    return *this;
}

void CLosses::SetAdductList()
{
    setList(m_ppAdducts, m_nAdducts, {&m_Water, &m_CarbonDioxide, &m_UserLoss1, &m_UserLoss2, &m_UserLoss3});
}
