// The stand-in's sample-list files: reading CSV and SQLite lists into the host's in-memory list,
// writing them back without losing what the host does not hold, refusing damaged and protected
// files whole, and the scripted file dialog.
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "platform/LastError.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"
#include "testing/Unprivileged.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>

namespace
{
using testkit::readText;
using testkit::writeText;

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
    // Runs SQL on the database at path, failing the test on an error.
    static void sql(const std::string& path, const std::string& statements)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    int read(CSampleListMem& list, const std::string& posixPath)
    {
        list.SetFileName(platform::toHostPath(posixPath).c_str());
        return host_.ReadSampleList(list, kindOf(posixPath), list.GetFileName(), CFormattedSampleList::m_DefaultType);
    }

    kelvane::CsvTable tableOf(const std::string& path)
    {
        kelvane::CsvTable table;
        std::string error;
        EXPECT_TRUE(kelvane::readSampleListTable(path, kelvane::sampleListFormatOf(path), table, error)) << error;
        return table;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(SampleListFiles, CsvWriteBackChangesOnlyTheCellsTheListChanged)
{
    const std::string path = dir_.file("List.csv");
    writeText(path, "\xEF\xBB\xBF"
                    "Vial,file_name,SAMPLE_GROUP,Notes\n"
                    "\n"
                    "1,A1,g,\"two\r\nlines\"\r\n"
                    "2,\"A2\",g,\"say \"\"x\"\"\"\n");
    CSampleListMem list;
    ASSERT_EQ(read(list, path), 1) << host_.GetSampleListError();
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list[0][kName].GetString().str(), "A1");

    list[1][kMethod].SetString("C:\\m.mdb", CKVVariant::kTypeString);
    list[1][kName].SetString("B2", CKVVariant::kTypeString);
    ASSERT_EQ(host_.WriteSampleList(list, host::SampleListKind::kFormatted), 1) << host_.GetSampleListError();
    EXPECT_EQ(readText(path), "\xEF\xBB\xBF"
                              "Vial,file_name,SAMPLE_GROUP,Notes,METH_DB\n"
                              "\n"
                              "1,A1,g,\"two\r\nlines\"\r\n"
                              "2,\"B2\",g,\"say \"\"x\"\"\",C:\\m.mdb\n");
}

TEST_F(SampleListFiles, DatabaseRoundTripKeepsUnknownColumnsAndRowOrder)
{
    const std::string path = dir_.file("List.spl");
    sql(path, "CREATE TABLE SampleList (FILE_NAME TEXT, Operator TEXT, SAMPLE_GROUP TEXT);"
              "INSERT INTO SampleList VALUES ('r1', 'ann', 'A'), ('r2', NULL, 'A'), ('r3', 'bo', 'B');");
    CSampleListMem list;
    ASSERT_EQ(read(list, path), 1) << host_.GetSampleListError();
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list[2][kGroup].GetString().str(), "B");

    list[0][kMethod].SetString("m1", CKVVariant::kTypeString);
    ASSERT_EQ(host_.WriteSampleList(list, host::SampleListKind::kDatabase), 1) << host_.GetSampleListError();
    const kelvane::CsvTable table = tableOf(path);
    EXPECT_EQ(table.header, (std::vector<std::string>{"FILE_NAME", "Operator", "SAMPLE_GROUP", "METH_DB"}));
    EXPECT_EQ(table.rows, (std::vector<std::vector<std::string>>{
                              {"r1", "ann", "A", "m1"}, {"r2", "", "A", ""}, {"r3", "bo", "B", ""}}));
}

// Inputs that are odd but valid open with every row; damaged ones fail whole, leaving no rows.
TEST_F(SampleListFiles, OddInputsOpenAndDamagedOnesFailWithoutRows)
{
    struct Case
    {
        const char* file;
        std::string csv; // written as the file when sqlSetup is empty
        std::string sqlSetup;
        int rows; // -1: the read must fail
    };
    const Case cases[] = {
        {"unknown-column.csv", "Whatever,SAMPLE_GROUP\nx,A\n\n", "", 1},
        {"unterminated-quote.csv", "SAMPLE_GROUP\n\"A\n", "", -1},
        {"field-named-twice.csv", "SAMPLE_GROUP,sample_group\nA,B\n", "", -1},
        {"not-sqlite.spl", "SAMPLE_GROUP\nA\n", "", -1},
        {"no-sample-table.spl", "", "CREATE TABLE Other (SAMPLE_GROUP TEXT);", -1},
        {"empty-sample-table.spl", "", "CREATE TABLE samplelist (SAMPLE_GROUP TEXT);", 0},
        {"zero-byte.spl", "", "", -1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        const std::string path = dir_.file(c.file);
        if (c.sqlSetup.empty())
            writeText(path, c.csv);
        else
            sql(path, c.sqlSetup);
        CSampleListMem list;
        list.AddRow();
        EXPECT_EQ(read(list, path), c.rows < 0 ? 0 : 1) << host_.GetSampleListError();
        EXPECT_EQ(list.GetSize(), std::max(c.rows, 0));
        if (c.rows < 0)
        {
            EXPECT_NE(host_.GetSampleListError().find(path), std::string::npos) << host_.GetSampleListError();
        }
    }
    CSampleListMem list;
    EXPECT_EQ(read(list, dir_.file("missing.spl")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("missing.spl"))) << "a read must not create a database";
}

// Another connection holds the database's exclusive lock, as another process would.
TEST_F(SampleListFiles, LockedDatabaseFailsToOpenAndIsNotWritten)
{
    const std::string path = dir_.file("Locked.spl");
    sql(path, "CREATE TABLE SampleList (SAMPLE_GROUP TEXT); INSERT INTO SampleList VALUES ('A');");
    CSampleListMem list;
    ASSERT_EQ(read(list, path), 1);

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    CSampleListMem again;
    EXPECT_EQ(read(again, path), 0);
    EXPECT_EQ(again.GetSize(), 0);
    list[0][kGroup].SetString("B", CKVVariant::kTypeString);
    EXPECT_EQ(host_.WriteSampleList(list, host::SampleListKind::kDatabase), 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    ASSERT_EQ(read(again, path), 1);
    EXPECT_EQ(again[0][kGroup].GetString().str(), "A");
}

TEST_F(SampleListFiles, FailedWritesLeaveNoFile)
{
    // Two columns of one name cannot make a table: the database this write created is removed.
    kelvane::CsvTable twice;
    twice.header = {"X", "x"};
    std::string error;
    EXPECT_FALSE(
        kelvane::writeSampleListTable(dir_.file("Twice.spl"), kelvane::SampleListFormat::kDatabase, twice, error));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Twice.spl")));

    CSampleListMem unnamed;
    EXPECT_EQ(host_.WriteSampleList(unnamed, host::SampleListKind::kFormatted), 0);
}

// As an ordinary user (nobody when the tests run as root): a new file of either form gets every
// field; a file the user may not write, or one that is no valid list any more, is refused and left
// as it was; a file the user may write in a folder the user may not is written.
TEST_F(SampleListFiles, WritesWhatTheUserMayWriteAndNothingElse)
{
    struct Case
    {
        const char* file;
        const char* replacedBy; // the file's text after the list was read; null: as it was
        mode_t fileMode;        // 0: no file before the write
        mode_t folderMode;
        int result; // WriteSampleList's result times 100, plus the last error it left
    };
    const Case cases[] = {
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
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        const std::string path = dir_.file(c.file);
        const std::string folder = std::filesystem::path(path).parent_path();
        CSampleListMem list;
        list.SetFileName(platform::toHostPath(path).c_str());
        if (c.fileMode == 0)
            list.AddRow();
        else if (kindOf(path) == host::SampleListKind::kDatabase)
            sql(path, "CREATE TABLE SampleList (SAMPLE_GROUP TEXT); INSERT INTO SampleList VALUES ('A');");
        else
            writeText(path, "SAMPLE_GROUP\nA\n");
        ASSERT_TRUE(c.fileMode == 0 || read(list, path) == 1);
        list[0][kGroup].SetString("B", CKVVariant::kTypeString);
        if (c.replacedBy)
            writeText(path, c.replacedBy);
        const std::string before = readText(path);
        ASSERT_TRUE(c.fileMode == 0 || chmod(path.c_str(), c.fileMode) == 0);
        ASSERT_EQ(chmod(folder.c_str(), c.folderMode), 0);

        const int result = testkit::runUnprivileged([&] {
            SetLastError(0);
            return host_.WriteSampleList(list, kindOf(path)) * 100 + static_cast<int>(GetLastError());
        });
        EXPECT_EQ(result, c.result);
        if (c.result != 100)
        {
            EXPECT_EQ(readText(path), before);
            continue;
        }
        CSampleListMem back;
        ASSERT_EQ(read(back, path), 1) << host_.GetSampleListError();
        EXPECT_EQ(back[0][kGroup].GetString().str(), "B");
        const int columns = static_cast<int>(tableOf(path).header.size());
        EXPECT_EQ(columns, c.fileMode == 0 ? CSampleList::m_nSLFieldDefs : 1) << "a new file gets every field";
    }
}

TEST_F(SampleListFiles, NormalFileDialogAnswersAsScriptedOrCancels)
{
    tag_FILE_DIALOG_REQUEST request;
    request.SetFileName("*");
    request.SetFirstNumber(7.0);
    EXPECT_EQ(host_.GenGetNormalFile(nullptr, nullptr, request), 0);
    EXPECT_EQ(request.FileName().str(), "*");

    host_.SetNormalFileAnswer("C:\\Lims\\out.txt");
    EXPECT_EQ(GenGetNormalFile(nullptr, nullptr, &request), 1);
    EXPECT_EQ(request.Directory().str(), "C:\\Lims\\");
    EXPECT_EQ(request.FileName().str(), "out");
    EXPECT_EQ(request.Extension().str(), "txt");
    EXPECT_EQ(request.FirstNumber(), 7.0);

    host_.SetNormalFileAnswer("C:\\" + std::string(300, 'n') + ".txt");
    EXPECT_EQ(host_.GenGetNormalFile(nullptr, nullptr, request), 0);
    EXPECT_EQ(request.FileName().str(), "out");
    host_.ClearNormalFileAnswer();
    EXPECT_EQ(host_.GenGetNormalFile(nullptr, nullptr, request), 0);
}
} // namespace
