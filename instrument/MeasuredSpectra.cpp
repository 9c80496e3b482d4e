// Reading measured fragmentation series and interpolating their breakdown curves.
#include "instrument/MeasuredSpectra.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace instrument
{
namespace
{
// A series is a few spectra of a few hundred peaks each; these bound what a damaged or hostile
// file can make the reader hold.
constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxRows = 100000;
// Peaks this close to the precursor are the precursor itself (the quadrupole's unit resolution).
constexpr double kPrecursorWindow = 0.5;
// Centroids of one product in spectra at different energies scatter by a few millidaltons.
constexpr double kProductTolerance = 0.01;
// Lines of one file all describe one precursor; more than this apart is another compound.
constexpr double kPrecursorAgreement = 0.01;
// The narrowest fall-off beyond the measured energies, eV.
constexpr double kMinTailWidth = 5.0;

enum Column
{
    kPrecursor,
    kEnergy,
    kMz,
    kIntensity,
    kColumns
};
constexpr std::string_view kColumnNames[kColumns] = {"precursor_mz", "collision_energy", "mz", "intensity"};

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;)
    {
        const std::size_t tab = line.find('\t');
        fields.push_back(trimmed(line.substr(0, tab)));
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

struct Row
{
    double values[kColumns];
};

// The number in field of column, checked against the column's range; empty error when it reads.
double valueOf(std::string_view field, Column column, std::string& error)
{
    double value = 0.0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    const std::string quoted = std::string(kColumnNames[column]) + " \"" + std::string(field) + "\"";
    if (field.empty() || ec != std::errc() || end != field.data() + field.size())
        error = quoted + " is not a number";
    else if (!std::isfinite(value))
        error = quoted + " is not finite";
    else if ((column == kPrecursor || column == kMz) && !(value > 0.0))
        error = quoted + " is not positive";
    else if ((column == kEnergy || column == kIntensity) && value < 0.0)
        error = quoted + " is negative";
    return value;
}
} // namespace

double MeasuredSeries::at(const std::vector<double>& curve, double energy) const
{
    if (curve.empty() || curve.size() != energies.size())
        return 0.0;
    const double first = energies.front();
    const double last = energies.back();
    if (energy <= first || energy >= last)
    {
        const double width = std::max((last - first) / 2.0, kMinTailWidth);
        const double edge = energy <= first ? first : last;
        const double d = (energy - edge) / width;
        return (energy <= first ? curve.front() : curve.back()) * std::exp(-0.5 * d * d);
    }
    const auto above = std::upper_bound(energies.begin(), energies.end(), energy);
    const std::size_t i = static_cast<std::size_t>(above - energies.begin());
    const double fraction = (energy - energies[i - 1]) / (energies[i] - energies[i - 1]);
    return curve[i - 1] + fraction * (curve[i] - curve[i - 1]);
}

double MeasuredSeries::greatest() const
{
    double most = 0.0;
    for (const double v : survival)
        most = std::max(most, v);
    for (const Product& p : products)
        for (const double v : p.intensity)
            most = std::max(most, v);
    return most;
}

bool parseMeasuredSeries(std::string_view text, const std::string& where, MeasuredSeries& series, std::string& error)
{
    series = MeasuredSeries();
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());

    std::size_t columnAt[kColumns];
    std::fill(std::begin(columnAt), std::end(columnAt), std::string_view::npos);
    std::vector<Row> rows;
    std::size_t lineNumber = 0;
    bool header = false;
    const auto fail = [&](const std::string& reason) {
        error = where + ":" + std::to_string(lineNumber) + ": " + reason;
        series = MeasuredSeries();
        return false;
    };
    const auto failWhole = [&](const std::string& reason) {
        error = where + ": " + reason;
        return false;
    };
    while (!text.empty())
    {
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        const std::vector<std::string_view> fields = fieldsOf(line);
        if (!header)
        {
            for (std::size_t f = 0; f < fields.size(); ++f)
                for (int c = 0; c < kColumns; ++c)
                    if (fields[f] == kColumnNames[c])
                    {
                        if (columnAt[c] != std::string_view::npos)
                            return fail("two \"" + std::string(kColumnNames[c]) + "\" columns");
                        columnAt[c] = f;
                    }
            for (int c = 0; c < kColumns; ++c)
                if (columnAt[c] == std::string_view::npos)
                    return fail("no \"" + std::string(kColumnNames[c]) + "\" column");
            header = true;
            continue;
        }
        if (fields.size() == 1 && fields[0].empty())
            continue;
        if (rows.size() == kMaxRows)
            return fail("more than " + std::to_string(kMaxRows) + " peaks");
        Row row{};
        for (int c = 0; c < kColumns; ++c)
        {
            if (columnAt[c] >= fields.size())
                return fail(std::to_string(fields.size()) + " fields, no \"" + std::string(kColumnNames[c]) + "\"");
            std::string reason;
            row.values[c] = valueOf(fields[columnAt[c]], static_cast<Column>(c), reason);
            if (!reason.empty())
                return fail(reason);
        }
        if (!rows.empty() && std::fabs(row.values[kPrecursor] - rows.front().values[kPrecursor]) > kPrecursorAgreement)
            return fail("precursor_mz " + std::string(fields[columnAt[kPrecursor]]) +
                        " differs from the first peak's");
        rows.push_back(row);
    }
    if (!header)
        return failWhole("empty, expected a header line");
    if (rows.empty())
        return failWhole("no peaks");

    series.precursorMz = rows.front().values[kPrecursor];
    for (const Row& r : rows)
        series.energies.push_back(r.values[kEnergy]);
    std::sort(series.energies.begin(), series.energies.end());
    series.energies.erase(std::unique(series.energies.begin(), series.energies.end()), series.energies.end());
    const auto energyIndex = [&](double energy) {
        return static_cast<std::size_t>(std::lower_bound(series.energies.begin(), series.energies.end(), energy) -
                                        series.energies.begin());
    };

    // Products: the distinct m/z values below the precursor, each group starting at its lightest
    // value and taking every value within the tolerance of it, so groups cannot creep.
    std::vector<double> masses;
    for (const Row& r : rows)
        if (r.values[kMz] < series.precursorMz - kPrecursorWindow)
            masses.push_back(r.values[kMz]);
    std::sort(masses.begin(), masses.end());
    std::vector<double> groupStarts;
    std::vector<double> means, counts; // a running mean cannot overflow as a sum could
    for (const double m : masses)
    {
        if (groupStarts.empty() || m - groupStarts.back() > kProductTolerance)
        {
            groupStarts.push_back(m);
            means.push_back(0.0);
            counts.push_back(0.0);
        }
        counts.back() += 1.0;
        means.back() += (m - means.back()) / counts.back();
    }
    series.survival.assign(series.energies.size(), 0.0);
    series.products.resize(groupStarts.size());
    for (std::size_t g = 0; g < groupStarts.size(); ++g)
    {
        series.products[g].mz = means[g];
        series.products[g].intensity.assign(series.energies.size(), 0.0);
    }
    for (const Row& r : rows)
    {
        const double mz = r.values[kMz];
        const std::size_t e = energyIndex(r.values[kEnergy]);
        if (std::fabs(mz - series.precursorMz) <= kPrecursorWindow)
            series.survival[e] += r.values[kIntensity];
        else if (mz < series.precursorMz)
        {
            const auto after = std::upper_bound(groupStarts.begin(), groupStarts.end(), mz);
            series.products[static_cast<std::size_t>(after - groupStarts.begin()) - 1].intensity[e] +=
                r.values[kIntensity];
        }
    }
    // Peaks of one product at one energy add up; absurd intensities could add past a double.
    const auto finite = [](const std::vector<double>& curve) {
        return std::all_of(curve.begin(), curve.end(), [](double v) { return std::isfinite(v); });
    };
    if (!finite(series.survival) ||
        !std::all_of(series.products.begin(), series.products.end(), [&](const auto& p) { return finite(p.intensity); }))
    {
        series = MeasuredSeries();
        return failWhole("intensities add up past the largest number");
    }
    return true;
}

bool readMeasuredSeries(const std::string& posixPath, MeasuredSeries& series, std::string& error)
{
    series = MeasuredSeries();
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(posixPath, ec);
    std::ifstream in(posixPath, std::ios::binary);
    if (ec || !in)
    {
        error = posixPath + ": cannot be read";
        return false;
    }
    // The size is checked again after reading, for a file that grows meanwhile.
    std::string text(static_cast<std::size_t>(std::min<std::uintmax_t>(bytes, kMaxFileBytes)) + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad())
    {
        error = posixPath + ": cannot be read";
        return false;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxFileBytes)
    {
        error = posixPath + ": larger than 16 MiB";
        return false;
    }
    return parseMeasuredSeries(text, posixPath, series, error);
}
} // namespace instrument
