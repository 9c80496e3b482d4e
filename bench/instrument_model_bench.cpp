// Generating the simulated instrument's injections: a parent injection of eight cone voltages and a
// daughter injection of eight collision energies (the compound already modelled, and once with a
// fresh model that must first build it through the isotope model), and a ten-minute analysis run of
// four functions. A parent injection should take well under 20 ms.
#include "instrument/InstrumentModel.h"

#include <benchmark/benchmark.h>

namespace
{
const std::vector<double> kRamp{10, 20, 30, 40, 50, 60, 70, 80};
constexpr instrument::SourceSettings kPositive{};

void parentInjection(benchmark::State& state)
{
    instrument::InstrumentModel model(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(model.parentInjection("Reserpine", "C33H40N2O9", kPositive, kRamp));
}
BENCHMARK(parentInjection)->Unit(benchmark::kMillisecond);

void parentInjectionFreshModel(benchmark::State& state)
{
    for (auto _ : state)
    {
        instrument::InstrumentModel model(1);
        benchmark::DoNotOptimize(model.parentInjection("Reserpine", "C33H40N2O9", kPositive, kRamp));
    }
}
BENCHMARK(parentInjectionFreshModel)->Unit(benchmark::kMillisecond);

void daughterInjection(benchmark::State& state)
{
    instrument::InstrumentModel model(1);
    const instrument::CompoundTruth t = model.truth("Reserpine", "C33H40N2O9", kPositive);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            model.daughterInjection("Reserpine", "C33H40N2O9", kPositive, t.parentMz, t.coneVoltage, kRamp));
}
BENCHMARK(daughterInjection)->Unit(benchmark::kMillisecond);

void analysisInjection(benchmark::State& state)
{
    instrument::InstrumentModel model(1);
    std::vector<instrument::SampleCompound> present;
    std::vector<instrument::Transition> transitions;
    const char* formulas[] = {"C33H40N2O9", "C8H10N4O2", "C17H19NO3", "C21H23ClFNO2"};
    for (int i = 0; i < 4; ++i)
    {
        present.push_back({formulas[i], formulas[i], 1.0});
        const instrument::CompoundTruth t = model.truth(formulas[i], formulas[i], kPositive);
        transitions.push_back({i + 1, t.parentMz, t.daughterMz});
        transitions.push_back({i + 1, t.parentMz, 0.0});
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(model.analysisInjection(present, transitions, kPositive, 10.0));
}
BENCHMARK(analysisInjection)->Unit(benchmark::kMillisecond);
} // namespace
