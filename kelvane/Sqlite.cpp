#include "kelvane/Sqlite.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::detail
{
namespace
{
bool deniedByTheSystem(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Whether the folder of an existing file refuses the caller new files, as it does the journal.
bool inReadOnlyFolder(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0 && deniedByTheSystem(errno);
}
} // namespace

Database::Database(const std::string& path, int flags, int busyMilliseconds)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    if (rc != SQLITE_OK)
    {
        message_ = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        accessDenied_ = raw && deniedByTheSystem(sqlite3_system_errno(raw));
        sqlite3_close(raw);
        return;
    }
    db_ = raw;
    sqlite3_busy_timeout(db_, busyMilliseconds);
    sqlite3_extended_result_codes(db_, 1);
    // The rollback journal is a file beside the database; where none can be made, the journal is
    // kept in memory. A failed statement or transaction still rolls back, but a crash or power
    // loss in the middle of a commit can leave the database half written, since no journal
    // survives to undo it. The alternative is refusing every write to such a file.
    if ((flags & SQLITE_OPEN_READWRITE) && !readOnly() && inReadOnlyFolder(path))
        exec("PRAGMA journal_mode = MEMORY");
}

Database::~Database()
{
    sqlite3_close(db_);
}

bool Database::readOnly() const
{
    return db_ && sqlite3_db_readonly(db_, "main") == 1;
}

bool Database::exec(const std::string& sql) const
{
    if (!db_)
        return false;
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK || failed();
}

bool Database::failed() const
{
    if (!db_)
        return false;
    message_ = sqlite3_errmsg(db_);
    const int code = sqlite3_errcode(db_) & 0xff;
    accessDenied_ = code == SQLITE_READONLY || code == SQLITE_PERM ||
                    (code == SQLITE_CANTOPEN && deniedByTheSystem(sqlite3_system_errno(db_)));
    return false;
}

Statement::Statement(const Database& db, const std::string& sql)
{
    if (db &&
        sqlite3_prepare_v2(db.get(), sql.c_str(), static_cast<int>(sql.size()), &statement_, nullptr) != SQLITE_OK)
    {
        db.failed();
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(statement_);
}

int Statement::step() const
{
    return statement_ ? sqlite3_step(statement_) : SQLITE_MISUSE;
}

void Statement::bindText(int index, std::string_view text) const
{
    // A null pointer would bind NULL; an empty text stays an empty text.
    sqlite3_bind_text(statement_, index, text.data() ? text.data() : "", static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

std::string Statement::text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}

sqlite3_int64 queryInt(const Database& db, const std::string& sql, sqlite3_int64 fallback)
{
    Statement s(db, sql);
    if (s.step() != SQLITE_ROW || sqlite3_column_type(s.get(), 0) != SQLITE_INTEGER)
        return fallback;
    return sqlite3_column_int64(s.get(), 0);
}

bool readFixedBlob(const Database& db, const char* sql, sqlite3_int64 number, void* out, std::size_t size)
{
    Statement s(db, sql);
    if (!s)
        return false;
    sqlite3_bind_int64(s.get(), 1, number);
    if (s.step() != SQLITE_ROW || sqlite3_column_type(s.get(), 0) != SQLITE_BLOB)
        return false;
    const void* blob = sqlite3_column_blob(s.get(), 0);
    if (!blob || static_cast<std::size_t>(sqlite3_column_bytes(s.get(), 0)) != size)
        return false;
    std::memcpy(out, blob, size);
    return true;
}

FileKind fileKind(const Database& db, int applicationId, int version)
{
    const sqlite3_int64 application = queryInt(db, "PRAGMA application_id", -1);
    const sqlite3_int64 stored = queryInt(db, "PRAGMA user_version", -1);
    const sqlite3_int64 objects = queryInt(db, "SELECT count(*) FROM sqlite_schema", -1);
    if (application == 0 && stored == 0 && objects == 0)
        return FileKind::kBlank;
    return application == applicationId && stored == version ? FileKind::kOurs : FileKind::kForeign;
}

bool makeOurs(const Database& db, int applicationId, int version, const char* schema)
{
    const std::string pragmas = "PRAGMA application_id = " + std::to_string(applicationId) +
                                "; PRAGMA user_version = " + std::to_string(version) + ";";
    return db.exec(pragmas) && db.exec(schema);
}
} // namespace kelvane::detail
