// Tests of the species sets: their fixed lists, flag comparisons and assignment.
#include "chemistry/AdductGroup.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// "name:allowed" of every position, checking that each entry points at the set's own member.
std::string listOf(const CAdductGroup& group, const std::vector<const CAdduct*>& members)
{
    EXPECT_EQ(group.m_nAdducts, static_cast<int>(members.size()));
    std::string out;
    for (int i = 0; i < group.m_nAdducts; ++i)
    {
        EXPECT_EQ(group.m_ppAdducts[i], members[static_cast<size_t>(i)]) << "position " << i;
        const CAdduct& species = *group.m_ppAdducts[i];
        out += std::string(species.m_strName) + ":" + std::to_string(species.Allowed()) + " ";
    }
    return out;
}

// The parent search takes positions 0-2 as the negative-mode adducts and 3-8 as the positive ones.
TEST(AdductGroup, SetsAndTheirCopiesListTheirOwnSpeciesInPositionOrder)
{
    CAdducts source;
    source.m_Sodium.Allow(1);
    source.m_UserPos3.SetMass(100.0f);
    const CAdducts a(source);
    EXPECT_EQ(listOf(a, {&a.m_HydrogenMinus, &a.m_UserNeg1, &a.m_UserNeg2, &a.m_HydrogenPlus, &a.m_Sodium, &a.m_Ammonia,
                         &a.m_UserPos3, &a.m_UserPos4, &a.m_UserPos5}),
              "M-H:1 M-0.00:0 M-0.00:0 M+H:1 M+Na:1 M+NH4:0 M+100.00:0 M+0.00:0 M+0.00:0 ");
    CLosses losses;
    losses.m_CarbonDioxide.Allow(1);
    const CLosses l(losses);
    EXPECT_EQ(listOf(l, {&l.m_Water, &l.m_CarbonDioxide, &l.m_UserLoss1, &l.m_UserLoss2, &l.m_UserLoss3}),
              "M+H2O:0 M+CO2:1 M+0.00:0 M+0.00:0 M+0.00:0 ");

    // Any looks at every position, the last one included.
    losses.m_CarbonDioxide.Allow(0);
    EXPECT_EQ(losses.Any() * 10 + !losses, 1);
    losses.m_UserLoss3.Allow(1);
    EXPECT_EQ(losses.Any() * 10 + !losses, 10);
}

TEST(AdductGroup, EqualityLooksAtFlagsOnlyButAssignmentCopiesEverything)
{
    CAdducts a;
    CAdducts b;
    b.m_UserNeg2.SetMass(35.5f);
    b.m_Sodium.m_strName = "renamed";
    EXPECT_EQ((a == b) * 10 + (a != b), 10);
    b.m_UserPos5.Allow(1);
    EXPECT_EQ((a == b) * 10 + (a != b), 1);

    a = b;
    EXPECT_EQ(a == b, 1);
    EXPECT_EQ(std::string(a.m_UserNeg2.m_strName) + " " + a.m_Sodium.m_strName.str(), "M-35.50 renamed");
    EXPECT_EQ(a.m_UserNeg2.Mass(), -35.5f);
    EXPECT_EQ(a.m_ppAdducts[2], &a.m_UserNeg2);

    // Sets of different kinds reached through base references must not be read past the shorter
    // list: they compare unequal, and assignment copies the positions both have.
    CLosses losses;
    EXPECT_EQ((static_cast<CAdductGroup&>(a) == losses) * 10 + (static_cast<CAdductGroup&>(losses) != a), 1);
    static_cast<CAdductGroup&>(losses) = CAdducts();
    EXPECT_STREQ(losses.m_UserLoss3.m_strName, "M+Na");
    static_cast<CAdductGroup&>(a) = CLosses();
    EXPECT_EQ(std::string(a.m_HydrogenMinus.m_strName) + " " + a.m_Ammonia.m_strName.str(), "M+H2O M+NH4");
}
} // namespace
