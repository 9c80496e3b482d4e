// libFuzzer target: reads arbitrary bytes as a formatted sample list (CSV) and checks what must
// always hold: every record has the header's width, writing the table back unchanged gives the
// same bytes, a changed cell or a table written afresh reads back as written, and storing it in
// the host's list neither fails on unknown columns nor loses rows, and writing that list back
// unchanged gives the same bytes.
#include "host/host.h"
#include "kelvane/Csv.h"
#include "kelvane/FormattedSampleList.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "invariant violated: %s\n", what), std::abort();
}

// table written by formatCsv reads back as table.
void checkReadsBack(const kelvane::CsvTable& table, const char* what)
{
    kelvane::CsvTable again;
    std::string error;
    check(kelvane::parseCsv(kelvane::formatCsv(table), again, error), what);
    check(again.header == table.header && again.rows == table.rows && again.byteOrderMark == table.byteOrderMark, what);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kelvane::CsvTable table;
    std::string error;
    if (!kelvane::parseCsv(text, table, error))
    {
        check(!error.empty(), "failure without a reason");
        return 0;
    }
    for (const auto& row : table.rows)
        check(row.size() == table.header.size(), "record not padded to the header's width");
    check(kelvane::formatCsv(table) == text, "an unchanged table not written back byte for byte");

    // A cell set to text that needs quoting (or to nothing), in the last row and column.
    kelvane::CsvTable changed = table;
    if (!changed.rows.empty())
        changed.rows.back().back() = changed.rows.back().back().empty() ? " a,\"b\"\r\n" : "";
    checkReadsBack(changed, "a changed cell does not read back");
    changed.source.clear();
    checkReadsBack(changed, "a table written afresh does not read back");

    const std::size_t rows = table.rows.size(); // listFromTable takes the rows
    CSampleListMem list;
    kelvane::FormattedListColumns columns;
    if (kelvane::listFromTable(table, list, columns, error))
    {
        check(static_cast<std::size_t>(list.GetSize()) == rows &&
                  columns.fields.size() + columns.unknown.size() == table.header.size(),
              "rows lost in the host's list, or columns not all accounted for");
        // Writing the list back unchanged over the file it came from changes no byte.
        kelvane::CsvTable current;
        check(kelvane::parseCsv(text, current, error) && kelvane::mergeListIntoTable(list, current, error) &&
                  kelvane::formatCsv(current) == text,
              "an unchanged list not written back byte for byte");
    }
    else
        check(list.GetSize() == 0, "rows left behind by a failed read");
    return 0;
}
