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
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;
using testkit::writeText;

class MethodDatabase : public ::testing::Test
{
  protected:
    // The descriptor and name of the database file "name" in the test directory.
    struct Db
    {
        tag_METHOD_DB_DESCRIPTOR descriptor;
        tag_HXFILE name;
    };
    Db db(const char* file) const
    {
        Db d;
        EXPECT_EQ(ConvertPathToHxFile(&d.name, platform::toHostPath(dir_.file(file)).c_str()), 1);
        d.descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
        d.descriptor.SetName(d.name);
        return d;
    }
    static tag_METHOD_RECORD recordFor(int function)
    {
        tag_METHOD_RECORD r;
        GetDefaultMethod(&r);
        r.SetFunctionNumber(function);
        r.SetMassText(std::to_string(100 * function).c_str());
        return r;
    }
    // Writes records 1 to n and closes with count.
    void writeDatabase(const char* file, int n, int count)
    {
        Db d = db(file);
        ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
        for (int i = 1; i <= n; ++i)
        {
            const tag_METHOD_RECORD r = recordFor(i);
            ASSERT_EQ(MethodWriteRecord(&d.name, -1, &r, 0, 0), i);
        }
        d.descriptor.SetRecordCount(count);
        ASSERT_EQ(DmDB3Close(&d.descriptor), 0);
    }
    // Opens for reading; the reported count, or -1 when the open failed.
    int openForReading(const char* file)
    {
        Db d = db(file);
        d.descriptor.SetRecordCount(12345);
        if (DmDB3Open(&d.descriptor, DMDB3_MODE_READ) != 0)
            return -1;
        EXPECT_EQ(DmDB3Close(&d.descriptor), 0);
        return d.descriptor.RecordCount();
    }
    void sql(const char* file, const char* statements)
    {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(dir_.file(file).c_str(), &handle), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(handle, statements, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
        sqlite3_close(handle);
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(MethodDatabase, RecordsRoundTripRewriteInPlaceAndCreatingEmpties)
{
    writeDatabase("a.mdb", 3, 3);
    Db d = db("a.mdb");
    const tag_METHOD_RECORD changed = recordFor(42);
    EXPECT_EQ(MethodWriteRecord(&d.name, 2, &changed, 1, 1), 2);
    // Rewriting a record that is not there appends nothing.
    for (int index : {0, -2, 4})
        EXPECT_EQ(MethodWriteRecord(&d.name, index, &changed, 1, 1), -1);
    EXPECT_EQ(openForReading("a.mdb"), 3);
    const int expected[] = {1, 42, 3};
    for (int i = 1; i <= 3; ++i)
    {
        tag_METHOD_RECORD r;
        ASSERT_EQ(MethodGetRecord(&d.name, i, &r), 1);
        EXPECT_EQ(r.FunctionNumber(), expected[i - 1]);
    }
    tag_METHOD_RECORD untouched = recordFor(9);
    for (int index : {0, -1, 4})
        EXPECT_EQ(MethodGetRecord(&d.name, index, &untouched), 0);
    EXPECT_EQ(untouched.FunctionNumber(), 9);
    // A name without a file reads the database the system list's METHOD_DB selects.
    ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &d.name, 1), 1);
    tag_HXFILE none;
    ASSERT_EQ(MethodGetRecord(&none, 2, &untouched), 1);
    EXPECT_EQ(untouched.FunctionNumber(), 42);

    EXPECT_EQ(DmDB3Close(&d.descriptor), -1) << "closing what is not open";
    d.descriptor.SetType(3);
    EXPECT_NE(DmDB3Open(&d.descriptor, DMDB3_MODE_READ), 0) << "not a method database descriptor";
    d.descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);

    ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
    ASSERT_EQ(DmDB3Close(&d.descriptor), 0);
    EXPECT_EQ(openForReading("a.mdb"), 0);
    EXPECT_EQ(MethodGetRecord(&d.name, 1, &untouched), 0);
}

TEST_F(MethodDatabase, ReaderNeverGetsMoreThanTheSoundRecords)
{
    struct Case
    {
        const char* name;
        int written;
        int storedCount;
        const char* damage; // SQL run on the file after writing
        int expectedCount;
    };
    const Case cases[] = {
        {"count as written", 4, 4, "", 4},
        {"count above the records", 3, 8, "", 3},
        {"count below the records", 4, 2, "", 2},
        {"negative count", 2, -5, "", 0},
        {"short record", 4, 4, "UPDATE method_records SET record = zeroblob(100) WHERE number = 3", 2},
        {"text record", 4, 4, "UPDATE method_records SET record = 'x' WHERE number = 2", 1},
        {"gap", 4, 4, "DELETE FROM method_records WHERE number = 2", 1},
        {"count not a number", 4, 4, "UPDATE method_header SET record_count = 'many'", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        writeDatabase("b.mdb", c.written, c.storedCount);
        if (*c.damage)
            sql("b.mdb", c.damage);
        EXPECT_EQ(openForReading("b.mdb"), c.expectedCount);
    }
    // A damaged record is refused on its own too; sound ones after it still read.
    Db d = db("b.mdb");
    sql("b.mdb", "UPDATE method_records SET record = zeroblob(100) WHERE number = 3");
    tag_METHOD_RECORD r;
    EXPECT_EQ(MethodGetRecord(&d.name, 3, &r), 0);
    EXPECT_EQ(MethodGetRecord(&d.name, 4, &r), 1);
}

// Damaged files and text are refused by the same check; mdb_fuzz's corpus holds them.
TEST_F(MethodDatabase, FilesThatAreNotMethodDatabasesAreRefusedAndLeftAlone)
{
    // Another application's SQLite database: refused, and creating over it does not destroy it.
    sql("other.db", "CREATE TABLE notes(text); INSERT INTO notes VALUES ('keep me')");
    const std::string other = readText(dir_.file("other.db"));
    EXPECT_EQ(openForReading("other.db"), -1);
    Db d = db("other.db");
    EXPECT_NE(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(readText(dir_.file("other.db")), other);
    EXPECT_EQ(openForReading("missing.mdb"), -1);
    EXPECT_FALSE(fs::exists(dir_.file("missing.mdb")));

    // An empty file (CreateUniqueName reserves a name so) is no database, but may become one.
    writeText(dir_.file("TYPQ_001.mdb"), "");
    EXPECT_EQ(openForReading("TYPQ_001.mdb"), -1);
    writeDatabase("TYPQ_001.mdb", 2, 2);
    EXPECT_EQ(openForReading("TYPQ_001.mdb"), 2);
}

// As a user who may not write the database it is refused for writing (access denied) and left as
// it was; a database the user may write in a folder the user may not takes records.
TEST_F(MethodDatabase, ProtectedDatabasesAreRefusedAndWritableOnesInProtectedFoldersWritten)
{
    struct Case
    {
        const char* folder;
        mode_t fileMode, folderMode;
        int written; // records written as the user; 0: every write refused
    };
    const Case cases[] = {{"open", 0444, 0777, 0}, {"closed", 0666, 0555, 2}};
    testkit::openToEveryone(dir_.path());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.folder);
        fs::create_directory(dir_.file(c.folder));
        const std::string file = std::string(c.folder) + "/m.mdb";
        writeDatabase(file.c_str(), 1, 1);
        const std::string before = readText(dir_.file(file));
        ASSERT_EQ(chmod(dir_.file(file).c_str(), c.fileMode), 0);
        ASSERT_EQ(chmod(dir_.file(c.folder).c_str(), c.folderMode), 0);
        Db d = db(file.c_str());
        const int result = testkit::runUnprivileged([&] {
            const tag_METHOD_RECORD r = recordFor(7);
            if (DmDB3Open(&d.descriptor, DMDB3_MODE_APPEND) != 0)
                return GetLastError() == ERROR_ACCESS_DENIED && MethodWriteRecord(&d.name, 1, &r, 0, 0) == -1 &&
                               DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE) != 0
                           ? 0
                           : 100;
            const int number = MethodWriteRecord(&d.name, -1, &r, 0, 0);
            d.descriptor.SetRecordCount(number);
            return DmDB3Close(&d.descriptor) == 0 ? number : 101;
        });
        EXPECT_EQ(result, c.written);
        EXPECT_EQ(openForReading(file.c_str()), c.written ? 2 : 1);
        if (!c.written)
        {
            EXPECT_EQ(readText(dir_.file(file)), before);
        }
    }
}

// A full disk, made with the file-size limit: writes past it fail like writes to a full disk.
TEST_F(MethodDatabase, FailedWriteKeepsTheRecordsWrittenBefore)
{
    writeDatabase("full.mdb", 2, 2);
    Db d = db("full.mdb");
    ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_APPEND), 0);

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = static_cast<rlim_t>(fs::file_size(dir_.file("full.mdb")));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    int written = 2;
    int result = 0;
    for (int i = 0; i < 50 && result >= 0; ++i)
    {
        const tag_METHOD_RECORD r = recordFor(written + 1);
        result = MethodWriteRecord(&d.name, -1, &r, 0, 0);
        if (result > 0)
            written = result;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, -1);

    d.descriptor.SetRecordCount(100);
    EXPECT_EQ(DmDB3Close(&d.descriptor), 0);
    EXPECT_EQ(openForReading("full.mdb"), written);
    tag_METHOD_RECORD r;
    for (int i = 1; i <= written; ++i)
    {
        ASSERT_EQ(MethodGetRecord(&d.name, i, &r), 1);
        EXPECT_EQ(r.FunctionNumber(), i);
    }
    EXPECT_EQ(MethodGetRecord(&d.name, written + 1, &r), 0);
}
} // namespace
