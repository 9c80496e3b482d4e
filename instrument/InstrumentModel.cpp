// The simulated instrument's injections: the raw data of parent, daughter and analysis injections
// drawn from the compound model, with the loop's plug or the column's peak, background, baseline
// and noise, the noise from streams of its own so that an injection is repeatable byte for byte.
#include "instrument/InstrumentModel.h"

#include "instrument/CompoundModel.h"
#include "platform/AtomicFile.h"
#include "platform/SafeText.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

namespace instrument
{
using namespace model;

namespace
{
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
                error = posixPath + ": compound name \"" + platform::printableText(row.compound) +
                        "\" holds a tab or line break";
                return false;
            }
            // The file is opened in spreadsheets: a name such as "=HYPERLINK(...)" is written as text.
            text += platform::neutralisedCell(row.compound);
            if (row.ionises)
            {
                // Wide enough for any double in these formats (%.3f of 1e308 is 313 characters).
                char values[1400];
                std::snprintf(values, sizeof values, "\t%.3f\t%.1f\t%.3f\t%.1f\n", row.parentMz, row.coneVoltage,
                              row.daughterMz, row.collisionEnergy);
                text.append("\t").append(platform::neutralisedCell(row.adduct)).append(values);
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
} // namespace instrument
