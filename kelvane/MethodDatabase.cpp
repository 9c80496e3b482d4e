// The host's method-database library: quan method databases (".mdb") as SQLite files.
//
// A method database holds the fixed-size method records as BLOBs, numbered from 1 in record
// order, and the record count that the last writer handed over when it closed the database.
// Every change is one SQLite transaction (rollback journal, full sync), so a crash or a full disk
// leaves the database as it was before the change, with every record written earlier (in a folder
// the caller may not write, the journal is kept in memory, and a crash mid-commit is not covered). A file is
// taken for a method database only when it carries this host's application id and schema
// version; anything else (another SQLite file, a damaged file, text) is refused, never changed.
//
// A database opened to be made (DMDB3_MODE_CREATE) is built in a temporary in its folder, named as
// the platform names temporaries (".NAME.tmpPID_COUNTER_ATTEMPT", which nobody takes for a
// method), and renamed over its name when it is closed: other processes, and a process killed
// half-way, see the old database or the whole new one. Until then every call of this host that
// names the database (writes, reads, opens through other descriptors) reaches the temporary. A
// temporary whose process died is removed at the next make of the same name. Where the folder
// takes no new file, the database is emptied in place instead, which a crash can leave half made.
// A symbolic link under a database's name is refused for writing, never followed.
#include "kelvane/MethodDatabase.h"

#include "kelvane/KelvaneHost.h"
#include "kelvane/Sqlite.h"
#include "platform/LastError.h"
#include "platform/Temporaries.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
// Opens of a database to be written: a symbolic link under its name is refused, not followed to
// whatever it points at. SQLite refuses a link anywhere in the path, so the host resolves the
// folder first (resolvedFolder).
constexpr int kWriteFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW;
// Opens to read; read-write all the same, so that the journal a killed writer left is rolled back.
constexpr int kReadFlags = SQLITE_OPEN_READWRITE;
// The permissions of a new database file, those SQLite gives the files it makes (less the umask).
constexpr mode_t kNewFileMode = 0644;

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

// A temporary keeps its rollback journal in memory: a process killed while writing one would
// otherwise leave a journal file beside it that no sweep removes. The temporary itself is thrown
// away then, so the journal has nothing to save.
void journalInMemory(const Database& db, bool inTemporary)
{
    if (inTemporary)
        db.exec("PRAGMA journal_mode = MEMORY");
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

// Makes a new database at path, or empties one of ours, in one transaction. A file that is not
// ours is refused and left as it was.
bool createOrEmpty(const std::string& path, bool inTemporary)
{
    struct stat status;
    const bool existed = ::lstat(path.c_str(), &status) == 0;
    bool done = false;
    {
        Database db(path, kWriteFlags | SQLITE_OPEN_CREATE, kBusyTimeoutMs);
        journalInMemory(db, inTemporary);
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
        ::unlink(path.c_str());
    return done;
}

bool storeRecordCount(const std::string& path, int count, bool inTemporary)
{
    Database db(path, kWriteFlags, kBusyTimeoutMs);
    journalInMemory(db, inTemporary);
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

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// path with its folder resolved through symbolic links, so that SQLITE_OPEN_NOFOLLOW refuses only
// a link under the database's own name. Kept as it is when the folder does not resolve (a missing
// folder: the open fails anyway).
std::string resolvedFolder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return path;
    char* folder = ::realpath(folderOf(path).c_str(), nullptr);
    if (!folder)
        return path;
    std::string resolved = folder;
    std::free(folder);
    if (resolved == "/")
        resolved.clear();
    return resolved + path.substr(slash);
}

// A file removed when the owner goes, unless it was kept.
class TemporaryFile
{
  public:
    explicit TemporaryFile(std::string path = {}) : path_(std::move(path))
    {
    }
    ~TemporaryFile()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const
    {
        return path_;
    }
    // Removes the file owned so far and owns path instead (nothing when empty).
    void reset(std::string path = {})
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
        path_ = std::move(path);
    }
    void keep()
    {
        path_.clear();
    }

  private:
    std::string path_;
};

// The databases being made (opened with DMDB3_MODE_CREATE and not yet closed), by host and open
// mark: the temporary each is built in. The host class holds only the opens, so the temporaries
// are listed here; like the host, the list is used from one thread at a time. A temporary still
// listed when the process ends (a descriptor never closed) is removed then.
class Creations
{
  public:
    Creations() = default;
    Creations(const Creations&) = delete;
    Creations& operator=(const Creations&) = delete;
    ~Creations()
    {
        for (const auto& listed : temporaries_)
            ::unlink(listed.second.c_str());
    }

    // The temporary of the open, or null when the open makes no database.
    const std::string* find(const KelvaneHost* host, std::uint32_t mark) const
    {
        const auto found = temporaries_.find({host, mark});
        return found == temporaries_.end() ? nullptr : &found->second;
    }
    // Lists the open's temporary; one listed for the same open before is thrown away.
    void add(const KelvaneHost* host, std::uint32_t mark, std::string temporary)
    {
        const auto [listed, added] = temporaries_.try_emplace(std::make_pair(host, mark), std::move(temporary));
        if (!added)
        {
            ::unlink(listed->second.c_str());
            listed->second = std::move(temporary);
        }
    }
    // Takes the open's temporary off the list; empty when the open made no database.
    std::string take(const KelvaneHost* host, std::uint32_t mark)
    {
        const auto found = temporaries_.find({host, mark});
        if (found == temporaries_.end())
            return {};
        std::string temporary = std::move(found->second);
        temporaries_.erase(found);
        return temporary;
    }

  private:
    std::map<std::pair<const KelvaneHost*, std::uint32_t>, std::string> temporaries_;
};

Creations& creations()
{
    static Creations list;
    return list;
}

// The mark of the open of host (opens: its open databases by mark) that is making the database
// at path; 0 when none is.
template <class Opens> std::uint32_t makerOf(const KelvaneHost* host, const Opens& opens, const std::string& path)
{
    for (const auto& [mark, open] : opens)
        if (open.path == path && creations().find(host, mark))
            return mark;
    return 0;
}

// The file that host's calls naming path reach: the temporary of the database it is making
// there, else path itself.
template <class Opens> std::string reachedFile(const KelvaneHost* host, const Opens& opens, const std::string& path)
{
    const std::uint32_t maker = makerOf(host, opens, path);
    return maker != 0 ? *creations().find(host, maker) : path;
}

bool deniedByTheSystem(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// How mode 8 began on a database that is not being made yet.
enum class Begun
{
    kRefused,     // nothing changed
    kInPlace,     // the folder takes no new file: the database at path was emptied (or made) there
    kInTemporary, // a new, empty database in the temporary
};

// Checks that what is at path may be replaced (nothing, an empty file, or one of our databases
// the caller may write: not a symbolic link, another application's file or a folder) and makes
// the new database in a temporary beside it, with the old file's owner, group and permissions.
Begun beginCreation(const std::string& path, TemporaryFile& made)
{
    struct stat old;
    const bool existed = ::lstat(path.c_str(), &old) == 0;
    if (!existed && errno != ENOENT)
        return Begun::kRefused;
    if (existed)
    {
        if (!S_ISREG(old.st_mode))
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return Begun::kRefused;
        }
        Database db(path, kWriteFlags, kBusyTimeoutMs);
        if (!db || !writable(db) || classify(db) == FileKind::kForeign)
            return Begun::kRefused;
    }

    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string folder = path.substr(0, path.size() - name.size());
    if (const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0)
    {
        platform::removeDeadTemporaries(fd, name);
        ::close(fd);
    }
    int fd = -1;
    std::string temporary;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt)
    {
        temporary = folder + platform::temporaryName(name, attempt);
        fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return deniedByTheSystem(errno) && createOrEmpty(path, false) ? Begun::kInPlace : Begun::kRefused;
    made.reset(temporary);
    // The owner first: changing it clears the set-id bits, which the mode then puts back. An owner
    // that cannot be kept (another user's file the caller may write) keeps the file in place.
    struct stat fresh;
    const bool kept =
        !existed ||
        (::fstat(fd, &fresh) == 0 &&
         ((fresh.st_uid == old.st_uid && fresh.st_gid == old.st_gid) || ::fchown(fd, old.st_uid, old.st_gid) == 0) &&
         ::fchmod(fd, old.st_mode & 07777) == 0);
    ::close(fd);
    if (!kept)
    {
        made.reset();
        return createOrEmpty(path, false) ? Begun::kInPlace : Begun::kRefused;
    }
    return createOrEmpty(temporary, true) ? Begun::kInTemporary : Begun::kRefused;
}

// Puts the finished temporary in the place of path: flushed to disk, renamed over the name, and
// the folder flushed, so that a crash leaves the old database or the whole new one. Something
// other than a file that appeared under the name meanwhile (a link, a folder) is not replaced.
bool publish(const std::string& temporary, const std::string& path)
{
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    struct stat there;
    if (!flushed || (::lstat(path.c_str(), &there) == 0 && !S_ISREG(there.st_mode)) ||
        ::rename(temporary.c_str(), path.c_str()) != 0)
        return false;
    // The rename is done and cannot be undone; a folder that will not flush is not reported.
    if (const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0)
    {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

std::string counted(sqlite3_int64 n)
{
    return std::to_string(n) + (n == 1 ? " record" : " records");
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
    // One spelling of every folder, so that the opens of one database always meet.
    return detail::resolvedFolder(platform::toPosixPath(path));
}

int KelvaneHost::DmDB3Open(tag_METHOD_DB_DESCRIPTOR& descriptor, int mode)
{
    try
    {
        if (descriptor.Type() != tag_METHOD_DB_DESCRIPTOR::kTypeMethod)
            return -1;
        if (mode != DMDB3_MODE_CREATE && mode != DMDB3_MODE_APPEND && mode != DMDB3_MODE_READ)
            return -1;
        const std::string path = methodDatabasePath(descriptor.Name());
        if (path.empty())
            return -1;
        // A descriptor opened again before it was closed keeps its open.
        const auto mark = descriptor.get<std::uint32_t>(kOpenMark);
        const auto open = openMethodDatabases_.find(mark);
        const bool reopening = mark != 0 && open != openMethodDatabases_.end() && open->second.path == path;
        const std::uint32_t maker = detail::makerOf(this, openMethodDatabases_, path);
        const std::string file = maker != 0 ? *detail::creations().find(this, maker) : path;
        detail::TemporaryFile made;
        if (mode == DMDB3_MODE_CREATE)
        {
            // One maker at a time: the database another descriptor is making is not begun again.
            if (maker != 0 && !(reopening && maker == mark))
            {
                SetLastError(ERROR_SHARING_VIOLATION);
                return -1;
            }
            if (maker != 0 ? !detail::createOrEmpty(file, true)
                           : detail::beginCreation(path, made) == detail::Begun::kRefused)
                return -1;
        }
        else
        {
            detail::Database db(file, mode == DMDB3_MODE_APPEND ? detail::kWriteFlags : detail::kReadFlags,
                                detail::kBusyTimeoutMs);
            if (!detail::openOurs(db) || (mode == DMDB3_MODE_APPEND && !detail::writable(db)))
                return -1;
            if (mode == DMDB3_MODE_READ)
                descriptor.SetRecordCount(detail::soundRecordCount(db));
        }

        std::uint32_t opened = mark;
        if (!reopening)
        {
            do
                ++lastOpenMark_;
            while (lastOpenMark_ == 0 || openMethodDatabases_.count(lastOpenMark_));
            opened = lastOpenMark_;
            // A database listed under a mark no open holds was left by a host destroyed before it
            // closed it (a new host may be at the same address): thrown away.
            const detail::TemporaryFile stale(detail::creations().take(this, opened));
        }
        // Listed before the open, so that no open of it is ever without its temporary.
        if (!made.path().empty())
            detail::creations().add(this, opened, made.path());
        if (reopening)
        {
            // One opened for writing stays so until it is closed; one that begins a database makes it.
            int& kept = open->second.mode;
            if (mode == DMDB3_MODE_CREATE || (kept != DMDB3_MODE_CREATE && kept != DMDB3_MODE_APPEND))
                kept = mode;
        }
        else
        {
            if (mark != 0 && open != openMethodDatabases_.end())
            {
                // The descriptor now names another database: its open of the last one ends, and
                // what it was making there is thrown away.
                const detail::TemporaryFile abandoned(detail::creations().take(this, mark));
                openMethodDatabases_.erase(open);
            }
            openMethodDatabases_[opened] = OpenMethodDatabase{path, mode};
            descriptor.set<std::uint32_t>(kOpenMark, opened);
        }
        made.keep();
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
        const auto mark = descriptor.get<std::uint32_t>(kOpenMark);
        const auto open = openMethodDatabases_.find(mark);
        if (open == openMethodDatabases_.end())
            return -1;
        const OpenMethodDatabase closed = std::move(open->second);
        openMethodDatabases_.erase(open);
        descriptor.set<std::uint32_t>(kOpenMark, 0);
        // The count is stored as handed over; readers are never given more than the records present.
        const int count = descriptor.RecordCount();
        detail::TemporaryFile made(detail::creations().take(this, mark));
        if (!made.path().empty())
        {
            // The database made goes in place whole or not at all; one whose write failed is gone
            // already, so it fails here.
            if (!detail::storeRecordCount(made.path(), count, true) || !detail::publish(made.path(), closed.path))
                return -1;
            made.keep();
            return 0;
        }
        // An open for writing through another descriptor than the maker's writes what is being made.
        const std::string file = detail::reachedFile(this, openMethodDatabases_, closed.path);
        const bool written = closed.mode == DMDB3_MODE_CREATE || closed.mode == DMDB3_MODE_APPEND;
        if (written && !detail::storeRecordCount(file, count, file != closed.path))
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
        detail::Database db(detail::reachedFile(this, openMethodDatabases_, path), detail::kReadFlags,
                            detail::kBusyTimeoutMs);
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
        const std::string file = detail::reachedFile(this, openMethodDatabases_, path);
        const bool inTemporary = file != path;
        // A database being made that fails a write is thrown away, so that closing it cannot put
        // it in place half made; rewriting a record that is not there changes nothing and is only
        // refused.
        const auto fail = [&] {
            if (inTemporary)
                ::unlink(file.c_str());
            return -1;
        };
        detail::Database db(file, detail::kWriteFlags, detail::kBusyTimeoutMs);
        detail::journalInMemory(db, inTemporary);
        if (!detail::openOurs(db) || !detail::writable(db) || !db.exec("BEGIN IMMEDIATE"))
            return fail();
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
                done = s.step() == SQLITE_DONE;
                if (done && sqlite3_changes(db.get()) != 1)
                {
                    db.exec("ROLLBACK");
                    return -1;
                }
            }
        }
        if (!done)
        {
            db.exec("ROLLBACK");
            return fail();
        }
        return detail::commit(db) ? static_cast<int>(number) : fail();
    }
    catch (...)
    {
        return -1;
    }
}

std::string methodDatabaseFault(const std::string& posixPath)
{
    using detail::Statement;
    // Read-only: the check changes nothing, not even by rolling back a journal left beside the file.
    const detail::Database db(posixPath, SQLITE_OPEN_READONLY, detail::kBusyTimeoutMs);
    if (!detail::openOurs(db))
        return "not a method database";
    // SQLite's own check first: a damaged page can hide records or show ones that are not there.
    {
        Statement check(db, "PRAGMA integrity_check(1)");
        std::string verdict = check.step() == SQLITE_ROW ? check.text(0) : std::string(sqlite3_errmsg(db.get()));
        // The first fault, without the line that names the schema ("main") it was found in.
        constexpr std::string_view kSchemaLine = "*** in database main ***\n";
        if (verdict.rfind(kSchemaLine, 0) == 0)
            verdict.erase(0, kSchemaLine.size());
        if (verdict != "ok")
            return "the file is damaged (SQLite's integrity check: " + verdict + ")";
    }

    Statement header(db, "SELECT record_count FROM method_header WHERE id = 1");
    if (header.step() != SQLITE_ROW)
        return "the header holds no record count";
    if (sqlite3_column_type(header.get(), 0) != SQLITE_INTEGER)
        return "the header's record count \"" + header.text(0) + "\" is not a whole number";
    const sqlite3_int64 count = sqlite3_column_int64(header.get(), 0);
    if (count < 0)
        return "the header counts " + detail::counted(count) + ", below 0";

    Statement records(db, "SELECT number, typeof(record), length(record) FROM method_records ORDER BY number");
    sqlite3_int64 stored = 0;
    int step = SQLITE_ROW;
    for (; (step = records.step()) == SQLITE_ROW; ++stored)
    {
        const sqlite3_int64 number = sqlite3_column_int64(records.get(), 0);
        const std::string record = "record " + std::to_string(number);
        if (number < 1)
            return "a record is numbered " + std::to_string(number) + "; records are numbered from 1";
        if (number != stored + 1)
            return "record " + std::to_string(stored + 1) + " is missing, but " + record + " is stored";
        const std::string type = records.text(1);
        const sqlite3_int64 bytes = sqlite3_column_int64(records.get(), 2);
        const std::string size = std::to_string(tag_METHOD_RECORD::kSize);
        if (type != "blob")
            return record + " holds " + type + ", not a " + size + "-byte method record";
        if (bytes != static_cast<sqlite3_int64>(tag_METHOD_RECORD::kSize))
            return record + " is " + std::to_string(bytes) + " bytes, not " + size;
    }
    if (step != SQLITE_DONE)
        return std::string("the records cannot be read (") + sqlite3_errmsg(db.get()) + ")";
    if (count < stored)
        return "the header counts " + detail::counted(count) + " but " + std::to_string(stored) +
               (stored == 1 ? " is stored" : " are stored");
    return {};
}
} // namespace kelvane
