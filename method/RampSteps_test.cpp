// The length of a ramp, including counts past what an int holds and NaN arguments.
#include "method/RampSteps.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace
{
TEST(CalcNSteps, CountsTheRampPoints)
{
    const std::vector<std::vector<double>> cases = { // start, end, step, points
        {10, 50, 6, 8},   {10, 50, 10, 5},  {10, 50, 0, 1},    {20, 20, 5, 1}, {10, 0, 5, -1},
        {0, 1, 0.3, 5},   {50, 10, -10, 5}, {10, 50, -10, -3}, {0, 0.5, 1, 2}, {NAN, 50, 10, 1},
        {0, 1e300, 1e-300, INT_MAX}, {0, -1e300, 1e-300, INT_MIN + 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcNSteps(c[0], c[1], c[2]), static_cast<int>(c[3])) << c[0] << " to " << c[1] << " by " << c[2];
}
} // namespace
