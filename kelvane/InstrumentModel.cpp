// The simulated instrument's physics. Every random quantity of a compound comes from its own
// stream of a fixed generator (splitmix64), keyed by a hash of the seed, the compound's name and
// mass text and what the quantity is for, so the same compound gets the same ions, optima and
// retention whatever else a run asks, and the same injection gives the same bytes on any machine.
#include "kelvane/InstrumentModel.h"

#include "kelvane/MeasuredSpectra.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <numbers>
#include <optional>
#include <utility>

namespace kelvane
{
namespace
{
// ---- The generator -------------------------------------------------------------------------

// The splitmix64 finaliser: a bijection that spreads every input bit over the whole word.
std::uint64_t finalise(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t mix(std::uint64_t hash, std::uint64_t value)
{
    return finalise(hash ^ finalise(value + 0x9E3779B97F4A7C15ull));
}

std::uint64_t mix(std::uint64_t hash, double value)
{
    return mix(hash, std::bit_cast<std::uint64_t>(value));
}

// FNV-1a over the bytes, then the length, so "ab"+"c" and "a"+"bc" differ.
std::uint64_t mix(std::uint64_t hash, std::string_view text)
{
    std::uint64_t h = 0xCBF29CE484222325ull ^ hash;
    for (const char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return mix(h, static_cast<std::uint64_t>(text.size()));
}

// Uniform and normal numbers written out here rather than taken from <random>, whose
// distributions may give other numbers under another standard library.
class Random
{
  public:
    explicit Random(std::uint64_t seed) : state_(seed)
    {
    }
    std::uint64_t next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        return finalise(state_);
    }
    // In [0, 1), from the top 53 bits.
    double uniform()
    {
        return static_cast<double>(next() >> 11) * 0x1.0p-53;
    }
    double uniform(double low, double high)
    {
        return low + (high - low) * uniform();
    }
    bool chance(double p)
    {
        return uniform() < p;
    }
    // Standard normal by Box-Muller; 1 - u keeps the logarithm's argument in (0, 1].
    double normal()
    {
        const double u = 1.0 - uniform();
        const double v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
    }
    double exponential(double mean)
    {
        return -mean * std::log(1.0 - uniform());
    }

  private:
    std::uint64_t state_;
};

// What each stream of a compound is for: its values are keys of mix(), fixed so that adding a
// stream never changes another one.
enum Stream : std::uint64_t
{
    kIonStream = 1,
    kTimingStream = 2,
    kBackgroundStream = 3,
    kConeStream = 10,    // + adduct
    kProductStream = 20, // + adduct
    kParentNoise = 100,
    kDaughterNoise = 101,
    kAnalysisNoise = 102,
};

// ---- Chemistry -----------------------------------------------------------------------------

struct Adduct
{
    const char* name;
    double shift; // m/z of the ion less the neutral mass
    bool negative;
};
constexpr Adduct kAdducts[] = {
    {"[M+H]+", 1.00728, false},
    {"[M+Na]+", 22.98922, false},
    {"[M+NH4]+", 18.03383, false},
    {"[M-H]-", -1.00728, true},
};
enum AdductIndex : std::size_t
{
    kProtonated,
    kSodiated,
    kAmmoniated,
    kDeprotonated,
};

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
// Quadrupole selection and the engine's own mass searches are ±0.5.
constexpr double kSelectionWindow = 0.5;
// Neutral losses the optimiser is usually told to ignore; a product there could never be found,
// so the model puts none within this distance of them.
constexpr double kCommonLosses[] = {17.0265, 18.0106, 27.9949, 43.9898, 46.0055};
constexpr double kLossClearance = 0.6;
// The optimiser only looks at products this heavy and this far below their precursor.
constexpr double kLightestProduct = 50.5;
constexpr double kProductGap = 2.5;

// ---- Acquisition ---------------------------------------------------------------------------

constexpr std::size_t kMaxRampSteps = 8;
// A loop injection: one minute, the functions scanned in turn every cycle, the plug of sample
// arriving at kPlugStart, peaking kPlugRise later and washed out by about 0.8 minutes.
constexpr double kLoopRunTime = 1.0;
constexpr double kLoopCycle = 0.05;
constexpr double kPlugStart = 0.1;
constexpr double kPlugRise = 0.2;
constexpr double kPlugShape = 3.0;
// An analysis function scans every kAnalysisInterval minutes; a run longer than this many scans
// per function is cut there.
constexpr double kAnalysisInterval = 0.02;
constexpr std::size_t kMaxAnalysisScans = 100000;
// Noise: multiplicative on the signal, additive on every point, and a few random low peaks per
// scan (counts).
constexpr double kRelativeNoise = 0.05;
constexpr double kAdditiveNoise = 20.0;
constexpr double kBaseline = 60.0;
constexpr int kNoisePeaks = 12;
constexpr int kBackgroundIons = 6;
constexpr double kBackgroundClearance = 1.0;

struct Product
{
    double mz = 0.0;
    double ceOptimum = 0.0; // eV
    double ceSigma = 0.0;   // eV
    double yield = 0.0;     // of the precursor's intensity before fragmentation, at the optimum
};

struct Ion
{
    std::size_t adduct = 0;
    double strength = 0.0;                 // counts of the tallest isotopic peak at its optimum, plug apex
    double mz = 0.0;                       // the tallest isotopic peak
    std::vector<detail::IsotopePeak> peaks; // m/z and share relative to the tallest peak
    double cvOptimum = 0.0;                // V
    double cvSigma = 0.0;                  // V
    double survivalEnergy = 0.0;           // eV at which 1/e of the precursor survives
    std::vector<Product> products;
};

struct Compound
{
    std::string error; // why the compound cannot be modelled; empty when it can
    std::uint64_t hash = 0;
    std::vector<Ion> ions;         // none for a compound that cannot ionise
    double efficiency[2][2] = {};  // [APcI][negative]
    double retention = 0.5;        // share of the run time
    double peakSigma = 0.04;       // minutes
    std::vector<std::pair<double, double>> background; // m/z, counts
    std::optional<MeasuredSeries> series;
    std::size_t seriesIon = 0; // the ion whose products the series replaces
};

double clip(double value, double low, double high)
{
    return std::min(std::max(value, low), high);
}

double gaussian(double x, double centre, double sigma)
{
    const double d = (x - centre) / sigma;
    return std::exp(-0.5 * d * d);
}

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

// The compound's strongest ion in a polarity, or null when it forms none there.
const Ion* strongestIon(const Compound& c, bool negative)
{
    const Ion* best = nullptr;
    for (const Ion& ion : c.ions)
        if (kAdducts[ion.adduct].negative == negative && (!best || ion.strength > best->strength))
            best = &ion;
    return best;
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

// A fragment of an ion at a collision energy: its m/z and its share of the precursor's intensity.
struct Fragment
{
    double mz;
    double share;
};

// What the precursor ion becomes at energy: its own surviving share and its products' shares,
// from the measured series when the ion has one, else from the model.
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

// The ion's best product: the greatest share at its own optimum, and that optimum.
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

// The share of the sample in the source at time t of a loop injection: a skewed plug, 1 at its apex.
double plugAt(double t)
{
    const double x = (t - kPlugStart) / kPlugRise;
    if (x <= 0.0)
        return 0.0;
    return std::pow(x, kPlugShape) * std::exp(kPlugShape * (1.0 - x));
}

// Collects a scan's points and turns them into the centroided spectrum the engine reads.
class ScanBuilder
{
  public:
    explicit ScanBuilder(Random& random) : random_(random)
    {
    }
    void clear()
    {
        points_.clear();
    }
    // A peak of signal counts, with multiplicative and additive noise.
    void add(double mz, double signal)
    {
        const double value = signal * (1.0 + kRelativeNoise * random_.normal()) + kAdditiveNoise * random_.normal();
        if (value > 0.0)
            points_.emplace_back(mz, value);
    }
    // count small random peaks between low and high m/z.
    void addNoisePeaks(int count, double low, double high, double level)
    {
        for (int i = 0; i < count; ++i)
            points_.emplace_back(random_.uniform(low, high), random_.exponential(level));
    }
    void finish(RawScan& scan)
    {
        std::sort(points_.begin(), points_.end());
        scan.mz.clear();
        scan.intensity.clear();
        for (const auto& [mz, value] : points_)
        {
            scan.mz.push_back(static_cast<float>(mz));
            scan.intensity.push_back(static_cast<float>(value));
        }
    }

  private:
    Random& random_;
    std::vector<std::pair<double, double>> points_;
};

std::uint64_t sourceKey(const SourceSettings& source)
{
    return (source.apci ? 2u : 0u) + (source.negative ? 1u : 0u);
}

// The scans of a loop injection with steps functions: function f's scans in cycle order, each
// offset within the cycle by its place among the functions.
template <typename FillScan>
RawData loopInjection(std::size_t steps, FillScan fill)
{
    RawData data;
    const int scans = static_cast<int>(std::lround(kLoopRunTime / kLoopCycle));
    for (std::size_t f = 0; f < steps; ++f)
    {
        RawFunction function;
        function.number = static_cast<int>(f + 1);
        for (int s = 0; s < scans; ++s)
        {
            RawScan scan;
            scan.scan = s + 1;
            scan.time = (s + static_cast<double>(f) / static_cast<double>(steps)) * kLoopCycle;
            fill(f, scan);
            function.scans.push_back(std::move(scan));
        }
        data.functions.push_back(std::move(function));
    }
    return data;
}
} // namespace

struct InstrumentModel::Impl
{
    std::uint64_t seed = 0;
    std::string directory;
    std::map<std::pair<std::string, std::string>, Compound> compounds;

    const Compound& compound(const std::string& name, const std::string& massText)
    {
        auto key = std::make_pair(name, massText);
        auto found = compounds.find(key);
        if (found == compounds.end())
            found = compounds.emplace(std::move(key), buildCompound(seed, directory, name, massText)).first;
        return found->second;
    }
};

InstrumentModel::InstrumentModel(std::uint64_t seed, std::string spectraDirectory) : impl_(std::make_unique<Impl>())
{
    impl_->seed = seed;
    impl_->directory = std::move(spectraDirectory);
}

InstrumentModel::~InstrumentModel() = default;

bool InstrumentModel::knows(const std::string& name, const std::string& massText, std::string& error)
{
    try
    {
        error = impl_->compound(name, massText).error;
        return error.empty();
    }
    catch (const std::exception& e)
    {
        error = name + ": cannot be modelled (" + e.what() + ")";
        return false;
    }
}

RawData InstrumentModel::parentInjection(const std::string& name, const std::string& massText,
                                         const SourceSettings& source, const std::vector<double>& coneVoltages)
{
    try
    {
        const Compound& c = impl_->compound(name, massText);
        if (!c.error.empty())
            return {};
        std::uint64_t key = mix(mix(c.hash, static_cast<std::uint64_t>(kParentNoise)), sourceKey(source));
        const std::size_t steps = std::min(coneVoltages.size(), kMaxRampSteps);
        for (std::size_t f = 0; f < steps; ++f)
            key = mix(key, coneVoltages[f]);
        Random noise(key);
        ScanBuilder builder(noise);
        const double efficiency = c.efficiency[source.apci][source.negative];
        double top = 300.0;
        for (const Ion& ion : c.ions)
            top = std::max(top, ion.peaks.back().mass + 100.0);
        return loopInjection(steps, [&](std::size_t f, RawScan& scan) {
            const double cv = coneVoltages[f];
            const double plug = plugAt(scan.time);
            builder.clear();
            for (const Ion& ion : c.ions)
            {
                if (kAdducts[ion.adduct].negative != source.negative)
                    continue;
                const double response = ion.strength * efficiency * gaussian(cv, ion.cvOptimum, ion.cvSigma) * plug;
                for (const auto& peak : ion.peaks)
                    builder.add(peak.mass, response * peak.abundance);
            }
            for (const auto& [mz, counts] : c.background)
                builder.add(mz, counts);
            builder.addNoisePeaks(kNoisePeaks, 50.0, top, kBaseline);
            builder.finish(scan);
            scan.msLevel = 1;
            scan.coneVoltage = cv;
        });
    }
    catch (...)
    {
        return {};
    }
}

RawData InstrumentModel::daughterInjection(const std::string& name, const std::string& massText,
                                           const SourceSettings& source, double precursorMz, double coneVoltage,
                                           const std::vector<double>& collisionEnergies)
{
    try
    {
        const Compound& c = impl_->compound(name, massText);
        if (!c.error.empty() || !std::isfinite(precursorMz) || !std::isfinite(coneVoltage))
            return {};
        std::uint64_t key = mix(mix(c.hash, static_cast<std::uint64_t>(kDaughterNoise)), sourceKey(source));
        key = mix(mix(key, precursorMz), coneVoltage);
        const std::size_t steps = std::min(collisionEnergies.size(), kMaxRampSteps);
        for (std::size_t f = 0; f < steps; ++f)
            key = mix(key, collisionEnergies[f]);
        Random noise(key);
        ScanBuilder builder(noise);

        // The selected isotopic peaks of each ion: the counts at the plug's apex and their m/z.
        struct Selected
        {
            const Ion* ion;
            double mz;
            double counts;
        };
        std::vector<Selected> selected;
        const double efficiency = c.efficiency[source.apci][source.negative];
        for (const Ion& ion : c.ions)
        {
            if (kAdducts[ion.adduct].negative != source.negative)
                continue;
            Selected s{&ion, 0.0, 0.0};
            double tallest = 0.0;
            for (const auto& peak : ion.peaks)
                if (std::fabs(peak.mass - precursorMz) <= kSelectionWindow)
                {
                    s.counts += peak.abundance;
                    if (peak.abundance > tallest)
                        tallest = peak.abundance, s.mz = peak.mass;
                }
            s.counts *= ion.strength * efficiency * gaussian(coneVoltage, ion.cvOptimum, ion.cvSigma);
            if (s.counts > 0.0)
                selected.push_back(s);
        }
        std::vector<Fragment> fragments;
        const double top = std::max(precursorMz, 60.0) + 5.0;
        return loopInjection(steps, [&](std::size_t f, RawScan& scan) {
            const double ce = collisionEnergies[f];
            const double plug = plugAt(scan.time);
            builder.clear();
            for (const Selected& s : selected)
            {
                const double survival = breakdown(c, *s.ion, ce, fragments);
                builder.add(s.mz, s.counts * plug * survival);
                for (const Fragment& fragment : fragments)
                    builder.add(fragment.mz, s.counts * plug * fragment.share);
            }
            builder.addNoisePeaks(kNoisePeaks / 2, 20.0, top, kBaseline / 3.0);
            builder.finish(scan);
            scan.msLevel = 2;
            scan.precursorMz = precursorMz;
            scan.coneVoltage = coneVoltage;
            scan.collisionEnergy = ce;
        });
    }
    catch (...)
    {
        return {};
    }
}

RawData InstrumentModel::analysisInjection(const std::vector<SampleCompound>& present,
                                           const std::vector<Transition>& transitions, const SourceSettings& source,
                                           double runTime)
{
    try
    {
        RawData data;
        if (!(runTime > 0.0) || !std::isfinite(runTime))
            return data;
        // What one scan records: full-scan MS (precursor 0) or product-ion scans of one precursor,
        // and the transitions it holds.
        struct ScanKind
        {
            double precursor = 0.0;
            std::vector<const Transition*> transitions;
            std::vector<std::vector<std::pair<std::size_t, double>>> responses; // per transition: compound, counts at apex
        };
        std::map<int, std::vector<ScanKind>> functions;
        std::uint64_t key = mix(mix(finalise(impl_->seed), static_cast<std::uint64_t>(kAnalysisNoise)), sourceKey(source));
        key = mix(key, runTime);
        for (const Transition& t : transitions)
        {
            // Function numbers travel in 16-bit fields; transitions outside them cannot be acquired.
            if (t.function < 1 || t.function > 32767 || !std::isfinite(t.precursorMz) || !std::isfinite(t.productMz))
                continue;
            key = mix(mix(mix(key, static_cast<std::uint64_t>(t.function)), t.precursorMz), t.productMz);
            const double precursor = t.productMz > 0.0 ? t.precursorMz : 0.0;
            std::vector<ScanKind>& kinds = functions[t.function];
            auto kind = std::find_if(kinds.begin(), kinds.end(),
                                     [&](const ScanKind& k) { return std::fabs(k.precursor - precursor) <= 0.01; });
            if (kind == kinds.end())
                kind = kinds.insert(kinds.end(), ScanKind{precursor, {}, {}});
            kind->transitions.push_back(&t);
        }

        std::vector<const Compound*> compounds;
        std::vector<double> amounts;
        for (const SampleCompound& s : present)
        {
            const Compound& c = impl_->compound(s.name, s.massText);
            key = mix(mix(key, c.hash), s.amount);
            if (c.error.empty() && std::isfinite(s.amount) && s.amount > 0.0)
                compounds.push_back(&c), amounts.push_back(s.amount);
        }
        // Each compound's counts at its apex in each transition, at its own optimum cone voltage and
        // collision energy (an analysis method is set to them).
        std::vector<Fragment> fragments;
        for (auto& [number, kinds] : functions)
            for (ScanKind& kind : kinds)
                for (const Transition* t : kind.transitions)
                {
                    auto& responses = kind.responses.emplace_back();
                    for (std::size_t i = 0; i < compounds.size(); ++i)
                    {
                        const Compound& c = *compounds[i];
                        double counts = 0.0;
                        for (const Ion& ion : c.ions)
                        {
                            if (kAdducts[ion.adduct].negative != source.negative)
                                continue;
                            double selected = 0.0;
                            for (const auto& peak : ion.peaks)
                                if (std::fabs(peak.mass - t->precursorMz) <= kSelectionWindow)
                                    selected += peak.abundance;
                            if (selected <= 0.0)
                                continue;
                            double share = 1.0;
                            if (t->productMz > 0.0)
                            {
                                double energy = 0.0;
                                bestProduct(c, ion, energy);
                                share = 0.0;
                                breakdown(c, ion, energy, fragments);
                                for (const Fragment& f : fragments)
                                    if (std::fabs(f.mz - t->productMz) <= kSelectionWindow)
                                        share += f.share;
                            }
                            counts += ion.strength * c.efficiency[source.apci][source.negative] * selected * share;
                        }
                        if (counts > 0.0)
                            responses.emplace_back(i, counts * amounts[i]);
                    }
                }

        Random noise(key);
        ScanBuilder builder(noise);
        const std::size_t cycles =
            std::min(static_cast<std::size_t>(runTime / kAnalysisInterval) + 1, kMaxAnalysisScans);
        std::size_t place = 0;
        for (const auto& [number, kinds] : functions)
        {
            RawFunction function;
            function.number = number;
            for (std::size_t cycle = 0; cycle < cycles; ++cycle)
                for (std::size_t k = 0; k < kinds.size(); ++k)
                {
                    const ScanKind& kind = kinds[k];
                    RawScan scan;
                    scan.scan = static_cast<int>(function.scans.size() + 1);
                    const double within = (static_cast<double>(place) + static_cast<double>(k) / static_cast<double>(kinds.size())) /
                                          static_cast<double>(functions.size());
                    scan.time = (static_cast<double>(cycle) + within) * kAnalysisInterval;
                    scan.msLevel = kind.precursor > 0.0 ? 2 : 1;
                    scan.precursorMz = kind.precursor;
                    builder.clear();
                    for (std::size_t i = 0; i < kind.transitions.size(); ++i)
                    {
                        const Transition& t = *kind.transitions[i];
                        double signal = 0.0;
                        for (const auto& [compound, counts] : kind.responses[i])
                            signal += counts * gaussian(scan.time, compounds[compound]->retention * runTime,
                                                        compounds[compound]->peakSigma);
                        builder.add(t.productMz > 0.0 ? t.productMz : t.precursorMz, signal + kBaseline);
                    }
                    builder.finish(scan);
                    function.scans.push_back(std::move(scan));
                }
            data.functions.push_back(std::move(function));
            ++place;
        }
        return data;
    }
    catch (...)
    {
        return {};
    }
}

CompoundTruth InstrumentModel::truth(const std::string& name, const std::string& massText, const SourceSettings& source)
{
    CompoundTruth truth;
    truth.compound = name;
    try
    {
        const Compound& c = impl_->compound(name, massText);
        const Ion* ion = c.error.empty() ? strongestIon(c, source.negative) : nullptr;
        if (!ion)
            return truth;
        truth.ionises = true;
        truth.adduct = kAdducts[ion->adduct].name;
        truth.parentMz = ion->mz;
        truth.coneVoltage = ion->cvOptimum;
        truth.daughterMz = bestProduct(c, *ion, truth.collisionEnergy).mz;
        return truth;
    }
    catch (...)
    {
        CompoundTruth none;
        none.compound = name;
        return none;
    }
}

bool writeTruth(const std::string& posixPath, const std::vector<CompoundTruth>& rows, std::string& error)
{
    try
    {
        std::string text = "compound\tadduct\tparent_mz\tcone_voltage\tdaughter_mz\tcollision_energy\n";
        for (const CompoundTruth& row : rows)
        {
            // A tab or line break in a name would shift or split the row.
            if (row.compound.find_first_of("\t\r\n") != std::string::npos)
            {
                error = posixPath + ": compound name \"" + row.compound + "\" holds a tab or line break";
                return false;
            }
            text += row.compound;
            if (row.ionises)
            {
                // Wide enough for any double in these formats (%.3f of 1e308 is 313 characters).
                char values[1400];
                std::snprintf(values, sizeof values, "\t%.3f\t%.1f\t%.3f\t%.1f\n", row.parentMz, row.coneVoltage,
                              row.daughterMz, row.collisionEnergy);
                text += "\t" + row.adduct + values;
            }
            else
                text += "\t\t\t\t\t\n";
        }
        if (!platform::writeFileAtomically(posixPath, text))
        {
            error = posixPath + ": cannot be written (" + std::strerror(errno) + ")";
            return false;
        }
        return true;
    }
    catch (const std::exception& e)
    {
        error = posixPath + ": cannot be written (" + e.what() + ")";
        return false;
    }
}
} // namespace kelvane
