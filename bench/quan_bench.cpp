// Speed of the quantify step's opening of a sample list: QuanOpenSampleList (read the file, build
// the groups) on a 100 000-row list in both file forms, and GetGroups against a plain pass that
// only reads every row's "SAMPLE_GROUP" text, the least any grouping must do.
#include "groups/Group.h"
#include "groups/QuanState.h"
#include "host/host.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{
constexpr int kRows = 100000;
// Runs of 40 rows share a group expression, written in varied ways as people type them.
constexpr int kRowsPerGroup = 40;

// A data directory with the list in both forms, made once for every benchmark.
struct Fixture
{
    testkit::TempDir temp{"quan_bench"};
    std::string directory = temp.path();
    std::string csv;
    std::string spl;

    Fixture()
    {
        kelvane::install(directory);

        kelvane::CsvTable table;
        table.header = {"FILE_NAME", "FILE_TEXT", "TYPE", "SAMPLE_GROUP", "METH_DB", "CURVE_DB", "DUMP_FILE"};
        const char* const spellings[] = {"Plasma Batch%d", "batch%d;plasma", "PLASMA, BATCH%d", "Urine|Run%d"};
        for (int row = 0; row < kRows; ++row)
        {
            const int group = row / kRowsPerGroup;
            char expression[64];
            std::snprintf(expression, sizeof expression, spellings[group % 4], group);
            table.rows.push_back({"S" + std::to_string(row), "Sample " + std::to_string(row), "Analyte", expression,
                                  "C:\\Quan\\m.mdb", "C:\\Quan\\c.cdb", ""});
        }
        std::string error;
        csv = directory + "/Bench.csv";
        spl = directory + "/Bench.spl";
        if (!kelvane::writeSampleListTable(csv, kelvane::SampleListFormat::kCsv, table, error) ||
            !kelvane::writeSampleListTable(spl, kelvane::SampleListFormat::kDatabase, table, error))
            std::abort();
    }
    ~Fixture()
    {
        QuanCloseSampleList();
        kelvane::uninstall();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void openAndGroup(benchmark::State& state, const std::string& posixPath)
{
    const std::string path = platform::toHostPath(posixPath);
    for (auto _ : state)
    {
        if (!QuanOpenSampleList(path.c_str()))
            state.SkipWithError("the list did not open");
        benchmark::DoNotOptimize(nQuanGroups);
    }
    QuanCloseSampleList();
    state.counters["groups"] = nQuanGroups;
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_QuanOpenSampleList_Csv(benchmark::State& state)
{
    openAndGroup(state, fixture().csv);
}
BENCHMARK(BM_QuanOpenSampleList_Csv)->Unit(benchmark::kMillisecond);

void BM_QuanOpenSampleList_Spl(benchmark::State& state)
{
    openAndGroup(state, fixture().spl);
}
BENCHMARK(BM_QuanOpenSampleList_Spl)->Unit(benchmark::kMillisecond);

// The list in memory, as QuanOpenSampleList holds it once the file is read.
const CSampleListMem& listInMemory()
{
    static CISAMSampleList list(1);
    static const bool loaded =
        list.Open(platform::toHostPath(fixture().csv).c_str(), CFormattedSampleList::m_DefaultType);
    if (!loaded)
        std::abort();
    return list;
}

// The least any grouping does: read every row's group text once.
std::size_t plainPass(const CSampleListMem& list, int column)
{
    std::size_t total = 0;
    for (int row = 0; row < list.GetSize(); ++row)
        total += static_cast<std::size_t>(list[row][column].GetString().GetLength());
    return total;
}

void BM_GetGroups(benchmark::State& state)
{
    const CSampleListMem& list = listInMemory();
    CGroupArray groups;
    for (auto _ : state)
        benchmark::DoNotOptimize(GetGroups(groups, &list));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_GetGroups)->Unit(benchmark::kMillisecond);

void BM_PlainPassOverGroupTexts(benchmark::State& state)
{
    const CSampleListMem& list = listInMemory();
    const int column = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    for (auto _ : state)
        benchmark::DoNotOptimize(plainPass(list, column));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_PlainPassOverGroupTexts)->Unit(benchmark::kMillisecond);

// Both passes timed alternately in each iteration, so machine load affects them alike; the
// counter "ratio" is GetGroups' time over the plain pass's (target: at most 2).
void BM_GetGroupsOverPlainPassRatio(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const CSampleListMem& list = listInMemory();
    const int column = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    CGroupArray groups;
    Clock::duration grouping{}, plain{};
    for (auto _ : state)
    {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(GetGroups(groups, &list));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(plainPass(list, column));
        const auto t2 = Clock::now();
        grouping += t1 - t0;
        plain += t2 - t1;
    }
    state.counters["ratio"] =
        std::chrono::duration<double>(grouping).count() / std::chrono::duration<double>(plain).count();
}
BENCHMARK(BM_GetGroupsOverPlainPassRatio)->Unit(benchmark::kMillisecond);
} // namespace
