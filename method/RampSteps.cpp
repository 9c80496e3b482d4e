#include "method/RampSteps.h"

#include <climits>
#include <cmath>

int CalcNSteps(double start, double end, double step)
{
    const double x = step == 0.0 ? 0.0 : (end - start) / step;
    if (std::isnan(x))
        return 1;
    // Clamped so that the truncation is defined and n + 2 cannot overflow.
    const double clamped = std::fmax(static_cast<double>(INT_MIN + 1), std::fmin(x, static_cast<double>(INT_MAX - 2)));
    const int n = static_cast<int>(clamped);
    return x > n ? n + 2 : n + 1;
}
