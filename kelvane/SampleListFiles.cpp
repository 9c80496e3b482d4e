// Sample-list files of the host stand-in (CSV and SQLite), and the host's sample-list operations
// that read a list into the host's in-memory form and write it back.
#include "kelvane/SampleListFiles.h"

#include "kelvane/FormattedSampleList.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/Sqlite.h"
#include "platform/Ascii.h"
#include "platform/AtomicFile.h"
#include "platform/LastError.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kelvane
{
namespace detail
{
namespace
{
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

// Whether the database has the sample table (names compare without regard to case, as SQLite's).
// False, with the failure noted on db, when the query fails.
bool hasSampleTable(const Database& db, bool& found)
{
    Statement query(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
    if (!query)
        return false;
    query.bindText(1, kSampleListTable);
    const int rc = query.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return db.failed();
    found = rc == SQLITE_ROW;
    return true;
}

// The ORDER BY clause that keeps the rows in the order they were stored. SQLite names a table's
// row numbers by three names, and a column of the list takes over any name it has; when all three
// are taken, no clause is needed: a scan that uses no index visits the rows in that order anyway.
bool storedOrder(const Database& db, std::string& order)
{
    Statement info(db, "PRAGMA table_info(" + quoted(kSampleListTable) + ")");
    if (!info)
        return false;
    std::vector<std::string> columns;
    while (info.step() == SQLITE_ROW)
        columns.push_back(info.text(1));
    order.clear();
    for (const char* alias : {"rowid", "_rowid_", "oid"})
    {
        if (std::none_of(columns.begin(), columns.end(),
                         [&](const std::string& column) { return platform::detail::equalsNoCase(column, alias); }))
        {
            order = std::string(" ORDER BY ") + alias;
            break;
        }
    }
    return true;
}

bool readDatabase(const std::string& path, CsvTable& table, std::string& error)
{
    // Read-only, so a missing file is an error rather than a new empty database.
    Database db(path, SQLITE_OPEN_READONLY, kDatabaseBusyMilliseconds);
    bool found = false;
    if (!db || !hasSampleTable(db, found))
    {
        error = db.message();
        return false;
    }
    if (!found)
    {
        error = std::string("no table ") + kSampleListTable;
        return false;
    }
    std::string order;
    if (!storedOrder(db, order))
    {
        error = db.message();
        return false;
    }
    Statement rows(db, "SELECT * FROM " + quoted(kSampleListTable) + " NOT INDEXED" + order);
    if (!rows)
    {
        error = db.message();
        return false;
    }
    const int columns = sqlite3_column_count(rows.get());
    for (int c = 0; c < columns; ++c)
        table.header.emplace_back(sqlite3_column_name(rows.get(), c));
    for (;;)
    {
        const int rc = rows.step();
        if (rc == SQLITE_DONE)
            return true;
        if (rc != SQLITE_ROW)
        {
            db.failed();
            error = db.message();
            return false;
        }
        std::vector<std::string>& record = table.rows.emplace_back();
        record.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c)
            record.push_back(rows.text(c));
    }
}

// Makes the table's columns match the header: creates the table, or adds the columns it lacks.
bool prepareTable(const Database& db, const CsvTable& table)
{
    bool found = false;
    if (!hasSampleTable(db, found))
        return false;
    if (!found)
    {
        std::string sql = "CREATE TABLE " + quoted(kSampleListTable) + " (";
        for (size_t c = 0; c < table.header.size(); ++c)
            sql += (c ? ", " : "") + quoted(table.header[c]) + " TEXT";
        return db.exec(sql + ")");
    }
    std::vector<std::string> existing;
    {
        Statement info(db, "PRAGMA table_info(" + quoted(kSampleListTable) + ")");
        if (!info)
            return false;
        while (info.step() == SQLITE_ROW)
            existing.push_back(info.text(1));
    }
    for (const auto& name : table.header)
    {
        bool have = false;
        for (const auto& column : existing)
            have = have || platform::detail::equalsNoCase(column, name);
        if (have)
            continue;
        if (!db.exec("ALTER TABLE " + quoted(kSampleListTable) + " ADD COLUMN " + quoted(name) + " TEXT"))
            return false;
        existing.push_back(name);
    }
    return true;
}

bool fillTable(const Database& db, const CsvTable& table)
{
    if (!prepareTable(db, table) || !db.exec("DELETE FROM " + quoted(kSampleListTable)))
        return false;
    std::string sql = "INSERT INTO " + quoted(kSampleListTable) + " (";
    std::string values;
    for (size_t c = 0; c < table.header.size(); ++c)
    {
        sql += (c ? ", " : "") + quoted(table.header[c]);
        values += c ? ", ?" : "?";
    }
    Statement insert(db, sql + ") VALUES (" + values + ")");
    if (!insert)
        return false;
    for (const auto& record : table.rows)
    {
        sqlite3_reset(insert.get());
        for (size_t c = 0; c < table.header.size(); ++c)
            insert.bindText(static_cast<int>(c) + 1, c < record.size() ? std::string_view(record[c]) : "");
        if (insert.step() != SQLITE_DONE)
            return db.failed();
    }
    return true;
}

// Replaces the rows of the database at path in one transaction. On failure denied tells whether
// the file or its folder may not be written by the caller.
bool writeDatabase(const std::string& path, const CsvTable& table, std::string& error, bool& denied)
{
    std::error_code ignored;
    const bool existed = std::filesystem::exists(path, ignored);
    bool written = false;
    {
        Database db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, kDatabaseBusyMilliseconds);
        // BEGIN IMMEDIATE takes the write lock at once, so a locked file fails here, before any
        // change; a write-protected one fails at its first write.
        const bool began = db && db.exec("BEGIN IMMEDIATE");
        written = began && fillTable(db, table) && db.exec("COMMIT");
        if (!written)
        {
            error = db.message();
            denied = db.accessDenied();
        }
        if (began && !written)
            sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
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
} // namespace
} // namespace detail

SampleListFormat sampleListFormatOf(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    return platform::detail::equalsNoCase(extension, ".spl") ? SampleListFormat::kDatabase : SampleListFormat::kCsv;
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
    bool denied = false;
    if (table.header.empty())
    {
        error = "a sample list needs at least one column";
    }
    else if (format == SampleListFormat::kDatabase)
    {
        ok = detail::writeDatabase(posixPath, table, error, denied);
    }
    else
    {
        const std::string text = formatCsv(table);
        errno = 0;
        ok = platform::writeFileAtomically(posixPath, text);
        denied = !ok && errno == EACCES;
        if (!ok)
            error = denied ? "access denied" : "cannot be written";
    }
    if (!ok)
    {
        SetLastError(denied ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE);
        error = posixPath + ": " + error;
    }
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
