// libFuzzer target: reads arbitrary bytes as a measured fragmentation series and checks what must
// always hold: a refused file says where and why; a read one has ascending energies, one value per
// energy in every curve, finite values that are not negative, products in ascending m/z below the
// precursor, and curves that stay finite and within their measured range at any energy.
#include "instrument/MeasuredSpectra.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "invariant violated: %s\n", what), std::abort();
}

void checkCurve(const instrument::MeasuredSeries& series, const std::vector<double>& curve)
{
    check(curve.size() == series.energies.size(), "a curve without one value per energy");
    double most = 0.0;
    for (const double v : curve)
    {
        check(std::isfinite(v) && v >= 0.0, "a curve value that is negative or not finite");
        most = std::max(most, v);
    }
    for (const double energy : {-1.0, 0.0, 7.5, 33.3, 1e3, 1e300})
    {
        const double v = series.at(curve, energy);
        check(std::isfinite(v) && v >= 0.0 && v <= most * (1.0 + 1e-12), "an interpolated value out of range");
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    instrument::MeasuredSeries series;
    std::string error;
    if (!instrument::parseMeasuredSeries(text, "F.tsv", series, error))
    {
        check(error.rfind("F.tsv:", 0) == 0 && error.find('\n') == std::string::npos,
              "a refusal without the file or on more than one line");
        check(series.energies.empty() && series.products.empty(), "a refused series left behind");
        return 0;
    }
    check(std::isfinite(series.precursorMz) && series.precursorMz > 0.0, "a precursor that is not positive");
    check(!series.energies.empty(), "a series without energies");
    check(std::is_sorted(series.energies.begin(), series.energies.end()) &&
              std::adjacent_find(series.energies.begin(), series.energies.end()) == series.energies.end(),
          "energies not strictly ascending");
    checkCurve(series, series.survival);
    for (std::size_t i = 0; i < series.products.size(); ++i)
    {
        const auto& p = series.products[i];
        check(p.mz > 0.0 && p.mz < series.precursorMz, "a product not below its precursor");
        check(i == 0 || p.mz > series.products[i - 1].mz, "products not in ascending m/z");
        checkCurve(series, p.intensity);
    }
    return 0;
}
