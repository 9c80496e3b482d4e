// Method-file speed: OpenFile of a full method against one plain INI parse of the same file
// (the 50 key reads should cost little more than the one parse behind them), and SaveFile
// against one atomic write of the same content (each key is its own profile write).
#include "host/host.h"
#include "method/BrenmoOptions.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/AtomicFile.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"
#include "testing/MethodFileHost.h"
#include "testing/TempDir.h"

// Single-byte INI text only, as the profile functions hold it: no UTF conversion layer, and the
// template's implementation compiled here rather than taken from the packaged library.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

// More files than the profile reader keeps parses of, so cycling through them makes every
// OpenFile parse its file once.
constexpr int kColdFiles = 64;


// A method with every field set, as a user's full method file would hold it.
void fillMethod(CBrenmoOptions& o)
{
    o.m_dConeVoltageMin = 12.5;
    o.m_dConeVoltageMax = 75.25;
    o.m_strIonMode = "APcI";
    o.m_strQuanMethodParent = "C:\\Projects\\Study.PRO\\MethDB\\parent scan template.mdb";
    o.m_strQuanMethodDaughter = "C:\\Projects\\Study.PRO\\MethDB\\daughter scan template.mdb";
    o.m_strParentTuneFile = "C:\\Projects\\Study.PRO\\ACQUDB\\parent.ipr";
    o.m_strDaughterTuneFile = "C:\\Projects\\Study.PRO\\ACQUDB\\daughter.ipr";
    o.m_strAcquisitionTuneFile = "C:\\Projects\\Study.PRO\\ACQUDB\\acquisition.ipr";
    o.m_Adducts.m_Sodium.Allow(1);
    o.m_Adducts.m_UserNeg1.Allow(1);
    o.m_Adducts.m_UserNeg1.SetMass(35.5f);
    o.m_Adducts.m_UserPos3.SetMass(38.96f);
    o.m_strStage1LCMethod = "C:\\Projects\\Study.PRO\\ACQUDB\\loop injection.inl";
    o.m_strStage2LCMethod = "C:\\Projects\\Study.PRO\\ACQUDB\\column injection.inl";
    o.m_strLoopLCMethod = "C:\\Projects\\Study.PRO\\ACQUDB\\valve loop.inl";
    o.m_strColumnLCMethod = "C:\\Projects\\Study.PRO\\ACQUDB\\valve column.inl";
    o.m_Losses.m_Water.Allow(1);
    o.m_Losses.m_UserLoss1.SetMass(17.03f);
    o.m_bUseMuxMode = 1;
    o.m_nMuxSprays = 4;
}

// The benchmarks' files: a temporary directory with one full method file and copies of it whose
// times lie in the past (a parse of a file changed a moment ago is checked against its bytes).
class Workspace
{
  public:
    Workspace()
    {
        host::Install(&host_);
        fillMethod(method_);
        const std::string first = dir_ + "/method.tym";
        CTessalyOptionsSheet::SaveFile(CString(platform::toHostPath(first)), method_);
        content_ = testkit::readText(first);
        for (int i = 0; i < kColdFiles; ++i)
        {
            const std::string path = dir_ + "/cold" + std::to_string(i) + ".tym";
            platform::writeFileAtomically(path, content_);
            fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
            coldFiles_.emplace_back(platform::toHostPath(path));
            coldPosix_.push_back(path);
        }
        fs::last_write_time(first, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    ~Workspace()
    {
        host::Install(nullptr);
    }

    // On disk, not in memory: the saves' fsync is part of what is measured.
    testkit::TempDir temp_{"method_file_bench", "/var/tmp"};
    std::string dir_ = temp_.path();
    testkit::MethodFileHost host_;
    CBrenmoOptions method_;
    std::string content_;
    std::vector<CString> coldFiles_;
    std::vector<std::string> coldPosix_;
};

Workspace& workspace()
{
    static Workspace instance;
    return instance;
}

// OpenFile of a file whose parse is not kept: one parse and 50 key look-ups.
void BM_OpenFile(benchmark::State& state)
{
    Workspace& w = workspace();
    size_t i = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(&CTessalyOptionsSheet::OpenFile(w.coldFiles_[i]));
        i = (i + 1) % w.coldFiles_.size();
    }
}
BENCHMARK(BM_OpenFile);

// OpenFile of the same file again: the parse is kept, so only the 50 look-ups remain.
void BM_OpenFileAgain(benchmark::State& state)
{
    Workspace& w = workspace();
    for (auto _ : state)
        benchmark::DoNotOptimize(&CTessalyOptionsSheet::OpenFile(w.coldFiles_[0]));
}
BENCHMARK(BM_OpenFileAgain);

// Where OpenFile's time goes: the 50 profile reads alone, without turning texts into values.
void BM_ProfileReadsOnly(benchmark::State& state)
{
    Workspace& w = workspace();
    const char* const file = w.coldFiles_[0];
    char buffer[256];
    for (auto _ : state)
    {
        for (int key = 0; key < 50; ++key)
            benchmark::DoNotOptimize(
                GetPrivateProfileStringA("Tessaly Options", "Cone Voltage Min", "", buffer, sizeof buffer, file));
    }
}
BENCHMARK(BM_ProfileReadsOnly);

// The baseline: one plain parse of the same file, reading it from disk included.
void BM_SimpleIniLoadFile(benchmark::State& state)
{
    Workspace& w = workspace();
    size_t i = 0;
    for (auto _ : state)
    {
        CSimpleIniCaseA ini;
        benchmark::DoNotOptimize(ini.LoadFile(w.coldPosix_[i].c_str()));
        i = (i + 1) % w.coldPosix_.size();
    }
}
BENCHMARK(BM_SimpleIniLoadFile);

// SaveFile of a full method to a new file: every key is a profile write of its own.
void BM_SaveFileNew(benchmark::State& state)
{
    Workspace& w = workspace();
    const std::string path = w.dir_ + "/saved.tym";
    const CString file(platform::toHostPath(path));
    for (auto _ : state)
    {
        state.PauseTiming();
        fs::remove(path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(CTessalyOptionsSheet::SaveFile(file, w.method_));
    }
}
BENCHMARK(BM_SaveFileNew)->Unit(benchmark::kMicrosecond);

// SaveFile after one change, as the editor saves an edited method: unchanged keys are not
// written again, so one profile write remains.
void BM_SaveFileOneChange(benchmark::State& state)
{
    Workspace& w = workspace();
    const CString file(platform::toHostPath(w.dir_ + "/edited.tym"));
    CTessalyOptionsSheet::SaveFile(file, w.method_);
    CBrenmoOptions edited;
    edited = w.method_;
    int n = 0;
    for (auto _ : state)
    {
        edited.m_nFragmentMinSize = 50 + (n++ & 1);
        benchmark::DoNotOptimize(CTessalyOptionsSheet::SaveFile(file, edited));
    }
}
BENCHMARK(BM_SaveFileOneChange)->Unit(benchmark::kMicrosecond);

// The baseline: one atomic write of the whole method file.
void BM_AtomicWrite(benchmark::State& state)
{
    Workspace& w = workspace();
    const std::string path = w.dir_ + "/atomic.tym";
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::writeFileAtomically(path, w.content_));
}
BENCHMARK(BM_AtomicWrite)->Unit(benchmark::kMicrosecond);
} // namespace
