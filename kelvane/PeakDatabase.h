// The stand-in's peak databases: the chromatographic peaks found by measuring one raw data set, as an
// SQLite file of fixed-size peak records in the "PeakDB" folder beside the raw data, and what the
// peak-database library keeps between AccessDBOpen and AccessDBClose.
#pragma once

#include "host/host.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kelvane
{
/// Where in a peak-database handle block, past the record count, the host keeps the 32-bit mark of
/// the open the block belongs to (0: none).
constexpr std::size_t kPeakDatabaseOpenMark = tag_ACCESSDB_HANDLE::kRecordCount + 4;

/// The host path of the peak database of the raw data at rawHostPath, made as the engine makes it:
/// the raw data's path form (through host) with "\..\PeakDB" appended to its directory text and the
/// extension "pdb", joined again. C:\P.PRO\Data\S1.RAW gives C:\P.PRO\Data\\..\PeakDB\S1.pdb, the
/// file C:\P.PRO\PeakDB\S1.pdb. Empty when the path does not fit a path form.
HOST_API std::string peakDatabasePathFor(host::Host& host, const std::string& rawHostPath);

/// Replaces the records of the peak database at posixPath with records (numbered from 1 in their
/// order) in one transaction, creating the file, and its folder, when missing. A file that is not a
/// peak database of this host (another SQLite file, a damaged file, text) is refused and left as it
/// is. Returns false, with a one-line reason naming the file, when anything fails; the file then
/// keeps the records it had (and a file this call created is removed).
HOST_API bool writePeakDatabase(const std::string& posixPath, const std::vector<tag_PEAK_RECORD>& records,
                                std::string& error);

namespace detail
{
class Database; // kelvane/Sqlite.h

/// One AccessDBOpen not closed yet: its read-only connection and the record count it reported.
struct OpenPeakDatabase
{
    std::unique_ptr<Database> db;
    int recordCount = 0;
};

/// The opens of the peak-database library, by the mark stored in their handle block.
struct PeakDatabaseState
{
    PeakDatabaseState();
    ~PeakDatabaseState();
    PeakDatabaseState(const PeakDatabaseState&) = delete;
    PeakDatabaseState& operator=(const PeakDatabaseState&) = delete;

    std::map<std::uint32_t, OpenPeakDatabase> opens;
    std::uint32_t lastMark = 0;
};
} // namespace detail
} // namespace kelvane
