// The stand-in's method databases: records round trip, counts, and damaged or foreign files.
#include "kelvane/KelvaneHost.h"
#include "platform/LastError.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"
#include "testing/Unprivileged.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;

class MethodDatabase : public ::testing::Test
{
  protected:
    // The descriptor and name of a database file of the test directory.
    struct Db
    {
        tag_METHOD_DB_DESCRIPTOR descriptor;
        tag_HXFILE name;
        // Appends a record of the given function number: MethodWriteRecord's result.
        int append(int function, int index = -1)
        {
            tag_METHOD_RECORD r;
            GetDefaultMethod(&r);
            r.SetFunctionNumber(function);
            return MethodWriteRecord(&name, index, &r, 0, 0);
        }
    };
    Db db(const std::string& file) const
    {
        Db d;
        EXPECT_EQ(ConvertPathToHxFile(&d.name, platform::toHostPath(dir_.file(file)).c_str()), 1);
        d.descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
        d.descriptor.SetName(d.name);
        return d;
    }
    // Writes records 1 to n, closes with count, then runs the SQL given on the file.
    void write(const std::string& file, int n, int count, const char* sql = "")
    {
        Db d = db(file);
        ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
        for (int i = 1; i <= n; ++i)
            ASSERT_EQ(d.append(i), i);
        d.descriptor.SetRecordCount(count);
        ASSERT_EQ(DmDB3Close(&d.descriptor), 0);
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(dir_.file(file).c_str(), &handle), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(handle, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
        sqlite3_close(handle);
    }
    // Opens for reading: "count N, records i:function ..." of every record that reads, or "refused".
    std::string contents(const std::string& file)
    {
        Db d = db(file);
        d.descriptor.SetRecordCount(12345);
        if (DmDB3Open(&d.descriptor, DMDB3_MODE_READ) != 0)
            return "refused";
        EXPECT_EQ(DmDB3Close(&d.descriptor), 0);
        std::string out = "count " + std::to_string(d.descriptor.RecordCount()) + ", records";
        tag_METHOD_RECORD r;
        for (int i = -1; i <= 64; ++i)
            if (MethodGetRecord(&d.name, i, &r))
                out += " " + std::to_string(i) + ":" + std::to_string(r.FunctionNumber());
        return out;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(MethodDatabase, RecordsRoundTripRewriteInPlaceAndCreatingEmpties)
{
    write("a.mdb", 3, 3);
    Db d = db("a.mdb");
    EXPECT_EQ(d.append(42, 2), 2);
    for (int index : {0, -2, 4}) // rewriting a record that is not there appends nothing
        EXPECT_EQ(d.append(42, index), -1);
    EXPECT_EQ(contents("a.mdb"), "count 3, records 1:1 2:42 3:3");
    // A name without a file reads the database the system list's METHOD_DB selects.
    ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &d.name, 1), 1);
    tag_HXFILE none;
    tag_METHOD_RECORD r;
    ASSERT_EQ(MethodGetRecord(&none, 2, &r), 1);
    EXPECT_EQ(r.FunctionNumber(), 42);
    EXPECT_EQ(DmDB3Close(&d.descriptor), -1) << "closing what is not open";
    ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
    ASSERT_EQ(DmDB3Close(&d.descriptor), 0);
    EXPECT_EQ(contents("a.mdb"), "count 0, records");
    // Another application's SQLite database is refused, and creating over it does not destroy it.
    write("other.db", 0, 0, "DROP TABLE method_records; CREATE TABLE notes(text)");
    const std::string other = readText(dir_.file("other.db"));
    d = db("other.db");
    EXPECT_NE(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(contents("other.db") + readText(dir_.file("other.db")), "refused" + other);
    // An empty file (a name CreateUniqueName reserved) is no database but may become one.
    testkit::writeText(dir_.file("TYPQ_001.mdb"), "");
    EXPECT_EQ(contents("TYPQ_001.mdb"), "refused");
    write("TYPQ_001.mdb", 1, 1);
    EXPECT_EQ(contents("TYPQ_001.mdb"), "count 1, records 1:1");
}

// The count read never exceeds the sound records before the first damaged one, which is refused
// on its own while sound ones after it still read. mdb_fuzz's corpus holds more damaged files,
// among them counts above the records.
TEST_F(MethodDatabase, ReaderNeverGetsMoreThanTheSoundRecords)
{
    const std::tuple<int, int, const char*, const char*> cases[] = { // written, count stored, damage, read
        {4, 2, "", "count 2, records 1:1 2:2 3:3 4:4"},
        {2, -5, "", "count 0, records 1:1 2:2"},
        {4, 4, "UPDATE method_records SET record = zeroblob(100) WHERE number = 3", "count 2, records 1:1 2:2 4:4"},
        {4, 4, "DELETE FROM method_records WHERE number = 2", "count 1, records 1:1 3:3 4:4"},
    };
    for (const auto& [written, count, damage, expected] : cases)
    {
        write("b.mdb", written, count, damage);
        EXPECT_EQ(contents("b.mdb"), expected) << damage;
    }
}

// Each open is its descriptor's own: a reader that opens and closes while a writer has the
// database open stores nothing and leaves the writer's open alone.
TEST_F(MethodDatabase, OpensThroughOtherDescriptorsDoNotMeet)
{
    write("c.mdb", 2, 2);
    Db writer = db("c.mdb"), reader = db("c.mdb");
    ASSERT_EQ(DmDB3Open(&writer.descriptor, DMDB3_MODE_APPEND), 0);
    EXPECT_EQ(writer.append(3), 3);
    ASSERT_EQ(DmDB3Open(&reader.descriptor, DMDB3_MODE_READ), 0);
    EXPECT_EQ(reader.descriptor.RecordCount(), 2);
    reader.descriptor.SetRecordCount(0);
    EXPECT_EQ(DmDB3Close(&reader.descriptor), 0);
    EXPECT_EQ(DmDB3Close(&reader.descriptor), -1) << "closed once only";
    EXPECT_EQ(contents("c.mdb"), "count 2, records 1:1 2:2 3:3");
    writer.descriptor.SetRecordCount(3);
    EXPECT_EQ(DmDB3Close(&writer.descriptor), 0);
    EXPECT_EQ(contents("c.mdb"), "count 3, records 1:1 2:2 3:3");
}

// As a user who may not write the database it is refused for writing (access denied) and left as
// it was; a database the user may write in a folder the user may not takes records.
TEST_F(MethodDatabase, RefusedAndFailedWritesKeepWhatWasThere)
{
    const std::tuple<const char*, mode_t, mode_t, const char*> cases[] = {
        {"open", 0444, 0777, "0: count 1, records 1:1"}, // records written as the user, then all that read
        {"closed", 0666, 0555, "2: count 2, records 1:1 2:7"},
    };
    testkit::openToEveryone(dir_.path());
    for (const auto& [folder, fileMode, folderMode, expected] : cases)
    {
        SCOPED_TRACE(folder);
        fs::create_directory(dir_.file(folder));
        const std::string file = std::string(folder) + "/m.mdb";
        write(file, 1, 1);
        const std::string before = readText(dir_.file(file));
        ASSERT_EQ(chmod(dir_.file(file).c_str(), fileMode) | chmod(dir_.file(folder).c_str(), folderMode), 0);
        Db d = db(file);
        const int result = testkit::runUnprivileged([&] {
            if (DmDB3Open(&d.descriptor, DMDB3_MODE_APPEND) != 0)
                return GetLastError() == ERROR_ACCESS_DENIED && d.append(7, 1) == -1 &&
                               DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE) != 0
                           ? 0
                           : 100;
            d.descriptor.SetRecordCount(d.append(7));
            return DmDB3Close(&d.descriptor) == 0 ? d.descriptor.RecordCount() : 101;
        });
        EXPECT_EQ(std::to_string(result) + ": " + contents(file), expected);
        EXPECT_TRUE(result || readText(dir_.file(file)) == before);
    }
    // A full disk, made with the file-size limit: writes past it fail like writes to a full disk, and
    // the records written before stay.
    write("full.mdb", 2, 2);
    Db d = db("full.mdb");
    ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_APPEND), 0);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{static_cast<rlim_t>(fs::file_size(dir_.file("full.mdb"))), old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    std::string records = " 1:1 2:2";
    int written = 2, result = 0;
    for (; written < 50 && result >= 0; written = std::max(result, written))
        if ((result = d.append(written + 1)) > 0)
            records += " " + std::to_string(result) + ":" + std::to_string(result);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, -1);
    d.descriptor.SetRecordCount(100);
    EXPECT_EQ(DmDB3Close(&d.descriptor), 0);
    EXPECT_EQ(contents("full.mdb"), "count " + std::to_string(written) + ", records" + records);
}

} // namespace
