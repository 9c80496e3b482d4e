// Tests of the species sets: their fixed lists, flag comparisons and assignment.
#include "chemistry/AdductGroup.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// "name:allowed" of every position, and whether each entry points at the set's own member.
std::vector<std::string> listOf(const CAdductGroup& group, const std::vector<const CAdduct*>& members)
{
    std::vector<std::string> out;
    for (int i = 0; i < group.m_nAdducts; ++i)
    {
        const CAdduct* species = group.m_ppAdducts[i];
        EXPECT_EQ(species, members[static_cast<size_t>(i)]) << "position " << i;
        out.push_back(std::string(species->m_strName) + ":" + std::to_string(species->Allowed()));
    }
    return out;
}

std::vector<const CAdduct*> membersOf(const CAdducts& a)
{
    return {&a.m_HydrogenMinus, &a.m_UserNeg1, &a.m_UserNeg2, &a.m_HydrogenPlus, &a.m_Sodium,
            &a.m_Ammonia,       &a.m_UserPos3, &a.m_UserPos4, &a.m_UserPos5};
}

std::vector<const CAdduct*> membersOf(const CLosses& l)
{
    return {&l.m_Water, &l.m_CarbonDioxide, &l.m_UserLoss1, &l.m_UserLoss2, &l.m_UserLoss3};
}

// The parent search takes positions 0-2 as the negative-mode adducts and 3-8 as the positive ones.
TEST(AdductGroup, FreshSetsListTheirSpeciesInPositionOrder)
{
    const CAdducts adducts;
    EXPECT_EQ(listOf(adducts, membersOf(adducts)),
              (std::vector<std::string>{"M-H:1", "M-0.00:0", "M-0.00:0", "M+H:1", "M+Na:0", "M+NH4:0", "M+0.00:0",
                                        "M+0.00:0", "M+0.00:0"}));
    EXPECT_EQ(adducts.Any(), 1);
    EXPECT_EQ(!adducts, 0);

    const CLosses losses;
    EXPECT_EQ(listOf(losses, membersOf(losses)),
              (std::vector<std::string>{"M+H2O:0", "M+CO2:0", "M+0.00:0", "M+0.00:0", "M+0.00:0"}));
    EXPECT_EQ(losses.Any(), 0);
    EXPECT_EQ(!losses, 1);
}

TEST(AdductGroup, EqualityLooksAtFlagsOnlyButAssignmentCopiesEverything)
{
    CAdducts a;
    CAdducts b;
    b.m_UserNeg2.SetMass(35.5f);
    b.m_Sodium.m_strName = "renamed";
    EXPECT_EQ(a == b, 1);
    EXPECT_EQ(a != b, 0);
    // Every position takes part, the last one included.
    b.m_UserPos5.Allow(1);
    EXPECT_EQ(a == b, 0);
    EXPECT_EQ(a != b, 1);

    a = b;
    EXPECT_EQ(a == b, 1);
    EXPECT_STREQ(a.m_UserNeg2.m_strName, "M-35.50");
    EXPECT_EQ(a.m_UserNeg2.Mass(), -35.5f);
    EXPECT_STREQ(a.m_Sodium.m_strName, "renamed");
    EXPECT_EQ(a.m_ppAdducts[2], &a.m_UserNeg2);

    CLosses lossSource;
    lossSource.m_UserLoss3.SetMass(2.25f);
    lossSource.m_Water.Allow(1);
    CLosses lossTarget;
    static_cast<CAdductGroup&>(lossTarget) = lossSource;
    EXPECT_STREQ(lossTarget.m_UserLoss3.m_strName, "M+2.25");
    EXPECT_EQ(lossTarget.m_Water.Allowed(), 1);
}

TEST(AdductGroup, CopyConstructionCarriesTheSourceButPointsAtItsOwnMembers)
{
    CAdducts source;
    source.m_Sodium.Allow(1);
    source.m_UserPos3.SetMass(100.0f);
    const CAdducts copy(source);
    EXPECT_EQ(copy.m_ppAdducts[4]->Allowed(), 1);
    EXPECT_EQ(copy.m_UserPos3.Mass(), 100.0f);
    listOf(copy, membersOf(copy));

    CLosses losses;
    losses.m_CarbonDioxide.Allow(1);
    const CLosses lossCopy(losses);
    EXPECT_EQ(listOf(lossCopy, membersOf(lossCopy))[1], "M+CO2:1");
}

// Sets of different kinds reached through base references must not be read past the shorter
// list: they compare unequal, and assignment copies the positions both have.
TEST(AdductGroup, SetsOfDifferentKindsStayInBounds)
{
    CAdducts adducts;
    CLosses losses;
    const CAdductGroup& a = adducts;
    const CAdductGroup& l = losses;
    EXPECT_EQ(a == l, 0);
    EXPECT_EQ(l != a, 1);

    static_cast<CAdductGroup&>(losses) = adducts;
    EXPECT_STREQ(losses.m_UserLoss3.m_strName, "M+Na");
    static_cast<CAdductGroup&>(adducts) = CLosses();
    EXPECT_STREQ(adducts.m_HydrogenMinus.m_strName, "M+H2O");
    EXPECT_STREQ(adducts.m_Ammonia.m_strName, "M+NH4");
}
} // namespace
