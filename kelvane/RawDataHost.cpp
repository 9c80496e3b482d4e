// The stand-in's raw-data library and spectrum combine: identifiers and scan counts of the raw
// data that host path forms name, handles to single scans and to combined spectra, and the
// header and arrays behind each handle.
#include "kelvane/RawDataHost.h"
#include "kelvane/KelvaneHost.h"

#include "platform/WinPath.h"

#include <algorithm>
#include <cmath>
#include <sys/stat.h>

namespace kelvane
{
namespace detail
{
std::shared_ptr<const instrument::RawData> RawDataState::load(const std::string& posixDirectory, std::string& error)
{
    std::string file;
    if (!instrument::findRawDataFile(posixDirectory, file, error))
        return nullptr;
    struct stat info = {};
    if (::stat(file.c_str(), &info) != 0)
    {
        error = file + ": cannot be read";
        return nullptr;
    }
    const std::int64_t modified = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    const auto cached = cache.find(posixDirectory);
    if (cached != cache.end() && cached->second.file == file && cached->second.device == info.st_dev &&
        cached->second.inode == info.st_ino && cached->second.size == info.st_size &&
        cached->second.modifiedNs == modified)
    {
        cached->second.lastUse = ++uses;
        return cached->second.data;
    }
    auto data = std::make_shared<instrument::RawData>();
    if (!instrument::readMzmlFile(file, *data, error))
    {
        if (cached != cache.end())
            cache.erase(cached);
        return nullptr;
    }
    if (cached == cache.end() && cache.size() >= kCachedRawData)
        cache.erase(std::min_element(cache.begin(), cache.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        }));
    cache[posixDirectory] = CachedRawData{file, info.st_dev, info.st_ino, info.st_size, modified, ++uses, data};
    return data;
}

std::uint32_t RawDataState::sourceNumber(const std::string& posixDirectory)
{
    const auto known = std::find(sources.begin(), sources.end(), posixDirectory);
    if (known != sources.end())
        return static_cast<std::uint32_t>(known - sources.begin()) + 1;
    sources.push_back(posixDirectory);
    return static_cast<std::uint32_t>(sources.size());
}

std::string RawDataState::sourceOf(const tag_RAW_DATA_ID& id) const
{
    const std::uint32_t number = id.get<std::uint32_t>(kIdSource);
    if (id.get<std::uint32_t>(kIdMark) != kMark || number == 0 || number > sources.size())
        return "";
    return sources[number - 1];
}

DMHANDLE RawDataState::open(std::unique_ptr<SpectrumHandle> spectrum)
{
    // A locked array is never a null pointer, even for a spectrum without points.
    static const float kNoPoints[1] = {};
    if (!spectrum->mz || !spectrum->intensity)
        spectrum->mz = spectrum->intensity = kNoPoints;
    spectrum->header.SetPointCount(static_cast<std::int32_t>(spectrum->points));
    handles[++lastHandle] = std::move(spectrum);
    return lastHandle;
}

SpectrumHandle* RawDataState::find(DMHANDLE handle)
{
    const auto found = handles.find(handle);
    return found == handles.end() ? nullptr : found->second.get();
}

namespace
{
// The scans of a window, as indexes into the function's scans, clipped to them.
void addWindow(const instrument::RawFunction& function, int first, int count, std::vector<const instrument::RawScan*>& scans)
{
    const long long last = static_cast<long long>(first) + count - 1;
    const long long from = std::max<long long>(first, 1);
    const long long to = std::min<long long>(last, static_cast<long long>(function.scans.size()));
    for (long long scan = from; scan <= to; ++scan)
        scans.push_back(&function.scans[static_cast<std::size_t>(scan - 1)]);
}

// The m/z axis of scans and, per scan, the axis index of each of its points.
std::vector<double> commonAxis(const std::vector<const instrument::RawScan*>& scans, std::vector<std::vector<std::size_t>>& bins)
{
    bins.assign(scans.size(), {});
    const bool shared = std::all_of(scans.begin(), scans.end(), [&](const instrument::RawScan* s) { return s->mz == scans[0]->mz; });
    if (shared)
    {
        std::vector<double> axis(scans[0]->mz.begin(), scans[0]->mz.end());
        for (auto& bin : bins)
            for (std::size_t i = 0; i < axis.size(); ++i)
                bin.push_back(i);
        return axis;
    }
    struct Point
    {
        float mz;
        std::size_t scan;
        std::size_t index;
    };
    std::vector<Point> points;
    for (std::size_t s = 0; s < scans.size(); ++s)
    {
        bins[s].resize(scans[s]->mz.size());
        for (std::size_t i = 0; i < scans[s]->mz.size(); ++i)
            points.push_back({scans[s]->mz[i], s, i});
    }
    std::stable_sort(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.mz < b.mz; });
    std::vector<double> axis;
    for (std::size_t start = 0; start < points.size();)
    {
        std::size_t end = start;
        double sum = 0.0;
        while (end < points.size() && points[end].mz - points[start].mz <= kCombineMzTolerance)
        {
            sum += points[end].mz;
            bins[points[end].scan][points[end].index] = axis.size();
            ++end;
        }
        axis.push_back(sum / static_cast<double>(end - start));
        start = end;
    }
    return axis;
}
} // namespace

bool combineScans(const instrument::RawFunction& function, const CombineWindows& windows, std::vector<float>& mz,
                  std::vector<float>& intensity)
{
    std::vector<const instrument::RawScan*> scans;
    addWindow(function, windows.peakFirst, windows.peakScans, scans);
    const std::size_t peakScans = scans.size();
    if (peakScans == 0)
        return false;
    addWindow(function, windows.background1First, windows.background1Scans, scans);
    addWindow(function, windows.background2First, windows.background2Scans, scans);
    const std::size_t backgroundScans = scans.size() - peakScans;

    std::vector<std::vector<std::size_t>> bins;
    const std::vector<double> axis = commonAxis(scans, bins);
    std::vector<double> peak(axis.size(), 0.0);
    std::vector<double> background(axis.size(), 0.0);
    for (std::size_t s = 0; s < scans.size(); ++s)
        for (std::size_t i = 0; i < scans[s]->intensity.size(); ++i)
            (s < peakScans ? peak : background)[bins[s][i]] += scans[s]->intensity[i];

    mz.assign(axis.begin(), axis.end());
    intensity.resize(axis.size());
    const double peakScale = 1.0 / static_cast<double>(peakScans);
    const double backgroundScale = backgroundScans ? 1.0 / static_cast<double>(backgroundScans) : 0.0;
    for (std::size_t i = 0; i < axis.size(); ++i)
        intensity[i] = static_cast<float>(std::max(0.0, peakScale * peak[i] - backgroundScale * background[i]));
    return true;
}
} // namespace detail

namespace
{
// The POSIX directory of the raw data a host path form names; empty when it names none.
std::string rawDirectoryOf(KelvaneHost& host, const tag_HXRAWFILE& path)
{
    char text[1024] = {};
    if (!host.ConvertHxFileToPath(text, sizeof text, path) || text[0] == '\0')
        return "";
    std::string posix = platform::toPosixPath(text);
    while (posix.size() > 1 && posix.back() == '/')
        posix.pop_back();
    return posix;
}

// Runs an operation, turning anything it throws into its failure result: nothing crosses the
// host interface.
template <class Result, class Operation> Result guarded(Result failure, Operation operation)
{
    try
    {
        return operation();
    }
    catch (...)
    {
        return failure;
    }
}
} // namespace

int KelvaneHost::DmRawFileToID(const tag_HXRAWFILE& path, tag_RAW_DATA_ID& id)
{
    return guarded(-1, [&] {
        const std::string directory = rawDirectoryOf(*this, path);
        std::string error;
        const auto data = directory.empty() ? nullptr : rawData_->load(directory, error);
        if (!data || !data->function(path.FunctionNumber()))
            return -1;
        id.clear();
        id.SetFunctionNumber(path.FunctionNumber());
        id.SetScanNumber(path.ScanNumber());
        id.set(detail::RawDataState::kIdMark, detail::RawDataState::kMark);
        id.set(detail::RawDataState::kIdSource, rawData_->sourceNumber(directory));
        return 0;
    });
}

int KelvaneHost::DmRawScansInFunction(const tag_HXRAWFILE& path)
{
    return guarded(0, [&] {
        const std::string directory = rawDirectoryOf(*this, path);
        std::string error;
        const auto data = directory.empty() ? nullptr : rawData_->load(directory, error);
        const instrument::RawFunction* function = data ? data->function(path.FunctionNumber()) : nullptr;
        return function ? static_cast<int>(function->scans.size()) : 0;
    });
}

DMHANDLE KelvaneHost::DmGetHandle(int, int idSize, const tag_RAW_DATA_ID& id, int, int, int)
{
    return guarded(DMHANDLE{0}, [&]() -> DMHANDLE {
        if (idSize != static_cast<int>(sizeof(tag_RAW_DATA_ID)))
            return 0;
        const std::string directory = rawData_->sourceOf(id);
        std::string error;
        const auto data = directory.empty() ? nullptr : rawData_->load(directory, error);
        const instrument::RawFunction* function = data ? data->function(id.FunctionNumber()) : nullptr;
        const int scan = id.ScanNumber();
        if (!function || scan < 1 || static_cast<std::size_t>(scan) > function->scans.size())
            return 0;
        const instrument::RawScan& read = function->scans[static_cast<std::size_t>(scan) - 1];
        auto spectrum = std::make_unique<detail::SpectrumHandle>();
        spectrum->source = data;
        spectrum->mz = read.mz.data();
        spectrum->intensity = read.intensity.data();
        spectrum->points = std::min(read.mz.size(), read.intensity.size());
        return rawData_->open(std::move(spectrum));
    });
}

DMHANDLE KelvaneHost::Combine(int, int, tag_HXRAWFILE& source, tag_HXRAWFILE&, const tag_COMBINE_PARAMS& params, int)
{
    return guarded(DMHANDLE{0}, [&]() -> DMHANDLE {
        const std::string directory = rawDirectoryOf(*this, source);
        std::string error;
        const auto data = directory.empty() ? nullptr : rawData_->load(directory, error);
        const instrument::RawFunction* function = data ? data->function(source.FunctionNumber()) : nullptr;
        if (!function)
            return 0;
        const detail::CombineWindows windows{params.PeakFirstScan(),        params.PeakScans(),
                                             params.Background1FirstScan(), params.Background1Scans(),
                                             params.Background2FirstScan(), params.Background2Scans()};
        auto spectrum = std::make_unique<detail::SpectrumHandle>();
        if (!detail::combineScans(*function, windows, spectrum->combinedMz, spectrum->combinedIntensity))
            return 0;
        spectrum->mz = spectrum->combinedMz.data();
        spectrum->intensity = spectrum->combinedIntensity.data();
        spectrum->points = std::min(spectrum->combinedMz.size(), spectrum->combinedIntensity.size());
        return rawData_->open(std::move(spectrum));
    });
}

tag_SPECTRUM_HEADER* KelvaneHost::DmLockID(DMHANDLE handle)
{
    detail::SpectrumHandle* spectrum = rawData_->find(handle);
    if (!spectrum)
        return nullptr;
    spectrum->headerLocked = true;
    return &spectrum->header;
}

int KelvaneHost::DmGetData(DMHANDLE handle, int arg2, int count, int mode)
{
    detail::SpectrumHandle* spectrum = rawData_->find(handle);
    if (!spectrum || arg2 != 1 || (mode != 0 && mode != 2) || count < 0 ||
        static_cast<std::size_t>(count) != spectrum->points)
        return -1;
    spectrum->dataRead = true;
    return 0;
}

float* KelvaneHost::DmLockData(DMHANDLE handle, int array, int arg3, int count)
{
    detail::SpectrumHandle* spectrum = rawData_->find(handle);
    if (!spectrum || !spectrum->dataRead || (array != DM_ARRAY_MASS && array != DM_ARRAY_INTENSITY) || arg3 != 1 ||
        count < 0 || static_cast<std::size_t>(count) != spectrum->points)
        return nullptr;
    spectrum->arrayLocked[array] = true;
    // The host's interface lends the arrays as float*; they are for reading only.
    return const_cast<float*>(array == DM_ARRAY_MASS ? spectrum->mz : spectrum->intensity);
}

int KelvaneHost::DmUnlockData(DMHANDLE handle, int array)
{
    detail::SpectrumHandle* spectrum = rawData_->find(handle);
    if (!spectrum || (array != DM_ARRAY_MASS && array != DM_ARRAY_INTENSITY) || !spectrum->arrayLocked[array])
        return -1;
    spectrum->arrayLocked[array] = false;
    return 0;
}

int KelvaneHost::DmReleaseHandle(DMHANDLE handle, int)
{
    return rawData_->handles.erase(handle) == 1 ? 0 : -1;
}

int KelvaneHost::DmUnlockID(DMHANDLE handle)
{
    detail::SpectrumHandle* spectrum = rawData_->find(handle);
    if (!spectrum || !spectrum->headerLocked)
        return -1;
    spectrum->headerLocked = false;
    return 0;
}
} // namespace kelvane
