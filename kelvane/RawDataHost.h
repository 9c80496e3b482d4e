// What the stand-in's raw-data library keeps between calls: the raw data it has read, the raw data
// its identifiers name, and the spectra its handles hold.
#pragma once

#include "host/host.h"
#include "instrument/RawData.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <sys/types.h>

namespace kelvane::detail
{
/// One raw-data directory as last read, with the identity of its mzML file at that time, so the
/// file is read again only when it has changed.
struct CachedRawData
{
    std::string file; // the mzML file read
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t lastUse = 0;
    std::shared_ptr<const instrument::RawData> data;
};

/// A spectrum behind a handle. A scan's points are lent straight from the raw data as read (no
/// copy): the handle keeps that raw data alive, so a file that changes or is read again never
/// pulls the arrays away from a caller that holds them. A combined spectrum is computed into the
/// handle's own arrays. Callers read the locked arrays and never write them.
struct SpectrumHandle
{
    std::shared_ptr<const instrument::RawData> source; // what mz and intensity point into, for a scan
    std::vector<float> combinedMz;         // a combined spectrum's own points
    std::vector<float> combinedIntensity;
    const float* mz = nullptr;
    const float* intensity = nullptr;
    std::size_t points = 0;
    tag_SPECTRUM_HEADER header;
    bool dataRead = false;     // DmGetData succeeded
    bool headerLocked = false; // between DmLockID and DmUnlockID
    bool arrayLocked[2] = {};  // between DmLockData and DmUnlockData, per array
};

struct RawDataState
{
    /// At most this many raw-data directories stay read; the least recently used one goes first.
    static constexpr std::size_t kCachedRawData = 8;
    /// Where a raw-data identifier keeps the host's mark and the number of the raw data it names,
    /// past every field the engine reads or sets.
    static constexpr std::size_t kIdMark = 300;   // 32-bit kMark
    static constexpr std::size_t kIdSource = 304; // 32-bit: sources index + 1
    static constexpr std::uint32_t kMark = 0x5741524Bu; // "KRAW"

    /// The raw data of the directory posixDirectory, read when it is not cached or its mzML file
    /// has changed since; null, with the reason in error, when it cannot be read.
    std::shared_ptr<const instrument::RawData> load(const std::string& posixDirectory, std::string& error);
    /// The number (from 1) under which identifiers name posixDirectory.
    std::uint32_t sourceNumber(const std::string& posixDirectory);
    /// The directory an identifier names; empty when it names none of this host's.
    std::string sourceOf(const tag_RAW_DATA_ID& id) const;
    /// A new handle to spectrum; handle numbers are never used twice.
    DMHANDLE open(std::unique_ptr<SpectrumHandle> spectrum);
    /// The spectrum of handle; null for 0, a released handle or one this host never gave.
    SpectrumHandle* find(DMHANDLE handle);

    std::map<std::string, CachedRawData> cache;
    std::vector<std::string> sources;
    std::map<DMHANDLE, std::unique_ptr<SpectrumHandle>> handles;
    DMHANDLE lastHandle = 0;
    std::uint64_t uses = 0;
};

/// The windows of a combine request, each as first scan and number of scans.
struct CombineWindows
{
    int peakFirst = 0, peakScans = 0;
    int background1First = 0, background1Scans = 0;
    int background2First = 0, background2Scans = 0;
};

/// Two m/z values of different scans closer than this are one ion when scans whose m/z values
/// differ are combined: well below the unit resolution of the instruments whose data this host
/// keeps, and above the single-precision rounding of m/z values up to several thousand.
constexpr double kCombineMzTolerance = 0.01;

/// The background-subtracted combination of the scans of function: the mean of the peak window's
/// scans less the mean of the background windows' scans (a scan in both windows counts twice),
/// point by point, negative results cut to 0. A mean, not a sum, so that spectra combined over
/// peaks of different widths (one per ramp step) compare as responses. Windows are clipped to
/// the function's scans. The m/z axis is the scans' own when they all share one; otherwise their
/// values merged, a value within kCombineMzTolerance of the first of a group joining that group,
/// which lies at the mean of its values. Returns false when the clipped peak window is empty.
bool combineScans(const instrument::RawFunction& function, const CombineWindows& windows, std::vector<float>& mz,
                  std::vector<float>& intensity);
} // namespace kelvane::detail
