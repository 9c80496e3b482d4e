// The host's peak-database library: ".pdb" files as SQLite databases of peak records.
//
// A peak database holds the fixed-size peak records as BLOBs numbered 1 to n. It is written whole,
// in one transaction, by measuring, and read through AccessDBOpen / AccessDBGetRecord. A file is
// taken for a peak database only when it carries this host's application id and schema version,
// passes SQLite's quick check and has every record numbered 1 to n at its full size; anything
// else (another SQLite file, a damaged file, text) is refused and never changed.
#include "kelvane/PeakDatabase.h"

#include "kelvane/KelvaneHost.h"
#include "kelvane/Sqlite.h"
#include "platform/WinPath.h"

#include <climits>
#include <cstring>
#include <filesystem>

namespace kelvane
{
namespace detail
{
namespace
{
// "KPDB": marks the SQLite files that are peak databases of this host.
constexpr int kPeakDbApplicationId = 0x4B504442;
constexpr int kPeakDbVersion = 1;
// How long a call waits for another process that holds the database.
constexpr int kBusyTimeoutMs = 2000;

constexpr const char* kCreateSchema = "CREATE TABLE peak_records("
                                      "  number INTEGER PRIMARY KEY CHECK (number >= 1),"
                                      "  record BLOB NOT NULL);";

// A peak database of this host is one that also has its table and whose pages are sound.
FileKind classify(const Database& db)
{
    const FileKind kind = fileKind(db, kPeakDbApplicationId, kPeakDbVersion);
    if (kind != FileKind::kOurs)
        return kind;
    // The id alone is not enough: the table must be there with the columns this code uses, and
    // SQLite must find the file's pages sound, so a damaged file is refused when it opens rather
    // than part way through its records.
    Statement records(db, "SELECT number, record FROM peak_records LIMIT 0");
    Statement check(db, "PRAGMA quick_check(1)");
    if (!records || check.step() != SQLITE_ROW || check.text(0) != "ok")
        return FileKind::kForeign;
    return FileKind::kOurs;
}

// The number of records of a sound database: records numbered 1 to n, each a BLOB of the peak
// record's size. -1 when the records break that rule (missing numbers, another size, a count
// beyond what the handle block holds).
int soundRecordCount(const Database& db)
{
    Statement s(db, "SELECT count(*), coalesce(min(number), 1), coalesce(max(number), 0), "
                    "sum(typeof(record) <> 'blob' OR length(record) <> ?1) FROM peak_records");
    if (!s)
        return -1;
    sqlite3_bind_int64(s.get(), 1, static_cast<sqlite3_int64>(tag_PEAK_RECORD::kSize));
    if (s.step() != SQLITE_ROW)
        return -1;
    const sqlite3_int64 count = sqlite3_column_int64(s.get(), 0);
    const sqlite3_int64 first = sqlite3_column_int64(s.get(), 1);
    const sqlite3_int64 last = sqlite3_column_int64(s.get(), 2);
    const sqlite3_int64 wrong = sqlite3_column_int64(s.get(), 3);
    if (count > INT_MAX || first != 1 || last != count || wrong != 0)
        return -1;
    return static_cast<int>(count);
}

bool commit(const Database& db)
{
    if (db.exec("COMMIT"))
        return true;
    db.exec("ROLLBACK");
    return false;
}

bool replaceRecords(const Database& db, const std::vector<tag_PEAK_RECORD>& records, std::string& error)
{
    switch (classify(db))
    {
    case FileKind::kBlank:
        if (!makeOurs(db, kPeakDbApplicationId, kPeakDbVersion, kCreateSchema))
            return false;
        break;
    case FileKind::kOurs:
        if (!db.exec("DELETE FROM peak_records"))
            return false;
        break;
    case FileKind::kForeign:
        error = "not a peak database of this host";
        return false;
    }
    Statement insert(db, "INSERT INTO peak_records(number, record) VALUES (?, ?)");
    if (!insert)
        return false;
    sqlite3_int64 number = 0;
    for (const tag_PEAK_RECORD& record : records)
    {
        sqlite3_reset(insert.get());
        sqlite3_bind_int64(insert.get(), 1, ++number);
        sqlite3_bind_blob(insert.get(), 2, record.bytes, static_cast<int>(tag_PEAK_RECORD::kSize), SQLITE_STATIC);
        if (insert.step() != SQLITE_DONE)
            return db.failed();
    }
    return true;
}

// The open a handle block belongs to, or null.
OpenPeakDatabase* openOf(PeakDatabaseState& state, const tag_ACCESSDB_HANDLE& block)
{
    const auto found = state.opens.find(block.get<std::uint32_t>(kPeakDatabaseOpenMark));
    return found == state.opens.end() ? nullptr : &found->second;
}
} // namespace

PeakDatabaseState::PeakDatabaseState() = default;
PeakDatabaseState::~PeakDatabaseState() = default;
} // namespace detail

std::string peakDatabasePathFor(host::Host& host, const std::string& rawHostPath)
{
    tag_HXFILE form;
    if (!host.ConvertPathToHxFile(form, rawHostPath.c_str()))
        return {};
    const std::string directory = form.Directory().str() + "\\..\\PeakDB";
    if (!form.SetDirectory(directory.c_str()) || !form.SetExtension("pdb"))
        return {};
    // Room for the three texts of a path form and the separators between them.
    char path[tag_HXFILE::kDirectoryWidth + tag_HXFILE::kFileNameWidth + tag_HXFILE::kExtensionWidth + 2] = {};
    if (!host.ConvertHxFileToPath(path, static_cast<int>(sizeof path), form))
        return {};
    return path;
}

bool writePeakDatabase(const std::string& posixPath, const std::vector<tag_PEAK_RECORD>& records, std::string& error)
{
    namespace fs = std::filesystem;
    error.clear();
    std::error_code ec;
    const fs::path folder = fs::path(posixPath).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, ec) && !fs::create_directories(folder, ec))
    {
        error = posixPath + ": its folder cannot be created: " + ec.message();
        return false;
    }
    // Peaks are never written through a symbolic link planted under the database's name.
    if (fs::is_symlink(posixPath, ec))
    {
        error = posixPath + ": is a symbolic link; peaks are not written through one";
        return false;
    }
    const bool existed = fs::exists(posixPath, ec);
    bool written = false;
    {
        detail::Database db(posixPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, detail::kBusyTimeoutMs);
        // BEGIN IMMEDIATE takes the write lock at once, so a locked file fails before any change.
        if (db && db.exec("BEGIN IMMEDIATE"))
        {
            written = detail::replaceRecords(db, records, error) && detail::commit(db);
            if (!written)
                db.exec("ROLLBACK");
        }
        if (!written && error.empty())
            error = db.message().empty() ? "cannot be written" : db.message();
    }
    if (!written)
    {
        error = posixPath + ": " + error;
        if (!existed)
            fs::remove(posixPath, ec);
    }
    return written;
}

int KelvaneHost::AccessDBOpen(const tag_HXFILE& name, int mode, int, tag_ACCESSDB_HANDLE& database, int)
{
    // The count reads 0 until the open has succeeded, so a failed open never reports records.
    database.SetRecordCount(0);
    try
    {
        // A block opened again before it was closed gives up its earlier open.
        if (const auto earlier = database.get<std::uint32_t>(kPeakDatabaseOpenMark); earlier != 0)
            peakDatabases_->opens.erase(earlier);
        database.set<std::uint32_t>(kPeakDatabaseOpenMark, 0);
        // Only reading is offered: peak databases are written by measuring, whole.
        if (mode != ACCESSDB_MODE_READ)
            return -1;
        char path[1024] = {};
        if (!ConvertHxFileToPath(path, sizeof path, name) || path[0] == '\0')
            return -1;
        // Read-only, so a missing file is an error rather than a new empty database.
        auto db = std::make_unique<detail::Database>(platform::toPosixPath(path), SQLITE_OPEN_READONLY,
                                                     detail::kBusyTimeoutMs);
        if (!*db || detail::classify(*db) != detail::FileKind::kOurs)
            return -1;
        const int count = detail::soundRecordCount(*db);
        if (count < 0)
            return -1;
        detail::PeakDatabaseState& state = *peakDatabases_;
        do
            ++state.lastMark;
        while (state.lastMark == 0 || state.opens.count(state.lastMark));
        state.opens[state.lastMark] = detail::OpenPeakDatabase{std::move(db), count};
        database.set<std::uint32_t>(kPeakDatabaseOpenMark, state.lastMark);
        database.SetRecordCount(count);
        return 0;
    }
    catch (...)
    {
        database.SetRecordCount(0);
        return -1;
    }
}

int KelvaneHost::AccessDBGetRecord(tag_ACCESSDB_HANDLE& database, int index, tag_PEAK_RECORD& record)
{
    try
    {
        const detail::OpenPeakDatabase* open = detail::openOf(*peakDatabases_, database);
        if (!open || index < 1 || index > open->recordCount)
            return 0;
        // The file may have changed since it was opened: a record of another size is refused.
        return detail::readFixedBlob(*open->db, "SELECT record FROM peak_records WHERE number = ?", index,
                                     record.bytes, tag_PEAK_RECORD::kSize)
                   ? 1
                   : 0;
    }
    catch (...)
    {
        return 0;
    }
}

int KelvaneHost::AccessDBClose(tag_ACCESSDB_HANDLE& database, int)
{
    try
    {
        const auto mark = database.get<std::uint32_t>(kPeakDatabaseOpenMark);
        if (mark == 0 || peakDatabases_->opens.erase(mark) == 0)
            return -1;
        database.set<std::uint32_t>(kPeakDatabaseOpenMark, 0);
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}
} // namespace kelvane
