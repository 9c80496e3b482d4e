// The host's method-database library: quan method databases (".mdb") as SQLite files.
//
// A method database holds the fixed-size method records as BLOBs, numbered from 1 in record
// order, and the record count that the last writer handed over when it closed the database.
// Every change is one SQLite transaction (rollback journal, full sync), so a crash or a full disk
// leaves the database as it was before the change, with every record written earlier (in a folder
// the caller may not write, the journal is kept in memory, and a crash mid-commit is not covered). A file is
// taken for a method database only when it carries this host's application id and schema
// version; anything else (another SQLite file, a damaged file, text) is refused, never changed.
#include "kelvane/KelvaneHost.h"
#include "kelvane/Sqlite.h"
#include "platform/LastError.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

namespace kelvane
{
namespace detail
{
namespace
{
// "KMDB": marks the SQLite files that are method databases of this host.
constexpr int kMethodDbApplicationId = 0x4B4D4442;
constexpr int kMethodDbVersion = 1;
// How long a call waits for another process that holds the database.
constexpr int kBusyTimeoutMs = 2000;

constexpr const char* kCreateSchema = "CREATE TABLE method_header("
                                      "  id INTEGER PRIMARY KEY CHECK (id = 1),"
                                      "  record_count INTEGER NOT NULL);"
                                      "INSERT INTO method_header VALUES (1, 0);"
                                      "CREATE TABLE method_records("
                                      "  number INTEGER PRIMARY KEY CHECK (number >= 1),"
                                      "  record BLOB NOT NULL);";

// Whether the caller may write the database; one it may not (a write-protected file) is refused
// with the platform's access-denied error before anything is tried.
bool writable(const Database& db)
{
    if (!db.readOnly())
        return true;
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

FileKind classify(const Database& db)
{
    const FileKind kind = fileKind(db, kMethodDbApplicationId, kMethodDbVersion);
    if (kind != FileKind::kOurs)
        return kind;
    // The id alone is not enough: the tables must be there with the columns this code uses.
    Statement header(db, "SELECT record_count FROM method_header WHERE id = 1");
    Statement records(db, "SELECT number, record FROM method_records LIMIT 0");
    return header && records ? FileKind::kOurs : FileKind::kForeign;
}

// Opens an existing method database of this host; a null connection for anything else.
bool openOurs(const Database& db)
{
    return db && classify(db) == FileKind::kOurs;
}

// Commits, or rolls back when commit fails (a full disk shows here), so the database is always
// left outside a transaction.
bool commit(const Database& db)
{
    if (db.exec("COMMIT"))
        return true;
    db.exec("ROLLBACK");
    return false;
}

// The record count a reader may use: the count stored, but never more than the records from 1
// on that read as MethodGetRecord reads them, one by one, so a damaged file whose listing and
// lookups disagree still never counts a record that cannot be read.
int soundRecordCount(const Database& db)
{
    const sqlite3_int64 stored = queryInt(db, "SELECT record_count FROM method_header WHERE id = 1", 0);
    Statement s(db, "SELECT typeof(record) = 'blob' AND length(record) = ?1 FROM method_records WHERE number = ?2");
    if (!s)
        return 0;
    sqlite3_bind_int64(s.get(), 1, static_cast<sqlite3_int64>(tag_METHOD_RECORD::kSize));
    sqlite3_int64 sound = 0;
    while (sound < std::min<sqlite3_int64>(stored, 0x7fffffff))
    {
        sqlite3_reset(s.get());
        sqlite3_bind_int64(s.get(), 2, sound + 1);
        if (s.step() != SQLITE_ROW || sqlite3_column_int(s.get(), 0) != 1)
            break;
        ++sound;
    }
    return static_cast<int>(sound);
}

// Mode 8: makes a new database at path, or empties one of ours. A file that is not ours is
// refused and left as it was.
bool createOrEmpty(const std::string& path)
{
    std::error_code ec;
    const bool existed = std::filesystem::exists(path, ec);
    bool done = false;
    {
        Database db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, kBusyTimeoutMs);
        if (db && writable(db) && db.exec("BEGIN IMMEDIATE"))
        {
            switch (classify(db))
            {
            case FileKind::kBlank:
                done = makeOurs(db, kMethodDbApplicationId, kMethodDbVersion, kCreateSchema);
                break;
            case FileKind::kOurs:
                done = db.exec("DELETE FROM method_records; UPDATE method_header SET record_count = 0");
                break;
            case FileKind::kForeign:
                break;
            }
            done = done ? commit(db) : (db.exec("ROLLBACK"), false);
        }
    }
    if (!done && !existed)
        std::filesystem::remove(path, ec);
    return done;
}

bool storeRecordCount(const std::string& path, int count)
{
    Database db(path, SQLITE_OPEN_READWRITE, kBusyTimeoutMs);
    if (!openOurs(db) || !db.exec("BEGIN IMMEDIATE"))
        return false;
    Statement s(db, "UPDATE method_header SET record_count = ? WHERE id = 1");
    if (!s)
    {
        db.exec("ROLLBACK");
        return false;
    }
    sqlite3_bind_int64(s.get(), 1, std::max(count, 0));
    if (s.step() != SQLITE_DONE)
    {
        db.exec("ROLLBACK");
        return false;
    }
    return commit(db);
}
} // namespace
} // namespace detail

std::string KelvaneHost::methodDatabasePath(const tag_HXFILE& name)
{
    // The name the call gives wins; a name without a file selects the database that the system
    // list's "METHOD_DB" names, as the host's method calls have always done.
    tag_HXFILE chosen = name;
    if (chosen.FileName().IsEmpty() && chosen.Extension().IsEmpty())
    {
        if (!GetSystemListValue("SystemList", "METHOD_DB", 0, chosen))
            return {};
    }
    char path[1024] = {};
    if (!ConvertHxFileToPath(path, sizeof path, chosen) || path[0] == '\0')
        return {};
    return platform::toPosixPath(path);
}

int KelvaneHost::DmDB3Open(tag_METHOD_DB_DESCRIPTOR& descriptor, int mode)
{
    try
    {
        if (descriptor.Type() != tag_METHOD_DB_DESCRIPTOR::kTypeMethod)
            return -1;
        const std::string path = methodDatabasePath(descriptor.Name());
        if (path.empty())
            return -1;
        switch (mode)
        {
        case DMDB3_MODE_CREATE:
            if (!detail::createOrEmpty(path))
                return -1;
            break;
        case DMDB3_MODE_APPEND: {
            detail::Database db(path, SQLITE_OPEN_READWRITE, detail::kBusyTimeoutMs);
            if (!detail::openOurs(db) || !detail::writable(db))
                return -1;
            break;
        }
        case DMDB3_MODE_READ: {
            detail::Database db(path, SQLITE_OPEN_READWRITE, detail::kBusyTimeoutMs);
            if (!detail::openOurs(db))
                return -1;
            descriptor.SetRecordCount(detail::soundRecordCount(db));
            break;
        }
        default:
            return -1;
        }
        // A descriptor opened again before it was closed keeps its open; one opened for writing
        // stays so until it is closed, whatever is opened after.
        const auto mark = descriptor.get<std::uint32_t>(kOpenMark);
        const auto reopened = openMethodDatabases_.find(mark);
        if (mark != 0 && reopened != openMethodDatabases_.end() && reopened->second.path == path)
        {
            int& open = reopened->second.mode;
            if (open != DMDB3_MODE_CREATE && open != DMDB3_MODE_APPEND)
                open = mode;
            return 0;
        }
        if (mark != 0 && reopened != openMethodDatabases_.end())
            openMethodDatabases_.erase(reopened);
        do
            ++lastOpenMark_;
        while (lastOpenMark_ == 0 || openMethodDatabases_.count(lastOpenMark_));
        openMethodDatabases_[lastOpenMark_] = OpenMethodDatabase{path, mode};
        descriptor.set<std::uint32_t>(kOpenMark, lastOpenMark_);
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}

int KelvaneHost::DmDB3Close(tag_METHOD_DB_DESCRIPTOR& descriptor)
{
    try
    {
        const auto open = openMethodDatabases_.find(descriptor.get<std::uint32_t>(kOpenMark));
        if (open == openMethodDatabases_.end())
            return -1;
        const OpenMethodDatabase closed = std::move(open->second);
        openMethodDatabases_.erase(open);
        descriptor.set<std::uint32_t>(kOpenMark, 0);
        // The count is stored as handed over; readers are never given more than the records present.
        const bool written = closed.mode == DMDB3_MODE_CREATE || closed.mode == DMDB3_MODE_APPEND;
        if (written && !detail::storeRecordCount(closed.path, descriptor.RecordCount()))
            return -1;
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}

int KelvaneHost::GetDefaultMethod(tag_METHOD_RECORD& record)
{
    // A quan method entry for one compound that nobody has described yet. Fields not listed
    // are 0 or empty.
    record.clear();
    record.SetCompoundName("Compound");                       // compound name shown in quantify results
    record.SetFunctionNumber(1);                              // acquisition function that holds the compound
    record.SetMassText("");                                   // mass or transition to measure: none yet
    record.set<float>(tag_METHOD_RECORD::kFloat448, 1.0f);    // response factor
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt592, 1);  // integrate the compound's peak
    record.SetExpectedTime(1.0f);                             // minutes
    record.SetTimeWindow(0.5f);                               // minutes either side of the time
    record.set<std::uint8_t>(tag_METHOD_RECORD::kByte219, 1); // smoothing before integration
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt632, 2);  // smoothing passes
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt636, 3);  // smoothing window, scans
    record.set<double>(tag_METHOD_RECORD::kDouble672, 1.0);   // concentration scale
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt680, 2);  // a compound measured on its own
    // Peak detection settings (baseline, threshold, splitting, shoulder, noise): all off.
    for (std::size_t i = 0; i < 5; ++i)
        record.set<std::int32_t>(tag_METHOD_RECORD::kInts684 + 4 * i, 0);
    record.SetRangeStart(0.0f); // chromatogram range, minutes
    record.SetRangeEnd(2.0f);
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt1536, 1); // calibrate
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt1540, 1); // quantify
    return 1;
}

int KelvaneHost::MethodGetRecord(const tag_HXFILE& name, int index, tag_METHOD_RECORD& record)
{
    if (index < 1)
        return 0;
    try
    {
        const std::string path = methodDatabasePath(name);
        if (path.empty())
            return 0;
        detail::Database db(path, SQLITE_OPEN_READWRITE, detail::kBusyTimeoutMs);
        if (!detail::openOurs(db))
            return 0;
        // A record of another size is damaged or not ours: refused.
        return detail::readFixedBlob(db, "SELECT record FROM method_records WHERE number = ?", index, record.bytes,
                                     tag_METHOD_RECORD::kSize)
                   ? 1
                   : 0;
    }
    catch (...)
    {
        return 0;
    }
}

int KelvaneHost::MethodWriteRecord(const tag_HXFILE& name, int index, const tag_METHOD_RECORD& record, int, int)
{
    if (index < 1 && index != -1)
        return -1;
    try
    {
        const std::string path = methodDatabasePath(name);
        if (path.empty())
            return -1;
        detail::Database db(path, SQLITE_OPEN_READWRITE, detail::kBusyTimeoutMs);
        if (!detail::openOurs(db) || !detail::writable(db) || !db.exec("BEGIN IMMEDIATE"))
            return -1;
        sqlite3_int64 number = index;
        bool done = false;
        if (index == -1)
        {
            number = detail::queryInt(db, "SELECT coalesce(max(number), 0) + 1 FROM method_records", -1);
            detail::Statement s(db, "INSERT INTO method_records(number, record) VALUES (?, ?)");
            if (number >= 1 && number <= 0x7fffffff && s)
            {
                sqlite3_bind_int64(s.get(), 1, number);
                sqlite3_bind_blob(s.get(), 2, record.bytes, static_cast<int>(tag_METHOD_RECORD::kSize), SQLITE_STATIC);
                done = s.step() == SQLITE_DONE;
            }
        }
        else
        {
            detail::Statement s(db, "UPDATE method_records SET record = ? WHERE number = ?");
            if (s)
            {
                sqlite3_bind_blob(s.get(), 1, record.bytes, static_cast<int>(tag_METHOD_RECORD::kSize), SQLITE_STATIC);
                sqlite3_bind_int64(s.get(), 2, number);
                done = s.step() == SQLITE_DONE && sqlite3_changes(db.get()) == 1;
            }
        }
        if (!done)
        {
            db.exec("ROLLBACK");
            return -1;
        }
        return detail::commit(db) ? static_cast<int>(number) : -1;
    }
    catch (...)
    {
        return -1;
    }
}
} // namespace kelvane
