// The stand-in's method databases: records round trip, counts, damaged or foreign files, databases
// made whole in a temporary, and the check that the driver runs before it shows one.
#include "kelvane/KelvaneHost.h"
#include "kelvane/MethodDatabase.h"
#include "platform/LastError.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"
#include "testing/Unprivileged.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
    // Runs statements on file with SQLite itself, not through the host: the values of the rows
    // they return, each after a blank.
    std::string sql(const std::string& file, const std::string& statements) const
    {
        sqlite3* handle = nullptr;
        std::string rows;
        EXPECT_EQ(sqlite3_open(dir_.file(file).c_str(), &handle), SQLITE_OK);
        const auto each = [](void* out, int n, char** values, char**) {
            for (int i = 0; i < n; ++i)
                *static_cast<std::string*>(out) += std::string(" ") + (values[i] ? values[i] : "NULL");
            return 0;
        };
        EXPECT_EQ(sqlite3_exec(handle, statements.c_str(), each, &rows, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
        sqlite3_close(handle);
        return rows;
    }
    // Writes records 1 to n, closes with count, then runs the SQL given on the file.
    void write(const std::string& file, int n, int count, const char* damage = "")
    {
        Db d = db(file);
        ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
        for (int i = 1; i <= n; ++i)
            ASSERT_EQ(d.append(i), i);
        d.descriptor.SetRecordCount(count);
        ASSERT_EQ(DmDB3Close(&d.descriptor), 0);
        sql(file, damage);
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
    // Appends records after `written` while the file-size limit, to SQLite a full disk, lets them in;
    // adds " n:n" to records for each one. Returns the result of the append that failed.
    static int appendUntilFull(Db& d, rlim_t limit, int& written, std::string& records)
    {
        rlimit old{};
        EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tight{limit, old.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        int result = 0;
        while (written < 50 && (result = d.append(written + 1)) > 0)
            records += " " + std::to_string(result) + ":" + std::to_string(written = result);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previousHandler);
        return result;
    }
    // The names in folder (of the test directory), hidden ones included, sorted and joined by
    // blanks; in temporaries' names this process's id reads "PID", and their counters "N".
    std::string entries(const std::string& folder = ".") const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.file(folder)))
            names.push_back(std::regex_replace(entry.path().filename().string(),
                                               std::regex("\\.tmp" + std::to_string(getpid()) + "_\\d+_\\d+$"),
                                               ".tmpPID_N_N"));
        std::sort(names.begin(), names.end());
        std::string joined;
        for (const auto& name : names)
            joined += (joined.empty() ? "" : " ") + name;
        return joined;
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
    ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
    ASSERT_EQ(DmDB3Close(&d.descriptor), 0);
    EXPECT_EQ(contents("a.mdb"), "count 0, records");
    // Another application's SQLite database is refused, and creating over it does not destroy it.
    write("other.db", 0, 0, "DROP TABLE method_records; CREATE TABLE notes(text)");
    const std::string other = readText(dir_.file("other.db"));
    d = db("other.db");
    EXPECT_NE(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(contents("other.db") + readText(dir_.file("other.db")), "refused" + other);
    // An empty file (a name CreateUniqueName reserved) is no database; making one over it is below.
    testkit::writeText(dir_.file("TYPQ_001.mdb"), "");
    EXPECT_EQ(contents("TYPQ_001.mdb"), "refused");
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
    // A full disk: appends past it fail, and the records written before stay.
    write("full.mdb", 2, 2);
    Db d = db("full.mdb");
    ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_APPEND), 0);
    int written = 2;
    std::string records = " 1:1 2:2";
    EXPECT_EQ(appendUntilFull(d, fs::file_size(dir_.file("full.mdb")), written, records), -1);
    d.descriptor.SetRecordCount(100);
    EXPECT_EQ(DmDB3Close(&d.descriptor), 0);
    EXPECT_EQ(contents("full.mdb"), "count " + std::to_string(written) + ", records" + records);
}

// A database being made lives in a temporary that is no method's name, while the real name keeps
// what was there before; the host's own calls reach what is being made. Closing puts the whole
// database in place and leaves no temporary.
TEST_F(MethodDatabase, AMadeDatabaseAppearsUnderItsNameWholeAtClose)
{
    // Records of an older database under the name; -1: nothing there, 0: an empty file.
    for (const int older : {-1, 0, 3})
    {
        SCOPED_TRACE(older);
        fs::remove(dir_.file("m.mdb"));
        if (older >= 0)
            older ? write("m.mdb", older, older) : (void)testkit::writeText(dir_.file("m.mdb"), "");
        const std::string named = older < 0 ? "" : " m.mdb", before = readText(dir_.file("m.mdb"));
        Db d = db("m.mdb");
        ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
        ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_APPEND), 0) << "the engine opens it again to write";
        EXPECT_EQ(d.append(11), 1);
        EXPECT_EQ(d.append(12), 2);
        EXPECT_EQ(entries(), ".m.mdb.tmpPID_N_N" + named);
        EXPECT_EQ(readText(dir_.file("m.mdb")), before);
        // The stored count is handed over at close; until then the host reads the records made.
        EXPECT_EQ(contents("m.mdb"), "count 0, records 1:11 2:12");
        d.descriptor.SetRecordCount(2);
        ASSERT_EQ(DmDB3Close(&d.descriptor), 0);
        EXPECT_EQ(entries() + ": " + contents("m.mdb"), "m.mdb: count 2, records 1:11 2:12");
    }
}

// While one descriptor makes a database, another may not begin it again; one that opens it to
// write or read reaches what is being made, and its close ends its own open only. The maker making
// it again starts over, and a maker that moves on to another database throws away what it made.
TEST_F(MethodDatabase, OtherOpensOfADatabaseBeingMadeReachWhatIsMade)
{
    write("o.mdb", 3, 3);
    const std::string before = readText(dir_.file("o.mdb"));
    Db maker = db("o.mdb"), other = db("o.mdb"), reader = db("o.mdb");
    ASSERT_EQ(DmDB3Open(&maker.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(maker.append(1), 1);
    EXPECT_NE(DmDB3Open(&other.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ASSERT_EQ(DmDB3Open(&other.descriptor, DMDB3_MODE_APPEND), 0);
    EXPECT_EQ(other.append(2), 2);
    other.descriptor.SetRecordCount(2);
    EXPECT_EQ(DmDB3Close(&other.descriptor), 0);
    ASSERT_EQ(DmDB3Open(&reader.descriptor, DMDB3_MODE_READ), 0);
    EXPECT_EQ(reader.descriptor.RecordCount(), 2) << "the count the other descriptor stored";
    EXPECT_EQ(DmDB3Close(&reader.descriptor), 0);
    EXPECT_EQ(DmDB3Close(&reader.descriptor), -1) << "closed once only";
    EXPECT_EQ(readText(dir_.file("o.mdb")), before) << "others find the older database until the close";
    maker.descriptor.SetRecordCount(2);
    ASSERT_EQ(DmDB3Close(&maker.descriptor), 0);
    EXPECT_EQ(contents("o.mdb"), "count 2, records 1:1 2:2");

    ASSERT_EQ(DmDB3Open(&maker.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(maker.append(5), 1);
    ASSERT_EQ(DmDB3Open(&maker.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(maker.append(6), 1);
    maker.descriptor.SetRecordCount(1);
    ASSERT_EQ(DmDB3Close(&maker.descriptor), 0);
    EXPECT_EQ(contents("o.mdb"), "count 1, records 1:6");

    ASSERT_EQ(DmDB3Open(&maker.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(maker.append(7), 1);
    maker.descriptor.SetName(db("p.mdb").name);
    ASSERT_EQ(DmDB3Open(&maker.descriptor, DMDB3_MODE_CREATE), 0);
    EXPECT_EQ(entries(), ".p.mdb.tmpPID_N_N o.mdb");
    EXPECT_EQ(DmDB3Close(&maker.descriptor), 0);
    EXPECT_EQ(contents("o.mdb") + "; " + contents("p.mdb"), "count 1, records 1:6; count 0, records");
    EXPECT_EQ(entries(), "o.mdb p.mdb");
}

// A write that fails while a database is made (a full disk, made with the file-size limit) throws
// the database away: closing it fails and the older database stays as it was, with no temporary.
TEST_F(MethodDatabase, AMakeWhoseWriteFailsLeavesTheOlderDatabase)
{
    write("f.mdb", 2, 2);
    const std::string before = readText(dir_.file("f.mdb"));
    Db d = db("f.mdb");
    ASSERT_EQ(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
    int written = 0;
    std::string records;
    // A new database is a few pages; each record takes most of one more.
    EXPECT_EQ(appendUntilFull(d, 4 * 4096, written, records), -1);
    EXPECT_LT(written, 50);
    EXPECT_EQ(d.append(99), -1) << "nothing more is written into a database thrown away";
    d.descriptor.SetRecordCount(written);
    EXPECT_EQ(DmDB3Close(&d.descriptor), -1);
    EXPECT_EQ(readText(dir_.file("f.mdb")), before);
    EXPECT_EQ(entries(), "f.mdb");
}

// A maker killed half-way leaves the older database and its temporary; the next make of the name
// removes the temporary. Which names are a dead maker's is the platform's test (AtomicFile).
TEST_F(MethodDatabase, AKilledMakersTemporaryIsRemovedByTheNextMake)
{
    write("k.mdb", 3, 3);
    const std::string before = readText(dir_.file("k.mdb"));
    const pid_t child = fork();
    if (child == 0)
    {
        Db d = db("k.mdb");
        if (DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE) == 0 && d.append(1) == 1)
            ::kill(::getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not make the database";
    const std::string killed = ".k.mdb.tmp" + std::to_string(child) + "_";
    const std::string all = entries();
    EXPECT_EQ(all.rfind(killed, 0), 0u) << all;
    EXPECT_EQ(all.substr(all.find(' ')), " k.mdb") << all;
    EXPECT_EQ(readText(dir_.file("k.mdb")), before);

    write("k.mdb", 1, 1);
    EXPECT_EQ(entries() + ": " + contents("k.mdb"), "k.mdb: count 1, records 1:1");
}

// A symbolic link planted under a method's name is never written through: making, opening to write
// and writing records are refused, and neither the link nor what it points at changes. Links in
// the folders above, and reading through a link, are not refused.
TEST_F(MethodDatabase, SymbolicLinksUnderTheNameAreNotFollowedToWrite)
{
    write("target.mdb", 2, 2);
    const std::string target = readText(dir_.file("target.mdb"));
    ASSERT_EQ(::symlink("target.mdb", dir_.file("link.mdb").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere.mdb", dir_.file("dangling.mdb").c_str()), 0);
    for (const char* link : {"link.mdb", "dangling.mdb"})
    {
        SCOPED_TRACE(link);
        Db d = db(link);
        EXPECT_NE(DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE), 0);
        EXPECT_NE(DmDB3Open(&d.descriptor, DMDB3_MODE_APPEND), 0);
        EXPECT_EQ(d.append(9), -1);
        EXPECT_EQ(d.append(9, 1), -1);
        EXPECT_TRUE(fs::is_symlink(dir_.file(link)));
    }
    EXPECT_EQ(readText(dir_.file("target.mdb")), target);
    EXPECT_EQ(entries(), "dangling.mdb link.mdb target.mdb");
    EXPECT_EQ(contents("link.mdb"), "count 2, records 1:1 2:2");

    fs::create_directory(dir_.file("real"));
    fs::create_directory_symlink("real", dir_.file("via"));
    write("via/m.mdb", 1, 1);
    EXPECT_EQ(entries("real") + ": " + contents("via/m.mdb"), "m.mdb: count 1, records 1:1");
}

// Making over a database keeps its owner and permissions. Where the maker cannot give a new file
// those (another user's database) or cannot make a file beside it (a folder it may not write),
// the database is emptied in place, as the one way left to make it.
TEST_F(MethodDatabase, MakingOverADatabaseKeepsItsOwnerAndPermissions)
{
    write("mine.mdb", 2, 2);
    ASSERT_EQ(chmod(dir_.file("mine.mdb").c_str(), 0640), 0);
    write("mine.mdb", 1, 1);
    struct stat status = {};
    ASSERT_EQ(::stat(dir_.file("mine.mdb").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    // "others": a folder the maker may write, a database of root's; "closed": one it may not write.
    const std::pair<std::string, mode_t> cases[] = {{"others", 0777}, {"closed", 0555}};
    testkit::openToEveryone(dir_.path());
    for (const auto& [folder, folderMode] : cases)
    {
        SCOPED_TRACE(folder);
        fs::create_directory(dir_.file(folder));
        const std::string file = folder + "/m.mdb";
        write(file, 3, 3);
        struct stat before = {};
        ASSERT_EQ(::stat(dir_.file(file).c_str(), &before), 0);
        ASSERT_EQ(chmod(dir_.file(file).c_str(), 0666) | chmod(dir_.file(folder).c_str(), folderMode), 0);
        Db d = db(file);
        const int result = testkit::runUnprivileged([&] {
            if (DmDB3Open(&d.descriptor, DMDB3_MODE_CREATE) != 0 || d.append(7) != 1)
                return 100;
            d.descriptor.SetRecordCount(1);
            return DmDB3Close(&d.descriptor) == 0 ? 0 : 101;
        });
        chmod(dir_.file(folder).c_str(), 0755);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(contents(file), "count 1, records 1:7");
        struct stat after = {};
        ASSERT_EQ(::stat(dir_.file(file).c_str(), &after), 0);
        EXPECT_EQ(std::tie(after.st_ino, after.st_uid), std::tie(before.st_ino, before.st_uid)) << "made in place";
        EXPECT_EQ(entries(folder), "m.mdb");
    }
}

// The driver's check before it shows a method: each fault of a database in one line, and nothing
// said of a sound one, whose count may be above its records.
TEST_F(MethodDatabase, TheCheckNamesWhatIsWrongWithADatabase)
{
    // Records written, the count stored, SQL that damages the file, and the fault named.
    const std::tuple<int, int, const char*, const char*> cases[] = {
        {2, 2, "", ""},
        {3, 8, "", ""},
        {0, 0, "", ""},
        {2, 0, "", "the header counts 0 records but 2 are stored"},
        {2, 1, "", "the header counts 1 record but 2 are stored"},
        {1, 1, "UPDATE method_header SET record_count = -3", "the header counts -3 records, below 0"},
        {4, 4, "DELETE FROM method_records WHERE number = 2", "record 2 is missing, but record 3 is stored"},
        {3, 3, "UPDATE method_records SET record = zeroblob(100) WHERE number = 3", "record 3 is 100 bytes, not 2616"},
        {3, 3, "UPDATE method_records SET record = 'x' WHERE number = 1",
         "record 1 holds text, not a 2616-byte method record"},
        {1, 1, "DELETE FROM method_header", "the header holds no record count"},
        {1, 1, "UPDATE method_header SET record_count = 'many'",
         "the header's record count \"many\" is not a whole number"},
        {1, 1, "PRAGMA application_id = 7", "not a method database"},
    };
    for (const auto& [written, count, damage, fault] : cases)
    {
        SCOPED_TRACE(std::to_string(written) + " " + std::to_string(count) + " " + damage);
        fs::remove(dir_.file("c.mdb"));
        write("c.mdb", written, count, damage);
        const std::string before = readText(dir_.file("c.mdb"));
        EXPECT_EQ(kelvane::methodDatabaseFault(dir_.file("c.mdb")), fault);
        EXPECT_EQ(readText(dir_.file("c.mdb")), before);
    }
    // A page that claims more cells than it holds, as a file written over by something else would.
    fs::remove(dir_.file("c.mdb"));
    write("c.mdb", 3, 3);
    const auto cellCount = std::stoul(sql("c.mdb", "SELECT (rootpage - 1) * (SELECT page_size FROM pragma_page_size) "
                                                   "+ 3 FROM sqlite_schema WHERE name = 'method_records'"));
    std::string bytes = readText(dir_.file("c.mdb"));
    ASSERT_GT(bytes.size(), cellCount + 1);
    ASSERT_TRUE(testkit::writeText(dir_.file("c.mdb"), bytes.replace(cellCount, 2, std::string{'\0', '\x09'})));
    const std::string damaged = kelvane::methodDatabaseFault(dir_.file("c.mdb"));
    EXPECT_EQ(damaged.rfind("the file is damaged (SQLite's integrity check: On tree page ", 0), 0u) << damaged;
    EXPECT_EQ(damaged.find('\n'), std::string::npos) << damaged;

    testkit::writeText(dir_.file("text.mdb"), "no database");
    EXPECT_EQ(kelvane::methodDatabaseFault(dir_.file("text.mdb")), "not a method database");
    EXPECT_EQ(kelvane::methodDatabaseFault(dir_.file("missing.mdb")), "not a method database");
}

} // namespace
