// libFuzzer target: takes arbitrary bytes as a method database (".mdb") and opens and reads it
// through the host stand-in, checking what must always hold: a file is refused or opens with a
// record count no larger than the records that read, a record never reads past its size, and a
// file that is refused is left byte for byte as it was; the damage check changes nothing, and a
// file it finds sound opens.
#include "kelvane/KelvaneHost.h"
#include "kelvane/MethodDatabase.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <iterator>
#include <unistd.h>

namespace
{
void check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "invariant violated: %s\n", what), std::abort();
}

// Where the fuzzer's files live: one directory for the whole process, removed at exit.
struct Workspace
{
    Workspace()
    {
        if (!kelvane::install(dir + "/data"))
            std::abort();
    }
    ~Workspace()
    {
        kelvane::uninstall();
    }
    testkit::TempDir temp{"mdb_fuzz"};
    const std::string& dir = temp.path();
};

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Workspace workspace;
    const std::string path = workspace.dir + "/input.mdb";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    unlink((path + "-journal").c_str());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    tag_HXFILE name;
    check(ConvertPathToHxFile(&name, platform::toHostPath(path).c_str()) == 1, "the path converts");
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    descriptor.SetName(name);
    descriptor.SetRecordCount(-7);

    const bool sound = kelvane::methodDatabaseFault(path).empty();
    check(contents(path) == bytes, "the damage check changed the file");
    if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
    {
        check(!sound, "a database the check finds sound opens");
        // Refused files are not touched, not even by a write that follows.
        tag_METHOD_RECORD record;
        check(MethodWriteRecord(&name, -1, &record, 0, 0) == -1, "a refused file takes no record");
        check(contents(path) == bytes, "a refused file changed");
        return 0;
    }
    const int count = descriptor.RecordCount();
    check(count >= 0, "the record count is not negative");
    for (int i = 1; i <= count; ++i)
    {
        tag_METHOD_RECORD record;
        check(MethodGetRecord(&name, i, &record) == 1, "a counted record reads");
    }
    // Beyond the count, reads succeed only for whole records; they must not crash.
    for (int i : {0, count + 1, count + 2, 1 << 30})
    {
        tag_METHOD_RECORD record;
        MethodGetRecord(&name, i, &record);
    }
    check(DmDB3Close(&descriptor) == 0, "an open database closes");
    return 0;
}
