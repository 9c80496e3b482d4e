// libFuzzer target: arbitrary bytes as the mzML file of a raw-data directory. The read either
// fails with no data and a one-line reason, or gives functions in rising order whose scans are
// numbered from 1 with m/z and intensity arrays of equal length; such data written out reads back
// the same, and each function's first scan and a combined spectrum go through the host's handles
// (lock, read, unlock, release) with the points the data holds. Nothing may crash or leak.
#include "kelvane/KelvaneHost.h"
#include "instrument/RawData.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "invariant violated: %s\n", what), std::abort();
}

bool sameData(const instrument::RawData& a, const instrument::RawData& b)
{
    if (a.functions.size() != b.functions.size())
        return false;
    for (std::size_t f = 0; f < a.functions.size(); ++f)
    {
        const auto& x = a.functions[f];
        const auto& y = b.functions[f];
        if (x.number != y.number || x.scans.size() != y.scans.size())
            return false;
        for (std::size_t s = 0; s < x.scans.size(); ++s)
        {
            const auto& p = x.scans[s];
            const auto& q = y.scans[s];
            if (p.scan != q.scan || p.time != q.time || p.msLevel != q.msLevel || p.coneVoltage != q.coneVoltage ||
                p.collisionEnergy != q.collisionEnergy || p.precursorMz != q.precursorMz || p.mz != q.mz ||
                p.intensity != q.intensity)
                return false;
        }
    }
    return true;
}

// Reads the spectrum of handle through the host and releases it: a scan's with the m/z values
// expected, or (expected null) a combined one.
void readThrough(kelvane::KelvaneHost& host, DMHANDLE handle, const std::vector<float>* expectedMz)
{
    check(handle != 0, "no handle to a spectrum that exists");
    tag_SPECTRUM_HEADER* header = host.DmLockID(handle);
    check(header != nullptr, "no header");
    const int count = header->PointCount();
    check(count >= 0 && host.DmGetData(handle, 1, count, 0) == 0, "data of the header's count not read");
    const float* mz = host.DmLockData(handle, 0, 1, count);
    const float* intensity = host.DmLockData(handle, 1, 1, count);
    check(mz && intensity, "arrays not locked");
    if (expectedMz)
        check(static_cast<std::size_t>(count) == expectedMz->size() &&
                  std::equal(expectedMz->begin(), expectedMz->end(), mz),
              "handle's m/z values are not the scan's");
    // A file may hold negative intensities; background subtraction cuts its results at 0.
    for (int i = 0; !expectedMz && i < count; ++i)
        check(!(intensity[i] < 0.0f), "negative intensity in a combined spectrum");
    check(host.DmUnlockData(handle, 0) == 0 && host.DmUnlockData(handle, 1) == 0 && host.DmUnlockID(handle) == 0 &&
              host.DmReleaseHandle(handle, 0) == 0,
          "release failed");
    check(host.DmLockID(handle) == nullptr, "released handle still answers");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const testkit::TempDir dir("mzml_fuzz");
    static const std::string raw = dir.file("Fuzz.RAW");
    static const std::string copy = dir.file("Copy.RAW");
    std::filesystem::create_directories(raw);
    std::ofstream(raw + "/Fuzz.mzML", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    instrument::RawData read;
    std::string error;
    if (!instrument::readRawData(raw, read, error))
    {
        check(read.functions.empty() && !error.empty() && error.find('\n') == std::string::npos,
              "failed read left data or no one-line reason");
        return 0;
    }
    int last = 0;
    for (const auto& function : read.functions)
    {
        check(function.number > last && !function.scans.empty(), "functions not rising or empty");
        last = function.number;
        for (std::size_t s = 0; s < function.scans.size(); ++s)
            check(function.scans[s].scan == static_cast<int>(s) + 1 &&
                      function.scans[s].mz.size() == function.scans[s].intensity.size(),
                  "scan misnumbered or arrays of unequal length");
    }
    std::filesystem::remove_all(copy);
    instrument::RawData again;
    check(instrument::writeRawData(copy, read, error) && instrument::readRawData(copy, again, error) && sameData(read, again),
          "data read does not write and read back the same");

    // A fresh host each time: its cache must not serve the previous input's data.
    kelvane::KelvaneHost host;
    for (const auto& function : read.functions)
    {
        tag_HXRAWFILE path;
        check(host.ConvertPathToHxFile(path, platform::toHostPath(raw).c_str()) == 1, "path form");
        path.SetFunctionNumber(static_cast<std::int16_t>(function.number));
        path.SetScanNumber(1);
        tag_RAW_DATA_ID id;
        check(host.DmRawFileToID(path, id) == 0, "no identifier for a function that exists");
        check(host.DmRawScansInFunction(path) == static_cast<int>(function.scans.size()), "scan count");
        readThrough(host, host.DmGetHandle(0, 552, id, 2, 4, 0), &function.scans.front().mz);
        tag_COMBINE_PARAMS params;
        params.SetPeakFirstScan(1);
        params.SetPeakScans(static_cast<std::int32_t>(function.scans.size()));
        params.SetBackground1FirstScan(0);
        params.SetBackground1Scans(2);
        params.SetBackground2FirstScan(static_cast<std::int32_t>(function.scans.size()));
        params.SetBackground2Scans(2);
        readThrough(host, host.Combine(0, 0, path, path, params, 0), nullptr);
    }
    return 0;
}
