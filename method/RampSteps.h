// The length of a voltage or energy ramp, which the method editor shows and the searches step
// through.
#pragma once

#include "platform/Export.h"

/// Points of a ramp from start to end in steps of step, the last one at or past end: 10 to 50 by 6
/// is 8, by 10 is 5; a zero step gives 1; end below start gives the truncated count plus one (10 to
/// 0 by 5 is -1). A count past what an int holds is clamped; NaN arguments give 1.
BRENMO_API int CalcNSteps(double start, double end, double step);
