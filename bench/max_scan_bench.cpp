// The maximum-response search over eight functions of 100,000-point profile spectra, against a
// plain loop that only finds the largest intensity in the same arrays. Both report points per
// second; the search should reach at least half the plain loop's rate.
#include "analysis/MaxScan.h"
#include "host/host.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace
{
constexpr int kFunctions = 8;
constexpr int kPoints = 100000;

// A host that serves the same in-memory injection for every call: one peak per function and one
// profile spectrum (a noisy baseline with an isotope cluster) per function.
class InMemoryInjection : public host::Host
{
  public:
    InMemoryInjection()
    {
        for (int f = 0; f < kFunctions; ++f)
        {
            mz_[f].resize(kPoints);
            intensity_[f].resize(kPoints);
            for (int i = 0; i < kPoints; ++i)
            {
                mz_[f][i] = 50.0f + 0.01f * static_cast<float>(i);
                const double cluster = std::exp(-std::pow((mz_[f][i] - 301.0) / 0.05, 2)) * (1000.0 + 100.0 * f);
                intensity_[f][i] = static_cast<float>(10.0 + (i * 7919 % 97) + cluster);
            }
        }
        header_.SetPointCount(kPoints);
    }
    int ConvertPathToHxFile(tag_HXFILE& out, const char* path) override
    {
        return out.SetDirectory(path) ? 1 : 0;
    }
    int AccessDBOpen(const tag_HXFILE&, int, int, tag_ACCESSDB_HANDLE& database, int) override
    {
        database.SetRecordCount(kFunctions);
        return 0;
    }
    int AccessDBGetRecord(tag_ACCESSDB_HANDLE&, int index, tag_PEAK_RECORD& record) override
    {
        record.SetPeakRecord(index);
        record.SetStartScan(10);
        record.SetApexScan(15);
        record.SetEndScan(22);
        record.SetPeakArea(1.0);
        return 1;
    }
    int AccessDBClose(tag_ACCESSDB_HANDLE&, int) override
    {
        return 0;
    }
    int DmRawFileToID(const tag_HXRAWFILE& path, tag_RAW_DATA_ID& id) override
    {
        id.SetFunctionNumber(path.FunctionNumber());
        return 0;
    }
    int DmRawScansInFunction(const tag_HXRAWFILE&) override
    {
        return 100;
    }
    DMHANDLE Combine(int, int, tag_HXRAWFILE& source, tag_HXRAWFILE&, const tag_COMBINE_PARAMS&, int) override
    {
        return source.FunctionNumber();
    }
    tag_SPECTRUM_HEADER* DmLockID(DMHANDLE) override
    {
        return &header_;
    }
    int DmGetData(DMHANDLE, int, int, int) override
    {
        return 0;
    }
    float* DmLockData(DMHANDLE handle, int array, int, int) override
    {
        const auto f = static_cast<std::size_t>(handle - 1);
        return array == DM_ARRAY_MASS ? mz_[f].data() : intensity_[f].data();
    }
    int DmUnlockData(DMHANDLE, int) override
    {
        return 0;
    }
    int DmReleaseHandle(DMHANDLE, int) override
    {
        return 0;
    }
    int DmUnlockID(DMHANDLE) override
    {
        return 0;
    }

    std::vector<float> mz_[kFunctions], intensity_[kFunctions];
    tag_SPECTRUM_HEADER header_;
};

void searchedPoints(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kFunctions * kPoints);
}

void BM_GetMaxScan(benchmark::State& state)
{
    InMemoryInjection injection;
    host::Host* previous = host::Install(&injection);
    CBrenmoOptions options;
    CArray<double, const double&> candidates;
    candidates.Add(301.0079);
    candidates.Add(323.0);
    for (auto _ : state)
    {
        tag_SCAN_PARAMS params{};
        benchmark::DoNotOptimize(GetMaxScan("C:\\P.PRO\\Data\\S1.RAW", params, options, candidates, 0, 1));
        benchmark::DoNotOptimize(params);
    }
    host::Install(previous);
    searchedPoints(state);
}
BENCHMARK(BM_GetMaxScan);

// The baseline: the largest intensity of the same arrays, nothing else.
void BM_PlainMaximum(benchmark::State& state)
{
    InMemoryInjection injection;
    for (auto _ : state)
    {
        float best = 0.0f;
        int function = 0;
        for (int f = 0; f < kFunctions; ++f)
            for (const float y : injection.intensity_[f])
                if (y > best)
                    best = y, function = f;
        benchmark::DoNotOptimize(best);
        benchmark::DoNotOptimize(function);
    }
    searchedPoints(state);
}
BENCHMARK(BM_PlainMaximum);
} // namespace
