// Formatted sample lists: CSV files whose header row names the host's sample-list fields,
// read into and written from the host's in-memory sample list.
#pragma once

#include "host/host.h"

#include <string>
#include <vector>

namespace kelvane
{
/// What reading a formatted list found besides its rows.
struct FormattedListColumns
{
    std::vector<std::string> fields;  // header names that are fields of the host's table, in file order
    std::vector<std::string> unknown; // header names that are not, in file order
};

/// Reads the CSV file at posixPath into list, replacing its rows: one row per record, each column
/// whose header names a field of the host's definition table (without regard to case or
/// surrounding blanks) stored in that field as text. Columns the table does not define are not
/// stored; their names are reported in columns.unknown. Returns false, with list left without rows
/// and a one-line reason naming the file, when the file cannot be read, is not valid CSV, or names
/// one field twice.
KELVANE_API bool readFormattedSampleList(const std::string& posixPath, CSampleListMem& list,
                                         FormattedListColumns& columns, std::string& error);
} // namespace kelvane
