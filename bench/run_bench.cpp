// The whole optimisation run of 96 generated compounds on the simulated instrument, without the
// analysis: its wall time, and the share of it that is not simulated acquisition (simulating the
// injections and writing their raw data), which is what the engine and the host's processing cost
// per compound. A real injection takes about a minute; the processing must stay far below that.
#include "apps/Tessaly.h"
#include "testing/TempDir.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace
{
namespace fs = std::filesystem;

void wholeRun(benchmark::State& state)
{
    double processing = 0.0, acquisition = 0.0, total = 0.0;
    int runs = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        testkit::TempDir dir("RunBench");
        fs::create_directories(dir.file("Projects"));
        fs::create_directories(dir.file("tmp"));
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", dir.file("Projects/Demo.PRO"), fs::copy_options::recursive);
        std::string list = "FILE_NAME,FILE_TEXT,MASS,POLARITY\n";
        for (int i = 0; i < 96; ++i)
        {
            char row[96];
            std::snprintf(row, sizeof row, "Opt%02d,Compound %02d,%.4f,%s\n", i + 1, i + 1, 150.0 + 7.7 * i,
                          i % 4 == 3 ? "-" : "+");
            list += row;
        }
        testkit::writeText(dir.file("Projects/Demo.PRO/SampleDB/Compounds.csv"), list);
        setenv("TMPDIR", dir.file("tmp").c_str(), 1);
        std::ostringstream out, err;
        state.ResumeTiming();
        const int status = tessaly::run({"--data-dir", dir.path(), "run", "--method",
                                         dir.file("Projects/Demo.PRO/Methods/Demo.tym"), "--compounds",
                                         dir.file("Projects/Demo.PRO/SampleDB/Compounds.csv"), "--no-analysis",
                                         "--unattended", "--seed", "7"},
                                        out, err);
        state.PauseTiming();
        double t = 0.0, a = 0.0, p = 0.0;
        const std::string text = err.str();
        const std::size_t at = text.rfind("time: ");
        if (status != 0 || at == std::string::npos ||
            std::sscanf(text.c_str() + at, "time: %lf s, of which %lf s simulated acquisition (%*d injections) and %lf",
                        &t, &a, &p) != 3)
        {
            state.SkipWithError("the run failed");
            break;
        }
        total += t, acquisition += a, processing += p, ++runs;
        unsetenv("TMPDIR");
        state.ResumeTiming();
    }
    if (runs > 0)
    {
        state.counters["processing_ms_per_compound"] = 1000.0 * processing / runs / 96.0;
        state.counters["processing_share"] = processing / total;
        state.counters["acquisition_s"] = acquisition / runs;
    }
}
BENCHMARK(wholeRun)->Unit(benchmark::kSecond)->Iterations(2);
} // namespace
