// The isotopic peaks of an elemental formula, computed with IsoSpec++ from the natural isotope
// abundances and merged into peaks at a resolution: what the host's isotope-model library gives and
// what the simulated ions carry.
//
// Formulas are element symbols with counts and parenthesised groups with counts, as "C8H10N4O2",
// "Ca(OH)2" or "K4(Fe(CN)6)"; blanks around the formula are ignored. Refused (result -1, empty
// list): an empty or blank formula, an unknown symbol, an empty group, unbalanced parentheses, a
// count of 0 or written with a leading zero or more than five digits, groups nested more than
// kMaxNesting deep, more than kMaxAtoms atoms in all, a formula whose distribution would take more
// than about a million isotopologues, and a resolution that is not a positive number.
#include "instrument/InstrumentModel.h"

#include <IsoSpec++/isoSpec++.h>
// element_tables.h needs the export macros that isoSpec++.h brings in first.
#include <IsoSpec++/element_tables.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace instrument
{
namespace
{
// Far more atoms than any compound an instrument of this kind can measure (10000 atoms is a
// protein of about 110 kDa), and small enough that the model's work stays bounded.
constexpr long long kMaxAtoms = 10000;
// Counts are written with at most this many digits; a longer one is junk, not a big molecule.
constexpr std::size_t kMaxCountDigits = 5;
// Deeper nesting than any real formula needs; it also bounds the parser's recursion.
constexpr int kMaxNesting = 16;
// The share of the distribution that is computed. Peaks are read to a tenth of a dalton, and the
// isotopologues left out move no peak's mean mass by more than a few millidaltons.
constexpr double kCoverage = 0.999;
// The most isotopologues a formula may take. Formulas of many heavy, many-isotope elements (Sn,
// Xe, Cd) have astronomically many; they are refused by IsoSpec's own size estimate before any is
// computed, and by the count while computing, since the estimate is only an estimate.
constexpr double kMaxEstimatedIsotopologues = 1.0e6;
constexpr std::size_t kMaxIsotopologues = 2'000'000;
// The cluster count travels in the low 16 bits of the list's first word.
constexpr std::size_t kMaxClusters = 0xFFFF;

// One element of IsoSpec's table: its symbol and its isotopes, which follow each other there.
struct Element
{
    std::string_view symbol;
    std::size_t firstIsotope;
    int isotopes;
};

// The elements of IsoSpec's table, in table order. The table also holds the electron ("E"), its
// negative ("Me") and the proton ("Pn") for charged species; they are not elements of a formula.
const std::vector<Element>& elements()
{
    static const std::vector<Element> table = [] {
        std::vector<Element> list;
        for (std::size_t i = 0; i < IsoSpec::isospec_number_of_isotopic_entries; ++i)
        {
            const std::string_view symbol = IsoSpec::elem_table_symbol[i];
            if (!list.empty() && list.back().symbol == symbol)
                ++list.back().isotopes;
            else
                list.push_back({symbol, i, 1});
        }
        constexpr std::string_view kNotElements[] = {"E", "Me", "Pn"};
        std::erase_if(list, [&](const Element& e) {
            return std::find(std::begin(kNotElements), std::end(kNotElements), e.symbol) != std::end(kNotElements);
        });
        return list;
    }();
    return table;
}

// Atoms per element, indexed like elements().
using Composition = std::vector<long long>;

// A strict reader of formulas: it accepts exactly the grammar of the file comment and gives up at
// the first character that does not fit.
class FormulaParser
{
  public:
    explicit FormulaParser(std::string_view text) : text_(text)
    {
    }

    std::optional<Composition> parse()
    {
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        while (!text_.empty() && blank(text_.front()))
            text_.remove_prefix(1);
        while (!text_.empty() && blank(text_.back()))
            text_.remove_suffix(1);
        Composition atoms(elements().size(), 0);
        long long total = 0;
        if (!sequence(0, atoms, total) || at_ != text_.size())
            return std::nullopt;
        return atoms;
    }

  private:
    // One or more elements and groups, up to a closing parenthesis or the end.
    bool sequence(int depth, Composition& atoms, long long& total)
    {
        bool any = false;
        while (at_ < text_.size() && text_[at_] != ')')
        {
            if (!item(depth, atoms, total))
                return false;
            any = true;
        }
        return any;
    }

    bool item(int depth, Composition& atoms, long long& total)
    {
        if (text_[at_] == '(')
        {
            if (depth >= kMaxNesting)
                return false;
            ++at_;
            Composition group(atoms.size(), 0);
            long long groupTotal = 0;
            if (!sequence(depth + 1, group, groupTotal) || at_ >= text_.size() || text_[at_] != ')')
                return false;
            ++at_;
            const std::optional<long long> times = count();
            // groupTotal and times are both bounded, so the product cannot overflow.
            if (!times || groupTotal * *times > kMaxAtoms - total)
                return false;
            for (std::size_t e = 0; e < atoms.size(); ++e)
                atoms[e] += group[e] * *times;
            total += groupTotal * *times;
            return true;
        }
        const std::optional<std::size_t> e = element();
        if (!e)
            return false;
        const std::optional<long long> n = count();
        if (!n || *n > kMaxAtoms - total)
            return false;
        atoms[*e] += *n;
        total += *n;
        return true;
    }

    // An upper-case letter and an optional lower-case one naming an element of the table.
    std::optional<std::size_t> element()
    {
        const auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
        const auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
        if (!upper(text_[at_]))
            return std::nullopt;
        std::size_t length = 1;
        if (at_ + 1 < text_.size() && lower(text_[at_ + 1]))
            length = 2;
        const std::string_view symbol = text_.substr(at_, length);
        const std::vector<Element>& table = elements();
        for (std::size_t e = 0; e < table.size(); ++e)
        {
            if (table[e].symbol == symbol)
            {
                at_ += length;
                return e;
            }
        }
        return std::nullopt;
    }

    // The count after an element or group: 1 when none is written.
    std::optional<long long> count()
    {
        std::size_t digits = 0;
        long long value = 0;
        while (at_ + digits < text_.size() && text_[at_ + digits] >= '0' && text_[at_ + digits] <= '9')
        {
            if (digits == kMaxCountDigits)
                return std::nullopt;
            value = value * 10 + (text_[at_ + digits] - '0');
            ++digits;
        }
        if (digits == 0)
            return 1;
        if (text_[at_] == '0')
            return std::nullopt;
        at_ += digits;
        return value;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// One isotopologue, or one merged peak of them.
struct Peak
{
    double mass;
    double abundance;
};

// The most probable isotopologues of atoms that together make up kCoverage of the distribution;
// nothing when there would be too many.
std::optional<std::vector<Peak>> isotopologues(const Composition& atoms)
{
    const std::vector<Element>& table = elements();
    std::vector<int> isotopeNumbers;
    std::vector<int> atomCounts;
    std::vector<const double*> masses;
    std::vector<const double*> probabilities;
    for (std::size_t e = 0; e < atoms.size(); ++e)
    {
        if (atoms[e] == 0)
            continue;
        isotopeNumbers.push_back(table[e].isotopes);
        atomCounts.push_back(static_cast<int>(atoms[e]));
        masses.push_back(IsoSpec::elem_table_mass + table[e].firstIsotope);
        probabilities.push_back(IsoSpec::elem_table_probability + table[e].firstIsotope);
    }
    const int dimensions = static_cast<int>(atomCounts.size());
    IsoSpec::Iso iso(dimensions, isotopeNumbers.data(), atomCounts.data(), masses.data(), probabilities.data());

    std::vector<double> logSizes(atomCounts.size());
    iso.saveMarginalLogSizeEstimates(logSizes.data(), kCoverage);
    double logSize = 0.0;
    // An element with one isotope has no spread; its estimate can come out as NaN.
    for (const double s : logSizes)
        logSize += std::isnan(s) ? 0.0 : std::max(s, 0.0);
    if (!(logSize <= std::log(kMaxEstimatedIsotopologues)))
        return std::nullopt;

    // The layered generator hands out isotopologues roughly from the most probable down, so
    // stopping at the coverage keeps the ones that matter.
    IsoSpec::IsoLayeredGenerator generator(std::move(iso), 1000, 1000, true, kCoverage);
    std::vector<Peak> peaks;
    peaks.reserve(static_cast<std::size_t>(std::exp(logSize)) + 1);
    double covered = 0.0;
    while (covered < kCoverage && generator.advanceToNextConfiguration())
    {
        if (peaks.size() == kMaxIsotopologues)
            return std::nullopt;
        // An isotopologue so rare that its probability underflows adds nothing to any peak.
        const double p = generator.prob();
        if (p > 0.0)
            peaks.push_back({generator.mass(), p});
        covered += p;
    }
    return peaks;
}

// Merges isotopologues whose masses lie closer than resolution into peaks: each peak has the
// abundance-weighted mean mass and the summed abundance of its isotopologues. Sorted by mass; when
// there are more than the list can count, the most abundant ones are kept.
std::vector<Peak> merge(std::vector<Peak> isotopologues, double resolution)
{
    std::vector<Peak> peaks;
    const auto byMass = [](const Peak& a, const Peak& b) { return a.mass < b.mass; };
    if (isotopologues.empty())
        return peaks;
    const auto [lightest, heaviest] = std::minmax_element(isotopologues.begin(), isotopologues.end(), byMass);
    const double low = lightest->mass;
    const double span = (heaviest->mass - low) / resolution;

    // Isotopologues in one bin of the resolution's width are closer than it, so they merge
    // whatever their order; only neighbouring bins need their edges compared. That spares the
    // sort, which would cost about as much as computing the distribution. A resolution so fine
    // that the bins outnumber the isotopologues by far is served by sorting instead.
    const std::size_t maxBins = 4 * isotopologues.size() + 64;
    if (span < static_cast<double>(maxBins))
    {
        struct Bin
        {
            double lightest, heaviest, weighted, abundance;
            std::size_t count;
        };
        std::vector<Bin> bins(static_cast<std::size_t>(span) + 1, Bin{0.0, 0.0, 0.0, 0.0, 0});
        for (const Peak& p : isotopologues)
        {
            Bin& bin = bins[std::min(static_cast<std::size_t>((p.mass - low) / resolution), bins.size() - 1)];
            if (bin.count++ == 0)
                bin.lightest = bin.heaviest = p.mass;
            bin.lightest = std::min(bin.lightest, p.mass);
            bin.heaviest = std::max(bin.heaviest, p.mass);
            bin.weighted += p.mass * p.abundance;
            bin.abundance += p.abundance;
        }
        Bin peak{0.0, 0.0, 0.0, 0.0, 0};
        for (const Bin& bin : bins)
        {
            if (bin.count == 0)
                continue;
            if (peak.count > 0 && bin.lightest - peak.heaviest >= resolution)
            {
                peaks.push_back({peak.weighted / peak.abundance, peak.abundance});
                peak = Bin{0.0, 0.0, 0.0, 0.0, 0};
            }
            peak.heaviest = bin.heaviest;
            peak.weighted += bin.weighted;
            peak.abundance += bin.abundance;
            peak.count += bin.count;
        }
        peaks.push_back({peak.weighted / peak.abundance, peak.abundance});
    }
    else
    {
        std::sort(isotopologues.begin(), isotopologues.end(), byMass);
        double weighted = 0.0;
        double abundance = 0.0;
        double previous = isotopologues.front().mass;
        for (const Peak& p : isotopologues)
        {
            if (p.mass - previous >= resolution)
            {
                peaks.push_back({weighted / abundance, abundance});
                weighted = abundance = 0.0;
            }
            weighted += p.mass * p.abundance;
            abundance += p.abundance;
            previous = p.mass;
        }
        peaks.push_back({weighted / abundance, abundance});
    }
    if (peaks.size() > kMaxClusters)
    {
        std::nth_element(peaks.begin(), peaks.begin() + kMaxClusters, peaks.end(),
                         [](const Peak& a, const Peak& b) { return a.abundance > b.abundance; });
        peaks.resize(kMaxClusters);
        std::sort(peaks.begin(), peaks.end(), byMass);
    }
    return peaks;
}
} // namespace

std::vector<detail::IsotopePeak> detail::formulaIsotopes(std::string_view formula, double resolution)
{
    std::vector<IsotopePeak> out;
    const std::optional<Composition> atoms = FormulaParser(formula).parse();
    std::optional<std::vector<Peak>> found = atoms ? isotopologues(*atoms) : std::nullopt;
    if (!found || !(resolution > 0.0))
        return out;
    for (const Peak& p : merge(std::move(*found), resolution))
        out.push_back({p.mass, p.abundance});
    return out;
}
} // namespace instrument
