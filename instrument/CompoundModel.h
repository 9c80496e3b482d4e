// The simulated instrument's compounds: the model of one compound (its ions with their isotopes and
// cone-voltage optima, their products and breakdown over collision energy, its retention and its
// background) that the injections are drawn from. Every random quantity of a compound comes from
// its own stream of a fixed generator (splitmix64), keyed by a hash of the seed, the compound's name
// and mass text and what the quantity is for, so the same compound gets the same ions, optima and
// retention whatever else a run asks, and the same injection gives the same bytes on any machine.
// Internal to the stand-in.
#pragma once

#include "instrument/InstrumentModel.h"
#include "instrument/MeasuredSpectra.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace instrument::model
{
// ---- The generator -------------------------------------------------------------------------

// The splitmix64 finaliser: a bijection that spreads every input bit over the whole word.
inline std::uint64_t finalise(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

inline std::uint64_t mix(std::uint64_t hash, std::uint64_t value)
{
    return finalise(hash ^ finalise(value + 0x9E3779B97F4A7C15ull));
}

inline std::uint64_t mix(std::uint64_t hash, double value)
{
    return mix(hash, std::bit_cast<std::uint64_t>(value));
}

// FNV-1a over the bytes, then the length, so "ab"+"c" and "a"+"bc" differ.
inline std::uint64_t mix(std::uint64_t hash, std::string_view text)
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

// ---- Compounds -----------------------------------------------------------------------------

struct Adduct
{
    const char* name;
    double shift; // m/z of the ion less the neutral mass
    bool negative;
};
inline constexpr Adduct kAdducts[] = {
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
// Quadrupole selection and the engine's own mass searches are ±0.5.
inline constexpr double kSelectionWindow = 0.5;

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

inline double clip(double value, double low, double high)
{
    return std::min(std::max(value, low), high);
}

inline double gaussian(double x, double centre, double sigma)
{
    const double d = (x - centre) / sigma;
    return std::exp(-0.5 * d * d);
}

// The compound of name and mass text under seed; one the model cannot build has its reason in
// error. With directory, a measured series named after the compound replaces its strongest ion's
// products (InstrumentModel's constructor says how).
Compound buildCompound(std::uint64_t seed, const std::string& directory, const std::string& name,
                       const std::string& massText);

// The compound's strongest ion in a polarity, or null when it forms none there.
const Ion* strongestIon(const Compound& c, bool negative);

// A fragment of an ion at a collision energy: its m/z and its share of the precursor's intensity.
struct Fragment
{
    double mz;
    double share;
};

// What the precursor ion becomes at energy: its own surviving share and its products' shares,
// from the measured series when the ion has one, else from the model.
double breakdown(const Compound& c, const Ion& ion, double energy, std::vector<Fragment>& fragments);

// The ion's best product: the greatest share at its own optimum, and that optimum.
Fragment bestProduct(const Compound& c, const Ion& ion, double& energy);
} // namespace instrument::model
