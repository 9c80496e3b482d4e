// The stand-in's sample-list files: reading CSV and SQLite lists into the host's in-memory list,
// writing them back without losing what the host does not hold, refusing damaged and protected
// files whole. The end-to-end tests answer and cancel the scripted file dialog.
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "platform/LastError.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"
#include "testing/Unprivileged.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <tuple>
#include <sys/stat.h>

namespace
{
using namespace std::string_literals;

const int kMethod = CSampleList::GetFieldIndex("METH_DB");
const int kGroup = CSampleList::GetFieldIndex("SAMPLE_GROUP");
const int kName = CSampleList::GetFieldIndex("FILE_NAME");

host::SampleListKind kindOf(const std::string& path)
{
    return kelvane::sampleListFormatOf(path) == kelvane::SampleListFormat::kDatabase ? host::SampleListKind::kDatabase
                                                                                     : host::SampleListKind::kFormatted;
}

class SampleListFiles : public ::testing::Test
{
  protected:
    // Writes the file: by SQL when content is a CREATE statement, as text otherwise.
    static void make(const std::string& path, const std::string& content)
    {
        if (!content.starts_with("CREATE"))
            return (void)testkit::writeText(path, content);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, content.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    int read(CSampleListMem& list, const std::string& posixPath)
    {
        list.SetFileName(platform::toHostPath(posixPath).c_str());
        return host_.ReadSampleList(list, kindOf(posixPath), list.GetFileName(), CFormattedSampleList::m_DefaultType);
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

// A column may take any name SQLite gives the row numbers: the rows still come back, and are
// written back, in the order they were stored. A CSV list written back changes only the cells the
// host changed: a zero byte in another survives with what follows it, quotes stay; a header in
// another case names its field, and a field the file lacks is added as a column.
TEST_F(SampleListFiles, RowsKeepTheirStoredOrderAndUnchangedCellsTheirBytes)
{
    const std::string path = dir_.file("Order.spl");
    for (const std::string columns : {"rowid", "OID", "_rowid_", "oid, _ROWID_", "rowid, oid, _rowid_"})
    {
        SCOPED_TRACE(columns);
        std::filesystem::remove(path);
        // Each taken column sorts the rows backwards: as text, "10" < "8" < "9".
        const auto taken = 1 + std::count(columns.begin(), columns.end(), ',');
        const auto row = [&](const std::string& shadow, const std::string& name) {
            std::string values;
            for (long c = 0; c < taken; ++c)
                values += "'" + shadow + "', ";
            return "(" + values + "'" + name + "')";
        };
        make(path, "CREATE TABLE SampleList (" + columns + ", FILE_NAME TEXT); INSERT INTO SampleList VALUES " +
                       row("9", "a") + ", " + row("8", "b") + ", " + row("10", "c") + ";");
        std::string seen;
        for (int pass = 0; pass < 2; ++pass)
        {
            CSampleListMem list;
            ASSERT_EQ(read(list, path), 1) << host_.GetSampleListError();
            for (int r = 0; r < list.GetSize(); ++r)
                seen += list[r][kName].GetString().str();
            list[0][kGroup].SetString("G", CKVVariant::kTypeString);
            ASSERT_EQ(host_.WriteSampleList(list, host::SampleListKind::kDatabase), 1) << host_.GetSampleListError();
        }
        EXPECT_EQ(seen, "abcabc");
    }

    const std::string csv = dir_.file("Nul.csv");
    const int kText = CSampleList::GetFieldIndex("FILE_TEXT");
    testkit::writeText(csv, "file_text,SAMPLE_GROUP,Notes\nabc\0def,A,x\0y\n\"A2\",g,\"two\r\nlines\"\r\n"s);
    CSampleListMem list;
    ASSERT_EQ(read(list, csv), 1) << host_.GetSampleListError();
    EXPECT_EQ(list[0][kText].GetString().str(), "abc");
    list[0][kGroup].SetString("B", CKVVariant::kTypeString);
    list[1][kText].SetString("B2", CKVVariant::kTypeString);
    list[1][kMethod].SetString("C:\\m.mdb", CKVVariant::kTypeString);
    ASSERT_EQ(host_.WriteSampleList(list, host::SampleListKind::kFormatted), 1) << host_.GetSampleListError();
    EXPECT_EQ(testkit::readText(csv), "file_text,SAMPLE_GROUP,Notes,METH_DB\nabc\0def,B,x\0y\n"
                                      "\"B2\",g,\"two\r\nlines\",C:\\m.mdb\r\n"s);
}

// Inputs that are odd but valid open with every row; damaged ones fail whole, leaving no rows and
// naming the file. A read never creates a database.
TEST_F(SampleListFiles, OddInputsOpenAndDamagedOrLockedOnesFailWithoutRows)
{
    const std::pair<const char*, int> cases[] = { // the file's name and content, and its rows; -1: refused
        {"unknown-column.csv|Whatever,SAMPLE_GROUP\nx,A\n\n", 1}, {"unterminated-quote.csv|SAMPLE_GROUP\n\"A\n", -1},
        {"field-named-twice.csv|SAMPLE_GROUP,sample_group\nA,B\n", -1}, {"not-sqlite.spl|SAMPLE_GROUP\nA\n", -1},
        {"no-sample-table.spl|CREATE TABLE Other (SAMPLE_GROUP TEXT);", -1}, {"zero-byte.spl|", -1},
        {"empty-sample-table.spl|CREATE TABLE samplelist (SAMPLE_GROUP TEXT);", 0}, {"missing.spl", -1},
        {"two-rows.spl|CREATE TABLE SampleList (FILE_NAME, X); INSERT INTO SampleList VALUES ('a', 1), (NULL, 2);", 2},
    };
    for (const auto& [file, rows] : cases)
    {
        SCOPED_TRACE(file);
        const std::string entry = file, path = dir_.file(entry.substr(0, entry.find('|')));
        if (entry.find('|') != std::string::npos)
            make(path, entry.substr(entry.find('|') + 1));
        CSampleListMem list;
        list.AddRow();
        EXPECT_EQ(read(list, path), rows < 0 ? 0 : 1) << host_.GetSampleListError();
        EXPECT_EQ(list.GetSize(), std::max(rows, 0));
        EXPECT_EQ(rows < 0, host_.GetSampleListError().find(path) != std::string::npos) << host_.GetSampleListError();
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.file("missing.spl")));
    // Another connection holds the database's exclusive lock, as another process would.
    const std::string path = dir_.file("Locked.spl");
    make(path, "CREATE TABLE SampleList (SAMPLE_GROUP TEXT); INSERT INTO SampleList VALUES ('A');");
    CSampleListMem list, again;
    ASSERT_EQ(read(list, path), 1);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(read(again, path), 0);
    list[0][kGroup].SetString("B", CKVVariant::kTypeString);
    EXPECT_EQ(host_.WriteSampleList(list, host::SampleListKind::kDatabase), 0);
    sqlite3_close(other); // rolls back
    ASSERT_EQ(read(again, path), 1);
    EXPECT_EQ(again[0][kGroup].GetString().str(), "A");
}

// As an ordinary user (nobody when the tests run as root): a new file of either form gets every
// field; a file the user may not write, or one that is no valid list any more, is refused and left
// as it was; a file the user may write in a folder the user may not is written.
TEST_F(SampleListFiles, WritesWhatTheUserMayWriteAndNothingElse)
{
    // The file, its text after the list was read (null: as it was), the modes of the file (0: none
    // before the write) and its folder, and WriteSampleList's result times 100 plus the last error.
    const std::tuple<const char*, const char*, mode_t, mode_t, int> cases[] = {
        {"new/List.csv", nullptr, 0, 0777, 100},
        {"new/List.SPL", nullptr, 0, 0777, 100},
        {"open/Broken.csv", "SAMPLE_GROUP\n\"A\n", 0666, 0777, 0},
        {"open/List.csv", nullptr, 0444, 0777, ERROR_ACCESS_DENIED},
        {"open/List.spl", nullptr, 0444, 0777, ERROR_ACCESS_DENIED},
        {"closed/List.csv", nullptr, 0666, 0555, 100},
        {"closed/List.spl", nullptr, 0666, 0555, 100},
    };
    testkit::openToEveryone(dir_.path());
    for (const char* folder : {"new", "open", "closed"})
        std::filesystem::create_directory(dir_.file(folder));
    for (const auto& [file, replacedBy, fileMode, folderMode, expected] : cases)
    {
        SCOPED_TRACE(file);
        const std::string path = dir_.file(file);
        // An earlier row may have closed the folder; the list is made as the test's own user.
        ASSERT_EQ(chmod(std::filesystem::path(path).parent_path().c_str(), 0777), 0);
        CSampleListMem list;
        list.SetFileName(platform::toHostPath(path).c_str());
        if (fileMode == 0)
            list.AddRow();
        else
            make(path, kindOf(path) == host::SampleListKind::kFormatted
                           ? "SAMPLE_GROUP\nA\n"
                           : "CREATE TABLE SampleList (SAMPLE_GROUP TEXT); INSERT INTO SampleList VALUES ('A');");
        ASSERT_TRUE(fileMode == 0 || read(list, path) == 1);
        list[0][kGroup].SetString("B", CKVVariant::kTypeString);
        if (replacedBy)
            testkit::writeText(path, replacedBy);
        const std::string before = testkit::readText(path);
        ASSERT_TRUE(fileMode == 0 || chmod(path.c_str(), fileMode) == 0);
        ASSERT_EQ(chmod(std::filesystem::path(path).parent_path().c_str(), folderMode), 0);
        const int result = testkit::runUnprivileged([&] {
            SetLastError(0);
            return host_.WriteSampleList(list, kindOf(path)) * 100 + static_cast<int>(GetLastError());
        });
        EXPECT_EQ(result, expected);
        CSampleListMem back;
        kelvane::CsvTable t; // read back: a new file has every field
        std::string error;
        if (expected != 100)
            EXPECT_EQ(testkit::readText(path), before);
        else if (kelvane::readSampleListTable(path, kelvane::sampleListFormatOf(path), t, error) && read(back, path))
            EXPECT_EQ(back[0][kGroup].GetString().str() + " " + std::to_string(t.header.size()),
                      "B " + std::to_string(fileMode == 0 ? CSampleList::m_nSLFieldDefs : 1));
        else
            ADD_FAILURE() << error << host_.GetSampleListError();
    }
}
} // namespace
