// The model of a compound, built from its seeded streams: the isotopic peaks of its neutral
// molecule, the ions it forms with their cone-voltage optima, their products with their breakdown
// over collision energy (or a measured series in their place), its retention and its background.
#include "instrument/CompoundModel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace instrument::model
{
namespace
{
// The engine asks the isotope model for peaks at this resolution, so the model's ions sit where
// the engine looks for them.
constexpr double kIsotopeResolution = 0.5;
// The 13C - 12C mass difference, the spacing of the peaks estimated for a bare mass.
constexpr double kIsotopeSpacing = 1.003355;
// Peaks below this share of the tallest are lost in the noise; more than a few add nothing.
constexpr double kMinIsotopeShare = 1e-3;
constexpr std::size_t kMaxIsotopePeaks = 8;
// The host's isotope request holds 255 characters with the terminator; the engine refuses longer.
constexpr std::size_t kMaxFormulaLength = 254;
// Neutral losses the optimiser is usually told to ignore; a product there could never be found,
// so the model puts none within this distance of them.
constexpr double kCommonLosses[] = {17.0265, 18.0106, 27.9949, 43.9898, 46.0055};
constexpr double kLossClearance = 0.6;
// The optimiser only looks at products this heavy and this far below their precursor.
constexpr double kLightestProduct = 50.5;
constexpr double kProductGap = 2.5;
// Background ions of solvent and matrix in every scan, kept clear of the compound's own peaks (m/z).
constexpr int kBackgroundIons = 6;
constexpr double kBackgroundClearance = 1.0;

// The neutral molecule's isotopic peaks from the mass text, shares relative to the tallest; for a
// formula also whether it has an atom besides C and H (without one nothing can take or lose a
// charge). Empty peaks with a reason in error when the text is neither.
std::vector<detail::IsotopePeak> neutralPeaks(const std::string& massText, bool& ionisable, std::string& error)
{
    std::vector<detail::IsotopePeak> peaks;
    ionisable = true;
    // The engine reads the text as atof does; a text it takes for a number is a monoisotopic mass.
    const double mass = std::strtod(massText.c_str(), nullptr);
    if (mass != 0.0)
    {
        if (!std::isfinite(mass) || mass < 0.0)
        {
            error = "mass \"" + massText + "\" is not a positive, finite mass";
            return peaks;
        }
        // A Poisson estimate of the carbon isotopes (about one 13C per 1800 Da of organic matter),
        // kept below 1 so that the monoisotopic peak, which the engine takes a number for, stays
        // the tallest.
        const double lambda = std::min(mass / 1800.0, 0.95);
        double share = 1.0;
        for (std::size_t k = 0; k < kMaxIsotopePeaks && share >= kMinIsotopeShare; ++k)
        {
            peaks.push_back({mass + static_cast<double>(k) * kIsotopeSpacing, share});
            share *= lambda / static_cast<double>(k + 1);
        }
        return peaks;
    }
    std::string_view formula = massText;
    while (!formula.empty() && std::strchr(" \t\r\n", formula.front()))
        formula.remove_prefix(1);
    while (!formula.empty() && std::strchr(" \t\r\n", formula.back()))
        formula.remove_suffix(1);
    if (massText.size() <= kMaxFormulaLength)
        peaks = detail::formulaIsotopes(massText, kIsotopeResolution);
    if (peaks.empty())
    {
        error = "\"" + massText + "\" is neither a mass nor a formula the isotope model reads";
        return peaks;
    }
    ionisable = false;
    for (std::size_t i = 0; i < formula.size(); ++i)
        if (formula[i] >= 'A' && formula[i] <= 'Z' &&
            !((formula[i] == 'C' || formula[i] == 'H') && (i + 1 == formula.size() || formula[i + 1] < 'a' || formula[i + 1] > 'z')))
            ionisable = true;
    double tallest = 0.0;
    for (const auto& p : peaks)
        tallest = std::max(tallest, p.abundance);
    std::erase_if(peaks, [&](const detail::IsotopePeak& p) { return p.abundance < tallest * kMinIsotopeShare; });
    for (auto& p : peaks)
        p.abundance /= tallest;
    if (peaks.size() > kMaxIsotopePeaks)
    {
        std::nth_element(peaks.begin(), peaks.begin() + kMaxIsotopePeaks, peaks.end(),
                         [](const auto& a, const auto& b) { return a.abundance > b.abundance; });
        peaks.resize(kMaxIsotopePeaks);
        std::sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) { return a.mass < b.mass; });
    }
    return peaks;
}

// Products of a precursor at m/z precursor: 2 to 6 fragments, each with its own breakdown curve.
// Optima follow 0.035 eV per m/z unit, higher by up to 15 eV for fragments that lose more of the
// ion: breaking off a small piece takes less energy than breaking the ion apart.
void addProducts(Ion& ion, std::uint64_t hash)
{
    Random random(mix(hash, kProductStream + ion.adduct));
    const double p = ion.mz;
    ion.survivalEnergy = (0.03 * p + 6.0) * random.uniform(0.6, 1.4);
    double low = kLightestProduct;
    double high = p - kProductGap;
    if (high < low + 5.0) // an ion too light for a fragment above 50: its upper half
    {
        low = 0.5 * p;
        high = std::max(p - kProductGap, low);
    }
    const int count = 2 + static_cast<int>(random.next() % 5);
    for (int i = 0; i < count; ++i)
    {
        for (int attempt = 0; attempt < 20; ++attempt)
        {
            const double mz = random.uniform(low, high);
            const bool crowded = std::any_of(ion.products.begin(), ion.products.end(),
                                             [&](const Product& q) { return std::fabs(q.mz - mz) < 1.0; });
            const bool commonLoss = std::any_of(std::begin(kCommonLosses), std::end(kCommonLosses),
                                                [&](double loss) { return std::fabs(p - loss - mz) < kLossClearance; });
            if (crowded || commonLoss)
                continue;
            const double lost = (p - mz) / p;
            Product product;
            product.mz = mz;
            product.ceOptimum = clip(0.035 * p + 7.0 * random.normal() + 15.0 * lost, 2.0, 80.0);
            product.ceSigma = random.uniform(6.0, 12.0);
            // Product-ion spectra usually have one base peak: the first fragment drawn is it, the
            // others reach at most 60% of it.
            product.yield = ion.products.empty() ? 1.0 : random.uniform(0.05, 0.6);
            ion.products.push_back(product);
            break;
        }
    }
}

void addIons(Compound& c, const std::vector<detail::IsotopePeak>& neutral)
{
    Random random(mix(c.hash, kIonStream));
    const double scale = std::pow(10.0, random.uniform(5.0, 6.5));
    double strength[std::size(kAdducts)] = {};
    const bool prefersSodium = random.chance(1.0 / 6.0);
    if (!prefersSodium || random.chance(0.8))
        strength[kProtonated] = prefersSodium ? random.uniform(0.1, 0.6) : 1.0;
    if (prefersSodium || random.chance(0.6))
        strength[kSodiated] = prefersSodium ? 1.0 : random.uniform(0.05, 0.5);
    if (random.chance(0.35))
        strength[kAmmoniated] = random.uniform(0.02, 0.3);
    strength[kDeprotonated] = 1.0;
    // Some compounds hardly take or lose a charge in negative mode or under APcI.
    const auto efficiency = [&] { return random.chance(0.3) ? random.uniform(0.005, 0.05) : random.uniform(0.2, 1.0); };
    c.efficiency[0][0] = 1.0;
    c.efficiency[0][1] = efficiency();
    c.efficiency[1][0] = efficiency();
    c.efficiency[1][1] = c.efficiency[0][1] * efficiency();

    for (std::size_t a = 0; a < std::size(kAdducts); ++a)
    {
        if (strength[a] <= 0.0)
            continue;
        Ion ion;
        ion.adduct = a;
        ion.strength = scale * strength[a];
        double tallest = 0.0;
        for (const auto& peak : neutral)
        {
            ion.peaks.push_back({peak.mass + kAdducts[a].shift, peak.abundance});
            if (peak.abundance > tallest)
            {
                tallest = peak.abundance;
                ion.mz = peak.mass + kAdducts[a].shift;
            }
        }
        Random cone(mix(c.hash, kConeStream + a));
        ion.cvOptimum = clip(0.1 * ion.mz + 20.0 + 13.0 * cone.normal(), 5.0, 150.0);
        ion.cvSigma = cone.uniform(12.0, 20.0);
        addProducts(ion, c.hash);
        c.ions.push_back(std::move(ion));
    }
}

// Background ions of the compound's solvent and matrix, clear of every peak of its ions.
void addBackground(Compound& c)
{
    Random random(mix(c.hash, kBackgroundStream));
    double top = 300.0;
    for (const Ion& ion : c.ions)
        top = std::max(top, ion.peaks.back().mass);
    for (int i = 0; i < kBackgroundIons; ++i)
    {
        for (int attempt = 0; attempt < 20; ++attempt)
        {
            const double mz = random.uniform(60.0, top + 150.0);
            const bool clashes = std::any_of(c.ions.begin(), c.ions.end(), [&](const Ion& ion) {
                return std::any_of(ion.peaks.begin(), ion.peaks.end(), [&](const detail::IsotopePeak& p) {
                    return std::fabs(p.mass - mz) < kBackgroundClearance;
                });
            });
            if (!clashes)
            {
                c.background.emplace_back(mz, random.uniform(2e3, 3e4));
                break;
            }
        }
    }
}

// Whether name can be a file of the spectra folder without leaving it.
bool isPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.size() <= 250 &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

// Attaches the measured series of the compound, when its folder has one, to the strongest ion of
// the polarity whose m/z it was measured at.
void attachSeries(Compound& c, const std::string& directory, const std::string& name)
{
    if (directory.empty() || !isPlainFileName(name))
        return;
    const std::string path = (std::filesystem::path(directory) / (name + ".tsv")).string();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return;
    MeasuredSeries series;
    if (!readMeasuredSeries(path, series, c.error))
        return;
    for (const bool negative : {false, true})
    {
        const Ion* ion = strongestIon(c, negative);
        if (ion && std::fabs(ion->mz - series.precursorMz) <= kSelectionWindow)
        {
            c.seriesIon = static_cast<std::size_t>(ion - c.ions.data());
            c.series = std::move(series);
            return;
        }
    }
    char text[160];
    std::snprintf(text, sizeof text, ": precursor_mz %.4f is not the strongest ion of the compound", series.precursorMz);
    c.error = path + text;
    for (const bool negative : {false, true})
        if (const Ion* ion = strongestIon(c, negative))
        {
            std::snprintf(text, sizeof text, "%s%s at %.4f", negative ? ", " : " (", kAdducts[ion->adduct].name,
                          ion->mz);
            c.error += text;
        }
    c.error += c.ions.empty() ? " (it does not ionise)" : ")";
}
} // namespace

const Ion* strongestIon(const Compound& c, bool negative)
{
    const Ion* best = nullptr;
    for (const Ion& ion : c.ions)
        if (kAdducts[ion.adduct].negative == negative && (!best || ion.strength > best->strength))
            best = &ion;
    return best;
}

Compound buildCompound(std::uint64_t seed, const std::string& directory, const std::string& name,
                       const std::string& massText)
{
    Compound c;
    c.hash = mix(mix(finalise(seed), std::string_view(name)), std::string_view(massText));
    bool ionisable = true;
    const std::vector<detail::IsotopePeak> neutral = neutralPeaks(massText, ionisable, c.error);
    if (!c.error.empty())
        return c;
    if (ionisable)
        addIons(c, neutral);
    Random timing(mix(c.hash, kTimingStream));
    c.retention = timing.uniform(0.10, 0.85);
    c.peakSigma = timing.uniform(0.03, 0.06);
    addBackground(c);
    attachSeries(c, directory, name);
    return c;
}


double breakdown(const Compound& c, const Ion& ion, double energy, std::vector<Fragment>& fragments)
{
    fragments.clear();
    if (c.series && &ion == &c.ions[c.seriesIon])
    {
        const MeasuredSeries& s = *c.series;
        const double greatest = s.greatest();
        if (!(greatest > 0.0))
            return 0.0;
        for (const MeasuredSeries::Product& p : s.products)
            fragments.push_back({p.mz, s.at(p.intensity, energy) / greatest});
        return s.at(s.survival, energy) / greatest;
    }
    for (const Product& p : ion.products)
        fragments.push_back({p.mz, p.yield * gaussian(energy, p.ceOptimum, p.ceSigma)});
    return std::exp(-std::max(energy, 0.0) / ion.survivalEnergy);
}

Fragment bestProduct(const Compound& c, const Ion& ion, double& energy)
{
    Fragment best{0.0, -1.0};
    if (c.series && &ion == &c.ions[c.seriesIon])
    {
        const MeasuredSeries& s = *c.series;
        for (const MeasuredSeries::Product& p : s.products)
            for (std::size_t e = 0; e < s.energies.size(); ++e)
                if (p.intensity[e] > best.share)
                {
                    best = {p.mz, p.intensity[e]};
                    energy = s.energies[e];
                }
        return best;
    }
    for (const Product& p : ion.products)
        if (p.yield > best.share)
        {
            best = {p.mz, p.yield};
            energy = p.ceOptimum;
        }
    return best;
}
} // namespace instrument::model
