// Speed of a formula's mass: ConvertStringToMass through the host stand-in's isotope model (the
// engine's request, the model's own formula reader, the merge into peaks) against IsoSpec++ alone
// computing the same distribution with the same settings.
#include "analysis/MassStrings.h"
#include "kelvane/KelvaneHost.h"
#include "testing/TempDir.h"

#include <IsoSpec++/isoSpec++.h>
#include <benchmark/benchmark.h>

namespace
{
constexpr const char* kInsulin = "C257H383N65O77S6";
// The stand-in model's settings: the share of the distribution it computes.
constexpr double kCoverage = 0.999;

void ConvertStringToMassInsulin(benchmark::State& state)
{
    testkit::TempDir dir("mass_bench");
    if (!kelvane::install(dir.path()))
    {
        state.SkipWithError("the host stand-in could not be installed");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertStringToMass(kInsulin));
    kelvane::uninstall();
}
BENCHMARK(ConvertStringToMassInsulin);

// IsoSpec++ on its own: its formula reader and the same generator to the same coverage, keeping
// the most probable isotopologue's mass so that the work cannot be optimised away.
void IsoSpecDirectInsulin(benchmark::State& state)
{
    for (auto _ : state)
    {
        IsoSpec::IsoLayeredGenerator generator(IsoSpec::Iso(kInsulin), 1000, 1000, true, kCoverage);
        double covered = 0.0;
        double best = 0.0;
        double mass = 0.0;
        while (covered < kCoverage && generator.advanceToNextConfiguration())
        {
            const double p = generator.prob();
            if (p > best)
                best = p, mass = generator.mass();
            covered += p;
        }
        benchmark::DoNotOptimize(mass);
    }
}
BENCHMARK(IsoSpecDirectInsulin);
} // namespace
