// The SQLite connection and statement that the stand-in's database files (sample-list databases
// and method databases) share: owners that close what they opened, and how a failure is told.
#pragma once

#include <cstddef>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace kelvane::detail
{
/// One connection, closed when destroyed. SQLite opens a file the caller may not write read-only,
/// so a write to it fails (SQLITE_READONLY) before anything changes. A writable database in a
/// folder the caller may not write keeps its rollback journal in memory, since the journal file
/// cannot be made beside it.
class Database
{
  public:
    /// Opens path with SQLite's open flags; a call waits up to busyMilliseconds for another
    /// process's lock. A failed open is false, with the reason in message().
    Database(const std::string& path, int flags, int busyMilliseconds);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* get() const
    {
        return db_;
    }
    explicit operator bool() const
    {
        return db_ != nullptr;
    }
    /// Whether the connection may not write: the file or its file system is write-protected.
    bool readOnly() const;
    /// Runs sql (one or more statements); false, with the failure noted, when one fails.
    bool exec(const std::string& sql) const;
    /// Notes the failure SQLite reports now, for message() and accessDenied(); returns false.
    bool failed() const;
    /// The reason of the last failure noted.
    const std::string& message() const
    {
        return message_;
    }
    /// Whether the last failure noted was a write the operating system does not allow.
    bool accessDenied() const
    {
        return accessDenied_;
    }

  private:
    sqlite3* db_ = nullptr;
    mutable std::string message_;
    mutable bool accessDenied_ = false;
};

/// One prepared statement, finalised when destroyed; false when it did not prepare (the failure is
/// noted on the connection).
class Statement
{
  public:
    Statement(const Database& db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const
    {
        return statement_;
    }
    explicit operator bool() const
    {
        return statement_ != nullptr;
    }
    /// SQLITE_ROW, SQLITE_DONE or an error code (SQLITE_MISUSE for a statement not prepared).
    int step() const;
    /// Binds a copy of text to parameter index (from 1).
    void bindText(int index, std::string_view text) const;
    /// The text of column (from 0) of the current row; NULL reads as empty.
    std::string text(int column) const;

  private:
    sqlite3_stmt* statement_ = nullptr;
};

/// The single integer sql yields, or fallback when it yields none.
sqlite3_int64 queryInt(const Database& db, const std::string& sql, sqlite3_int64 fallback);

/// Runs sql, whose one parameter is bound to number, and copies the BLOB it yields into out when
/// it is exactly size bytes. False, out untouched, for no row, another type or another size: a
/// record is never read past or padded.
bool readFixedBlob(const Database& db, const char* sql, sqlite3_int64 number, void* out, std::size_t size);

/// What an SQLite file is to one of this host's kinds of database.
enum class FileKind
{
    kOurs,    // it carries the kind's application id and schema version
    kBlank,   // an empty file or a database with nothing in it: may become one
    kForeign, // anything else, damaged files included
};

/// The kind db is, told by its application id and schema version; a caller that finds kOurs
/// still checks that the tables it uses are there.
FileKind fileKind(const Database& db, int applicationId, int version);

/// Makes a blank database one of a kind: its application id, its schema version and its tables.
bool makeOurs(const Database& db, int applicationId, int version, const char* schema);
} // namespace kelvane::detail
