// libFuzzer target: reads arbitrary bytes as a formatted sample list (CSV) and checks what must
// always hold: every record has the header's width, writing the table and reading it back gives
// the same table, and storing it in the host's list neither fails on unknown columns nor loses rows.
#include "host/host.h"
#include "kelvane/Csv.h"
#include "kelvane/FormattedSampleList.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant violated: %s\n", what);
        std::abort();
    }
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

    // Formatting writes every field so that it reads back as it was.
    kelvane::CsvTable again;
    check(kelvane::parseCsv(kelvane::formatCsv(table), again, error), "formatted table does not parse");
    check(again.header == table.header, "header changed by a round trip");
    check(again.rows == table.rows, "rows changed by a round trip");
    check(again.byteOrderMark == table.byteOrderMark, "byte-order mark changed by a round trip");

    const std::size_t rows = table.rows.size();
    CSampleListMem list;
    kelvane::FormattedListColumns columns;
    if (kelvane::listFromTable(table, list, columns, error))
    {
        check(static_cast<std::size_t>(list.GetSize()) == rows, "rows lost in the host's list");
        check(columns.fields.size() + columns.unknown.size() == table.header.size(), "columns not all accounted for");
    }
    else
    {
        check(list.GetSize() == 0, "rows left behind by a failed read");
    }
    return 0;
}
