// The host's sample-list files on disk: sample-list databases (".spl", an SQLite file with one
// table of text columns named after the host's fields) and formatted lists (CSV), read and written
// whole as tables of text so that columns the host does not define survive a write.
#pragma once

#include "host/host.h"
#include "kelvane/Csv.h"

#include <string>

namespace kelvane
{
/// The two on-disk forms of a sample list.
enum class SampleListFormat
{
    kCsv,      // formatted and loaded lists: CSV with a header row
    kDatabase, // sample-list databases: SQLite
};

/// Name of the one table of a sample-list database.
constexpr const char* kSampleListTable = "SampleList";

/// How long a read or write waits for another process's lock on a database before it gives up.
constexpr int kDatabaseBusyMilliseconds = 200;

/// The form a file name asks for: the extension "spl" (any case) is a database, anything else CSV.
HOST_API SampleListFormat sampleListFormatOf(const std::string& path);

/// Reads the list file at posixPath whole: its column names (CSV header, or the table's columns in
/// their order) and its rows of text (a database's rows in insertion order; NULL reads as empty).
/// Returns false, with a one-line reason naming the file, when the file is missing or unreadable,
/// is not valid CSV, is not an SQLite database, has no table "SampleList", or stays locked by
/// another process for kDatabaseBusyMilliseconds.
HOST_API bool readSampleListTable(const std::string& posixPath, SampleListFormat format, CsvTable& table,
                                     std::string& error);

/// Replaces the content of the list file at posixPath with table, all or nothing: CSV (formatCsv,
/// so a table read from the file changes only the cells that differ) through the platform's
/// atomic file replacement, a database in one transaction (creating the file and its table when
/// missing, adding missing columns as TEXT, replacing every row). Returns false, with the file as
/// it was (a database file this call created is removed), a one-line reason and the platform's
/// last error set, when any step fails: ERROR_ACCESS_DENIED when the caller may not write the
/// file (or create it in its folder), else ERROR_GEN_FAILURE.
HOST_API bool writeSampleListTable(const std::string& posixPath, SampleListFormat format, const CsvTable& table,
                                      std::string& error);
} // namespace kelvane
