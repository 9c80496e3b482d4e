// Formatted sample lists: CSV files whose header row names the host's sample-list fields,
// read into and written from the host's in-memory sample list.
#pragma once

#include "host/host.h"
#include "kelvane/Csv.h"

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

/// Replaces the rows of list with the records of table, one row per record, each column whose
/// header names a field of the host's definition table (without regard to case or surrounding
/// blanks) stored in that field as text; the names of the other columns go to columns.unknown.
/// The table's rows and source are consumed (released) to keep a large list's peak memory low.
/// Returns false, with list left without rows and the reason (the column's name) in error, when
/// the header names one field twice.
HOST_API bool listFromTable(CsvTable& table, CSampleListMem& list, FormattedListColumns& columns,
                               std::string& error);

/// Writes the cells of list into table, the current content of the list's file, so that writing
/// the table back changes only what the host's fields hold: columns the host does not define keep
/// their text, row by row, and the file's column order and headings stay. A field that has no
/// column gets one at the end when some row holds text in it; a table without a header (a new
/// file) gets every field of the host's table. A cell whose text the list holds unchanged keeps
/// every byte, those after a zero byte included. Rows beyond the list are dropped, and new rows
/// have empty unknown cells. The table's source is kept, so formatCsv writes back only the cells
/// that differ. Returns false, with table unchanged, when its header names a field twice.
HOST_API bool mergeListIntoTable(const CSampleListMem& list, CsvTable& table, std::string& error);
} // namespace kelvane
