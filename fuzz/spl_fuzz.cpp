// libFuzzer target: opens arbitrary bytes as a sample-list database (.spl) through the host
// stand-in. A damaged file must either open whole (every row as wide as the table) or fail with
// the open result 0, no rows and a reason; nothing may crash or leak. A list that opens, written
// to a new file, reads back with the same rows in the same order.
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "invariant violated: %s\n", what), std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static kelvane::KelvaneHost host;
    static host::Host* const previous = host::Install(&host);
    (void)previous;

    // One scratch file per process, rewritten for every input.
    static const testkit::TempDir dir("spl_fuzz");
    static const std::string path = dir.file("fuzz.spl");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    kelvane::CsvTable table;
    std::string error;
    if (kelvane::readSampleListTable(path, kelvane::SampleListFormat::kDatabase, table, error))
    {
        for (const auto& row : table.rows)
            check(row.size() == table.header.size(), "row narrower or wider than the table");
        // Written to a new list, the rows read back as they were and in the same order, whatever
        // the columns are called.
        static const std::string copy = dir.file("copy.spl");
        std::remove(copy.c_str());
        kelvane::CsvTable again;
        if (!table.header.empty() &&
            kelvane::writeSampleListTable(copy, kelvane::SampleListFormat::kDatabase, table, error))
            check(kelvane::readSampleListTable(copy, kelvane::SampleListFormat::kDatabase, again, error) &&
                      again.header == table.header && again.rows == table.rows,
                  "a list written out does not read back whole and in order");
    }
    else
        check(!error.empty() && table.rows.empty() && table.header.empty(), "failed read left data or no reason");

    CDAOSampleList list(1);
    if (list.Open(platform::toHostPath(path).c_str(), CFormattedSampleList::m_DefaultType))
        list.Close(0);
    else
        check(list.GetSize() == 0, "failed open left rows behind");

    std::remove(path.c_str());
    std::remove((path + "-journal").c_str());
    return 0;
}
