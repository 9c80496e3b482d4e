// libFuzzer target: reads arbitrary bytes as a results table and checks what must always hold: a
// refusal is one line that says where, an accepted table has one line number per row, in order,
// and the table written back (with and without the at_edge column) reads back as the same rows.
#include "run/ResultsTable.h"

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

void checkReadsBack(const tessaly::ResultsTable& table, const std::vector<std::string>& atEdge, const char* what)
{
    tessaly::ResultsTable again;
    std::string error;
    check(tessaly::readResultsTable(tessaly::writeResultsTable(table.rows, atEdge), "again.tsv", again, error), what);
    check(again.rows == table.rows, what);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tessaly::ResultsTable table;
    std::string error;
    if (!tessaly::readResultsTable(text, "results.tsv", table, error))
    {
        check(error.rfind("results.tsv:", 0) == 0, "a refusal that does not name the table");
        check(error.find_first_of("\r\n") == std::string::npos, "a refusal of more than one line");
        return 0;
    }
    check(table.lines.size() == table.rows.size(), "a row without its line");
    for (std::size_t i = 1; i < table.lines.size(); ++i)
        check(table.lines[i - 1] < table.lines[i], "rows out of line order");

    checkReadsBack(table, {}, "the written table does not read back as its rows");
    std::vector<std::string> atEdge(table.rows.size());
    for (std::size_t i = 0; i < atEdge.size(); ++i)
        atEdge[i] = i % 3 == 0 ? "cv" : i % 3 == 1 ? "cv,ce" : "";
    checkReadsBack(table, atEdge, "the table written with at_edge does not read back as its rows");
    return 0;
}
