// tessaly mass end to end: numbers and formulas through the engine and the host stand-in's
// isotope model.
#include "testing/DriverTest.h"

#include <gtest/gtest.h>

namespace
{
using TessalyMass = tests::DriverTest;

TEST_F(TessalyMass, PrintsEachTextWithItsMass)
{
    const Result r = tessaly({"mass", "C8H10N4O2", "301.2", "C257H383N65O77S6", "C6H2Br4", " Ca(OH)2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "C8H10N4O2\t194.080\n"
                     "301.2\t301.200\n"
                     "C257H383N65O77S6\t5806.645\n"
                     "C6H2Br4\t393.685\n"
                     " Ca(OH)2\t73.968\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(TessalyMass, TextsWithoutMassFailAfterTheOthersNamingTheFirst)
{
    const Result r = tessaly({"mass", "Xx", "12abc", "C(H", "0", "H2O"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "12abc\t12.000\nH2O\t18.011\n");
    EXPECT_EQ(r.err, "tessaly: Xx: no mass\n");
}

TEST_F(TessalyMass, AFormulaTooLongForTheModelHasNoMass)
{
    const std::string formula(256, 'H');
    const Result r = tessaly({"mass", formula});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tessaly: " + formula + ": no mass\n");
}

TEST_F(TessalyMass, WithoutTextIsRefused)
{
    expectRefused({"mass"}, "mass: TEXT is required");
}
} // namespace
