// libFuzzer target: reads arbitrary bytes as a method file, saves the method and reads it back,
// checking what must always hold: numbers are finite, texts fit their 255-character buffer, a
// saved method reads back with the same integers, and a second save changes nothing more.
#include "method/MethodFileKeys.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"
#include "testing/MethodFileHost.h"
#include "testing/TempDir.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// Where the fuzzer's files live: one directory for the whole process, the host's data directory
// C:\, removed at exit.
struct Workspace
{
    Workspace()
    {
        host::Install(&fuzzHost);
    }
    ~Workspace()
    {
        host::Install(nullptr);
    }
    testkit::TempDir temp{"method_file_fuzz"};
    const std::string& dir = temp.path();
    testkit::MethodFileHost fuzzHost;
};

// The values of a method's keys, read through the key table; texts must fit the read buffer.
struct Snapshot
{
    std::vector<double> doubles; // finite
    std::vector<int> ints;
};

Snapshot read(const char* path)
{
    const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(path);
    Snapshot s;
    for (const auto& key : method::kMethodFileKeys)
    {
        if (key.type == method::MethodKeyType::kDouble)
            check(std::isfinite(s.doubles.emplace_back(key.getDouble(o))), "a number read from a file is not finite");
        else if (key.type == method::MethodKeyType::kInt)
            s.ints.push_back(key.getInt(o));
        else
            check(key.getText(o).GetLength() <= 255, "a text read from a method file is longer than 255 characters");
    }
    return s;
}

// Saves what the file at from holds to the file at to; whether every key was written.
bool copy(const char* from, const char* to)
{
    CBrenmoOptions method;
    method = CTessalyOptionsSheet::OpenFile(from);
    return CTessalyOptionsSheet::SaveFile(to, method) == 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Workspace workspace;
    workspace.fuzzHost.count = 1 + static_cast<int>(size % 4);
    std::ofstream(workspace.dir + "/input.tym", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    // Integers are written as they are and read back exactly.
    const Snapshot first = read("C:\\input.tym");
    const bool saved = copy("C:\\input.tym", "C:\\saved.tym");
    const Snapshot second = read("C:\\saved.tym");
    check(!saved || second.ints == first.ints, "integers changed through a save");

    // Numbers are rounded to two decimals by the first save; a second save of what was read back
    // changes nothing more.
    if (!saved || !copy("C:\\saved.tym", "C:\\again.tym"))
        return 0;
    const Snapshot third = read("C:\\again.tym");
    check(third.ints == second.ints, "integers changed through a second save");
    // Beyond 1e250 a value's 253+ digits no longer fit the 255-character read buffer.
    for (std::size_t i = 0; i < second.doubles.size(); ++i)
        check(std::fabs(second.doubles[i]) >= 1e250 || third.doubles[i] == second.doubles[i],
              "a number changed through a second save");
    return 0;
}
