// Finding the chromatographic peak of one chromatogram: smoothing, apex, where the peak meets the
// baseline on either side, and its area. The stand-in's measuring of sample lists uses it for every
// method record; it is pure so that it can be checked on plain vectors.
#pragma once

#include "host/host.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace kelvane
{
/// How the detector smooths a chromatogram and where it may put the apex.
struct PeakSearch
{
    int smoothingPasses = 2;   // moving-average passes, 0 to 20 (outside, the nearest end)
    int smoothingWindow = 3;   // points per average, 1 to 101; an even width is widened by one to stay centred
    double expectedTime = 0.0; // minutes
    double timeWindow = 0.0;   // minutes either side of expectedTime that may hold the apex; 0 or less: anywhere
};

/// The peak found in a chromatogram. Positions are indices into the chromatogram's points; the area
/// is in intensity times minutes, above a straight baseline drawn from start to end.
struct DetectedPeak
{
    std::size_t apex = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    double area = 0.0;
};

/// The intensities after passes of a centred moving average of window points (clamped as in
/// PeakSearch); near either end the average takes the points there are, so no point is invented.
HOST_API std::vector<double> smoothChromatogram(const std::vector<double>& intensity, int passes, int window);

/// Finds the peak of the chromatogram given by time (minutes, ascending) and intensity, one value
/// each per point. The apex is the highest smoothed point (the first of equal ones) inside the
/// search's time window. The baseline level is the smoothed signal's 10th percentile and the noise
/// the spread of the raw points about the smoothed ones. From the apex each bound walks outwards
/// while the smoothed signal falls, down to the baseline level plus three times the noise (at least
/// a thousandth of the peak's height above the baseline) and on to the foot of the flank; a bound
/// that meets a rise above that level stops in the valley. The baseline runs straight from start
/// to end: through a valley, elsewhere at the median of the smoothed points beyond the bound (as
/// many as the peak is wide; at a chromatogram end, those beyond the other bound). Non-finite
/// intensities count as 0. No peak (empty) for an empty or flat signal, an apex not above that
/// level, no point in the time window, or an area that is not positive; time and intensity must
/// have the same length.
HOST_API std::optional<DetectedPeak> detectPeak(const std::vector<double>& time, const std::vector<double>& intensity,
                                                const PeakSearch& search);
} // namespace kelvane
