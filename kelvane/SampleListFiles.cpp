// Sample-list files of the host stand-in (CSV and SQLite), and the host's sample-list operations
// that read a list into the host's in-memory form and write it back.
#include "kelvane/SampleListFiles.h"

#include "kelvane/FormattedSampleList.h"
#include "kelvane/KelvaneHost.h"
#include "platform/AtomicFile.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sqlite3.h>
#include <sstream>

namespace kelvane
{
namespace detail
{
// Owns an SQLite connection; closing also finalises nothing, so every statement must be gone.
struct DatabaseCloser
{
    void operator()(sqlite3* db) const
    {
        sqlite3_close(db);
    }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

struct StatementFinaliser
{
    void operator()(sqlite3_stmt* statement) const
    {
        sqlite3_finalize(statement);
    }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinaliser>;

// An SQL identifier in double quotes, so any column name a file brings (blanks, quotes, keywords)
// is taken as a name.
std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (const char c : name)
    {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

Statement prepare(sqlite3* db, const std::string& sql, std::string& error)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
    {
        error = sqlite3_errmsg(db);
        sqlite3_finalize(raw);
        return nullptr;
    }
    return Statement(raw);
}

bool execute(sqlite3* db, const std::string& sql, std::string& error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

Database openDatabase(const std::string& path, int flags, std::string& error)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK)
    {
        error = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), kDatabaseBusyMilliseconds);
    return db;
}

std::string columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column))) : std::string();
}

// Whether the database has the sample table (names compare without regard to case, as SQLite's).
bool hasSampleTable(sqlite3* db, bool& found, std::string& error)
{
    Statement query =
        prepare(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE", error);
    if (!query)
        return false;
    sqlite3_bind_text(query.get(), 1, kSampleListTable, -1, SQLITE_STATIC);
    const int rc = sqlite3_step(query.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
    {
        error = sqlite3_errmsg(db);
        return false;
    }
    found = rc == SQLITE_ROW;
    return true;
}

bool readDatabase(const std::string& path, CsvTable& table, std::string& error)
{
    // Read-only, so a missing file is an error rather than a new empty database.
    Database db = openDatabase(path, SQLITE_OPEN_READONLY, error);
    if (!db)
        return false;
    bool found = false;
    if (!hasSampleTable(db.get(), found, error))
        return false;
    if (!found)
    {
        error = std::string("no table ") + kSampleListTable;
        return false;
    }
    Statement rows = prepare(db.get(), "SELECT * FROM " + quoted(kSampleListTable) + " ORDER BY rowid", error);
    if (!rows)
        return false;
    const int columns = sqlite3_column_count(rows.get());
    for (int c = 0; c < columns; ++c)
        table.header.emplace_back(sqlite3_column_name(rows.get(), c));
    for (;;)
    {
        const int rc = sqlite3_step(rows.get());
        if (rc == SQLITE_DONE)
            return true;
        if (rc != SQLITE_ROW)
        {
            error = sqlite3_errmsg(db.get());
            return false;
        }
        std::vector<std::string>& record = table.rows.emplace_back();
        record.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c)
            record.push_back(columnText(rows.get(), c));
    }
}

// Makes the table's columns match the header: creates the table, or adds the columns it lacks.
bool prepareTable(sqlite3* db, const CsvTable& table, std::string& error)
{
    bool found = false;
    if (!hasSampleTable(db, found, error))
        return false;
    if (!found)
    {
        std::string sql = "CREATE TABLE " + quoted(kSampleListTable) + " (";
        for (size_t c = 0; c < table.header.size(); ++c)
            sql += (c ? ", " : "") + quoted(table.header[c]) + " TEXT";
        return execute(db, sql + ")", error);
    }
    Statement info = prepare(db, "PRAGMA table_info(" + quoted(kSampleListTable) + ")", error);
    if (!info)
        return false;
    std::vector<std::string> existing;
    while (sqlite3_step(info.get()) == SQLITE_ROW)
        existing.push_back(lower(columnText(info.get(), 1)));
    info.reset();
    for (const auto& name : table.header)
    {
        bool have = false;
        for (const auto& column : existing)
            have = have || column == lower(name);
        if (have)
            continue;
        if (!execute(db, "ALTER TABLE " + quoted(kSampleListTable) + " ADD COLUMN " + quoted(name) + " TEXT", error))
            return false;
        existing.push_back(lower(name));
    }
    return true;
}

bool fillTable(sqlite3* db, const CsvTable& table, std::string& error)
{
    if (!prepareTable(db, table, error) || !execute(db, "DELETE FROM " + quoted(kSampleListTable), error))
        return false;
    std::string sql = "INSERT INTO " + quoted(kSampleListTable) + " (";
    std::string values;
    for (size_t c = 0; c < table.header.size(); ++c)
    {
        sql += (c ? ", " : "") + quoted(table.header[c]);
        values += c ? ", ?" : "?";
    }
    Statement insert = prepare(db, sql + ") VALUES (" + values + ")", error);
    if (!insert)
        return false;
    for (const auto& record : table.rows)
    {
        sqlite3_reset(insert.get());
        for (size_t c = 0; c < table.header.size(); ++c)
        {
            const std::string& text = c < record.size() ? record[c] : std::string();
            sqlite3_bind_text(insert.get(), static_cast<int>(c) + 1, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
        }
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
        {
            error = sqlite3_errmsg(db);
            return false;
        }
    }
    return true;
}

bool writeDatabase(const std::string& path, const CsvTable& table, std::string& error)
{
    if (table.header.empty())
    {
        error = "a sample list needs at least one column";
        return false;
    }
    std::error_code ignored;
    const bool existed = std::filesystem::exists(path, ignored);
    bool written = false;
    {
        Database db = openDatabase(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
        // BEGIN IMMEDIATE takes the write lock at once, so a locked file fails here, before any change.
        if (db && execute(db.get(), "BEGIN IMMEDIATE", error))
        {
            written = fillTable(db.get(), table, error) && execute(db.get(), "COMMIT", error);
            if (!written)
            {
                std::string ignoredError;
                execute(db.get(), "ROLLBACK", ignoredError);
            }
        }
    }
    if (!written && !existed)
        std::filesystem::remove(path, ignored);
    return written;
}

bool readCsvFile(const std::string& path, CsvTable& table, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
    {
        error = "read error";
        return false;
    }
    return parseCsv(text.str(), table, error);
}

SampleListFormat formatOfKind(host::SampleListKind kind)
{
    return kind == host::SampleListKind::kDatabase ? SampleListFormat::kDatabase : SampleListFormat::kCsv;
}
} // namespace detail

SampleListFormat sampleListFormatOf(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    return detail::lower(extension) == ".spl" ? SampleListFormat::kDatabase : SampleListFormat::kCsv;
}

bool readSampleListTable(const std::string& posixPath, SampleListFormat format, CsvTable& table, std::string& error)
{
    table = CsvTable();
    std::error_code ec;
    bool ok = false;
    if (std::filesystem::is_directory(posixPath, ec))
        error = "is a directory";
    else if (!std::filesystem::exists(posixPath, ec))
        error = "no such file";
    else
        ok = format == SampleListFormat::kDatabase ? detail::readDatabase(posixPath, table, error)
                                                   : detail::readCsvFile(posixPath, table, error);
    if (!ok)
    {
        table = CsvTable();
        error = posixPath + ": " + error;
    }
    return ok;
}

bool writeSampleListTable(const std::string& posixPath, SampleListFormat format, const CsvTable& table,
                          std::string& error)
{
    bool ok = false;
    if (format == SampleListFormat::kDatabase)
        ok = detail::writeDatabase(posixPath, table, error);
    else if (table.header.empty())
        error = "a sample list needs at least one column";
    else if (!(ok = platform::writeFileAtomically(posixPath, formatCsv(table))))
        error = "cannot be written";
    if (!ok)
        error = posixPath + ": " + error;
    return ok;
}

int KelvaneHost::ReadSampleList(CSampleListMem& list, host::SampleListKind kind, const char* path,
                                const tag_SELECT_DATATYPE&)
{
    try
    {
        sampleListError_.clear();
        list.RemoveAllRows();
        const std::string posix = platform::toPosixPath(path ? path : "");
        CsvTable table;
        FormattedListColumns columns;
        std::string error;
        if (!readSampleListTable(posix, detail::formatOfKind(kind), table, error))
        {
            sampleListError_ = error;
            return 0;
        }
        if (!listFromTable(table, list, columns, error))
        {
            sampleListError_ = posix + ": " + error;
            return 0;
        }
        list.SetFileName(path);
        return 1;
    }
    catch (const std::exception& e)
    {
        sampleListError_ = e.what();
    }
    list.RemoveAllRows();
    return 0;
}

int KelvaneHost::WriteSampleList(const CSampleListMem& list, host::SampleListKind kind)
{
    try
    {
        sampleListError_.clear();
        const std::string posix = platform::toPosixPath(list.GetFileName().str());
        if (posix.empty())
        {
            sampleListError_ = "the sample list has no file name";
            return 0;
        }
        // The file's current content supplies what the in-memory list does not hold (unknown
        // columns, headings, column order); a file that exists but cannot be read is not replaced.
        const SampleListFormat format = detail::formatOfKind(kind);
        CsvTable table;
        std::string error;
        std::error_code ec;
        if (std::filesystem::exists(posix, ec) && !readSampleListTable(posix, format, table, error))
        {
            sampleListError_ = error;
            return 0;
        }
        if (!mergeListIntoTable(list, table, error))
        {
            sampleListError_ = posix + ": " + error;
            return 0;
        }
        if (!writeSampleListTable(posix, format, table, error))
        {
            sampleListError_ = error;
            return 0;
        }
        return 1;
    }
    catch (const std::exception& e)
    {
        sampleListError_ = e.what();
    }
    return 0;
}

const std::string& KelvaneHost::GetSampleListError() const
{
    return sampleListError_;
}
} // namespace kelvane
