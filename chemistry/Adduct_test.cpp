// Tests of the adduct species: what each constructor stores, and the flag operators.
#include "chemistry/Adduct.h"

#include <gtest/gtest.h>
#include <string>
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
    struct Case { const char* name; CAdduct species; float mass; int allowed; };
    const Case cases[] = {
        // Of the fixed species only the protonations start allowed (AdductGroup_test lists the rest).
        {"M+H", CAdductHydrogenPlus(), 1.0079f, 1},     {"M-H", CAdductHydrogenMinus(), -1.0079f, 1},
        {"M+Na", CAdductSodium(), 22.9899f, 0},         {"M+12.35", CAdductUser(12.345678f), 12.345678f, 0},
        {"M-2.50", CAdductUserNeg(2.5f), -2.5f, 0},     {"", CAdduct(), 0.0f, 0},
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

// Each result of a against b and against b's flag: ==, !=, || (species then flag), then !a and int(a).
TEST(Adduct, FlagOperatorsIgnoreMassAndName)
{
    struct Case { int a; int b; const char* results; };
    // Allow stores its argument unchanged, so a flag of 2 is "allowed" but not equal to 1.
    const Case cases[] = {{0, 0, "1010 00 10"}, {0, 1, "0101 11 10"}, {1, 0, "0101 11 01"}, {1, 1, "1010 11 01"},
                          {2, 1, "0101 11 02"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.a << " vs " << c.b);
        CAdductUser a(1.0f);
        CAdductWater b;
        a.Allow(c.a);
        b.Allow(c.b);
        const std::string results = std::to_string(a == b) + std::to_string(a != b) + std::to_string(a == c.b) +
                                    std::to_string(a != c.b) + " " + std::to_string(a || b) + std::to_string(a || c.b) +
                                    " " + std::to_string(!a) + std::to_string(static_cast<int>(a));
        EXPECT_EQ(results, c.results);
    }
}
} // namespace
