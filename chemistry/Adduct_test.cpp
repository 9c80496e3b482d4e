// Tests of the adduct species: what each constructor stores, and the flag operators.
#include "chemistry/Adduct.h"

#include <gtest/gtest.h>
#include <type_traits>

namespace
{
// The host relies on the species layout: one virtual operation (the assignment), no virtual
// destructor, and subclasses that add nothing to CAdduct.
static_assert(std::is_polymorphic_v<CAdduct> && !std::has_virtual_destructor_v<CAdduct>);
static_assert(sizeof(CAdductSodium) == sizeof(CAdduct) && sizeof(CAdductUserNeg) == sizeof(CAdduct));

template <class Species> CAdduct withMass(Species species, float mass)
{
    species.Allow(1);
    species.SetMass(mass);
    return species;
}

TEST(Adduct, SpeciesStoreTheirNameMassAndFlag)
{
    struct Case
    {
        const char* name;
        CAdduct species;
        float mass;
        int allowed;
    };
    const Case cases[] = {
        {"M+H", CAdductHydrogenPlus(), 1.0079f, 1},
        {"M-H", CAdductHydrogenMinus(), -1.0079f, 1},
        {"M+NH4", CAdductAmmonia(), 18.0385f, 0},
        {"M+Li", CAdductLithium(), 6.941f, 0},
        {"M+Na", CAdductSodium(), 22.9899f, 0},
        {"M+K", CAdductPotassium(), 38.9637f, 0},
        {"M+H2O", CAdductWater(), 18.0106f, 0},
        {"M+CO2", CAdductCarbonDioxide(), 43.9898f, 0},
        {"M+0.00", CAdductUser(), 0.0f, 0},
        {"M+12.35", CAdductUser(12.345678f), 12.345678f, 0},
        {"M-2.50", CAdductUserNeg(2.5f), -2.5f, 0},
        {"", CAdduct(), 0.0f, 0},
        // SetMass renames and keeps the flag; the negative one is given the magnitude.
        {"M+35.50", withMass(CAdductUser(1.0f), 35.5f), 35.5f, 1},
        {"M-2.25", withMass(CAdductUserNeg(1.0f), 2.25f), -2.25f, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.species.m_strName, c.name);
        EXPECT_EQ(c.species.Mass(), c.mass);
        EXPECT_EQ(c.species.Allowed(), c.allowed);
    }
}

TEST(Adduct, FlagOperatorsIgnoreMassAndName)
{
    struct Case
    {
        int a;
        int b;
        int equal;
        int either;
    };
    // Allow stores its argument unchanged, so a flag of 2 is "allowed" but not equal to 1.
    const Case cases[] = {{0, 0, 1, 0}, {0, 1, 0, 1}, {1, 0, 0, 1}, {1, 1, 1, 1}, {2, 1, 0, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.a << " vs " << c.b);
        CAdductUser a(1.0f);
        CAdductWater b;
        a.Allow(c.a);
        b.Allow(c.b);
        EXPECT_EQ(a == b, c.equal);
        EXPECT_EQ(a != b, 1 - c.equal);
        EXPECT_EQ(a == c.b, c.equal);
        EXPECT_EQ(a != c.b, 1 - c.equal);
        EXPECT_EQ(a || b, c.either);
        EXPECT_EQ(a || c.b, c.either);
        EXPECT_EQ(!a, c.a == 0 ? 1 : 0);
        EXPECT_EQ(static_cast<int>(a), c.a);
    }
}

TEST(Adduct, AssignmentThroughTheBaseCopiesEverything)
{
    CAdductUser target(5.0f);
    CAdductSodium source;
    source.Allow(1);
    static_cast<CAdduct&>(target) = source;
    EXPECT_STREQ(target.m_strName, "M+Na");
    EXPECT_EQ(target.Mass(), 22.9899f);
    EXPECT_EQ(target.Allowed(), 1);
}
} // namespace
