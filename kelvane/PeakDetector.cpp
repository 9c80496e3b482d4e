#include "kelvane/PeakDetector.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace kelvane
{
namespace
{
constexpr int kMaxPasses = 20;
constexpr int kMaxWindow = 101;
// Which share of the points lies below the baseline level. A low quantile stays on the baseline
// even when the peak covers most of the chromatogram, as it does in a narrow chromatogram range.
constexpr double kBaselineQuantile = 0.10;
// Turns the median absolute deviation of normally distributed noise into its standard deviation.
constexpr double kMadToSigma = 1.4826;
// The peak ends where the smoothed signal comes within this many noise deviations of the baseline;
// smoothed baseline noise rarely rises that far, so a bound is not cut short by a noise spike.
constexpr double kNoiseDeviations = 3.0;
// On a signal without noise the peak ends where it comes within this share of its height of the
// baseline, rather than where its tails vanish in rounding, far out on the baseline.
constexpr double kHeightShare = 0.001;
// How far a flank may reach, in half widths at half height: a Gaussian peak has left less than a
// millionth of its area beyond four.
constexpr std::size_t kReachPerHalfWidth = 4;
// Points whose median gives the baseline at a peak's foot.
constexpr std::size_t kFootPoints = 5;

// The value below which share of values lie (values is reordered).
double quantile(std::vector<double> values, double share)
{
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

std::vector<double> finiteOnly(const std::vector<double>& values)
{
    std::vector<double> out(values);
    for (double& v : out)
        if (!std::isfinite(v))
            v = 0.0;
    return out;
}
} // namespace

std::vector<double> smoothChromatogram(const std::vector<double>& intensity, int passes, int window)
{
    passes = std::clamp(passes, 0, kMaxPasses);
    window = std::clamp(window, 1, kMaxWindow);
    const std::size_t half = static_cast<std::size_t>(window) / 2;
    const std::size_t n = intensity.size();
    std::vector<double> current(intensity);
    std::vector<double> sums(n + 1);
    for (int pass = 0; pass < passes && half > 0; ++pass)
    {
        sums[0] = 0.0;
        for (std::size_t i = 0; i < n; ++i)
            sums[i + 1] = sums[i] + current[i];
        for (std::size_t i = 0; i < n; ++i)
        {
            const std::size_t first = i > half ? i - half : 0;
            const std::size_t last = std::min(n - 1, i + half);
            current[i] = (sums[last + 1] - sums[first]) / static_cast<double>(last - first + 1);
        }
    }
    return current;
}

std::optional<DetectedPeak> detectPeak(const std::vector<double>& time, const std::vector<double>& intensity,
                                       const PeakSearch& search)
{
    assert(time.size() == intensity.size());
    const std::size_t n = std::min(time.size(), intensity.size());
    if (n == 0)
        return std::nullopt;
    std::vector<double> raw = finiteOnly(intensity);
    raw.resize(n);
    const std::vector<double> smooth = smoothChromatogram(raw, search.smoothingPasses, search.smoothingWindow);

    // Apex: the highest smoothed point the time window allows.
    const bool windowed = search.timeWindow > 0.0;
    std::optional<std::size_t> apex;
    for (std::size_t i = 0; i < n; ++i)
    {
        if (windowed && !(std::fabs(time[i] - search.expectedTime) <= search.timeWindow))
            continue;
        if (!apex || smooth[i] > smooth[*apex])
            apex = i;
    }
    if (!apex)
        return std::nullopt;

    std::vector<double> residual(n);
    for (std::size_t i = 0; i < n; ++i)
        residual[i] = std::fabs(raw[i] - smooth[i]);
    const double baseline = quantile(smooth, kBaselineQuantile);
    const double noise = kMadToSigma * quantile(residual, 0.5);
    if (!(smooth[*apex] > baseline))
        return std::nullopt;
    const double level = baseline + std::max(kNoiseDeviations * noise, kHeightShare * (smooth[*apex] - baseline));
    if (!(smooth[*apex] > level))
        return std::nullopt;

    DetectedPeak peak;
    peak.apex = *apex;
    // Down each flank to the level, then on while it still falls, to its foot on the baseline's
    // noise: bounds cut at the level would lose the peak's tails. No flank reaches further than
    // kReachPerHalfWidth half widths, so a bound does not run on down a drifting baseline.
    const double halfHeight = baseline + 0.5 * (smooth[*apex] - baseline);
    std::size_t toHalfBefore = 0;
    while (toHalfBefore < *apex && smooth[*apex - toHalfBefore] > halfHeight)
        ++toHalfBefore;
    std::size_t toHalfAfter = 0;
    while (*apex + toHalfAfter + 1 < n && smooth[*apex + toHalfAfter] > halfHeight)
        ++toHalfAfter;
    const bool halfBefore = smooth[*apex - toHalfBefore] <= halfHeight;
    const bool halfAfter = smooth[*apex + toHalfAfter] <= halfHeight;
    const std::size_t unlimited = n;
    const std::size_t reachBefore = kReachPerHalfWidth * (halfBefore ? toHalfBefore : halfAfter ? toHalfAfter : unlimited);
    const std::size_t reachAfter = kReachPerHalfWidth * (halfAfter ? toHalfAfter : halfBefore ? toHalfBefore : unlimited);
    const auto before = [&](std::size_t i) { return i > 0 && *apex - i < reachBefore; };
    const auto after = [&](std::size_t i) { return i + 1 < n && i - *apex < reachAfter; };
    peak.start = *apex;
    while (before(peak.start) && smooth[peak.start] > level && smooth[peak.start - 1] <= smooth[peak.start])
        --peak.start;
    while (before(peak.start) && smooth[peak.start] <= level && smooth[peak.start - 1] < smooth[peak.start])
        --peak.start;
    peak.end = *apex;
    while (after(peak.end) && smooth[peak.end] > level && smooth[peak.end + 1] <= smooth[peak.end])
        ++peak.end;
    while (after(peak.end) && smooth[peak.end] <= level && smooth[peak.end + 1] < smooth[peak.end])
        ++peak.end;

    // A bound that stopped in a valley above the level drops the peak off its neighbour there, so
    // the baseline passes through the valley. A bound at the foot of its flank sits on a noise
    // trough, so there the baseline takes the median of the bound and the kFootPoints - 1 smoothed
    // points beyond it. At a chromatogram end the peak has not come down to, it takes the foot of
    // the other flank, or the baseline level when neither flank has one.
    const auto foot = [&](std::size_t from, std::size_t to) { // [from, to) within the chromatogram
        return quantile(std::vector<double>(smooth.begin() + static_cast<std::ptrdiff_t>(from),
                                            smooth.begin() + static_cast<std::ptrdiff_t>(to)),
                        0.5);
    };
    const bool startValley = smooth[peak.start] > level && peak.start > 0;
    const bool endValley = smooth[peak.end] > level && peak.end + 1 < n;
    const bool startCut = peak.start == 0 && smooth[0] > level;
    const bool endCut = peak.end + 1 == n && smooth[n - 1] > level;
    std::optional<double> startFoot, endFoot;
    if (!startCut)
        startFoot = startValley ? smooth[peak.start]
                                : foot(peak.start + 1 > kFootPoints ? peak.start + 1 - kFootPoints : 0, peak.start + 1);
    if (!endCut)
        endFoot = endValley ? smooth[peak.end] : foot(peak.end, std::min(n, peak.end + kFootPoints));
    const double startBase = startFoot.value_or(endFoot.value_or(baseline));
    const double endBase = endFoot.value_or(startFoot.value_or(baseline));
    const double span = time[peak.end] - time[peak.start];
    if (!(span > 0.0))
        return std::nullopt;
    auto above = [&](std::size_t i) {
        const double base = startBase + (endBase - startBase) * (time[i] - time[peak.start]) / span;
        return std::max(0.0, smooth[i] - base);
    };
    for (std::size_t i = peak.start; i < peak.end; ++i)
        peak.area += 0.5 * (above(i) + above(i + 1)) * (time[i + 1] - time[i]);
    if (!(peak.area > 0.0) || !std::isfinite(peak.area))
        return std::nullopt;
    return peak;
}
} // namespace kelvane
