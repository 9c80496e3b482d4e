// A compound's measured fragmentation: product-ion peaks recorded at several collision energies,
// read from a tab-separated file, and the breakdown curve of each product between and beyond them.
#pragma once

#include "host/host.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace instrument
{
/// One measured series: the precursor and, at each measured collision energy (eV, ascending), the
/// intensity of its own survival and of each product. Intensities are as measured (any unit);
/// curves hold one value per energy, 0 where a product had no peak at that energy.
struct HOST_API MeasuredSeries
{
    struct Product
    {
        double mz = 0.0;
        std::vector<double> intensity; // one per energy
    };

    double precursorMz = 0.0;
    std::vector<double> energies;
    std::vector<double> survival;   // the precursor's own peaks, one per energy
    std::vector<Product> products;  // ascending m/z, each below the precursor

    /// The value of curve (one per energy) at energy: linear between measured energies, and beyond
    /// them the nearest measured value falling away as a Gaussian tail whose width is half the
    /// measured span or 5 eV, whichever is larger. 0 for an empty curve.
    double at(const std::vector<double>& curve, double energy) const;
    /// The greatest single intensity of the series (survival included); 0 when it has none.
    double greatest() const;
};

/// Reads a series from text, the content of the file named where (used in messages). The first
/// line is a header of tab-separated column names holding "precursor_mz", "collision_energy", "mz"
/// and "intensity" in any order (other columns ignored); each further line is one peak. A byte-order
/// mark, CR line ends, blanks around fields and blank lines are tolerated. Peaks within 0.5 of
/// precursor_mz are its survival, peaks more than 0.5 above it (its isotopes) are left out, and
/// the others group into products by m/z within 0.01. False with a one-line reason "where:LINE: ..."
/// (or "where: ..." for the file as a whole) for a missing column, a value that is not a finite
/// number, m/z or precursor m/z not positive, a negative intensity or energy, precursor m/z that
/// changes between lines, more than 100000 peaks, or no peak at all.
HOST_API bool parseMeasuredSeries(std::string_view text, const std::string& where, MeasuredSeries& series,
                                  std::string& error);

/// Reads the series file at posixPath as parseMeasuredSeries reads text; a file that cannot be read
/// or is larger than 16 MiB is refused ("posixPath: ...").
HOST_API bool readMeasuredSeries(const std::string& posixPath, MeasuredSeries& series, std::string& error);
} // namespace instrument
