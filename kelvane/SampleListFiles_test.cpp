// The stand-in's sample-list files: reading CSV and SQLite lists into the host's in-memory list,
// writing them back without losing what the host does not hold, refusing damaged files whole, and
// the scripted file dialog.
#include "testing/MockHost.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "testing/TempDir.h"
#include "platform/WinPath.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>

namespace
{
using testkit::readText;
using testkit::writeText;

const int kMethod = CSampleList::GetFieldIndex("METH_DB");
const int kGroup = CSampleList::GetFieldIndex("SAMPLE_GROUP");
const int kName = CSampleList::GetFieldIndex("FILE_NAME");

class SampleListFiles : public ::testing::Test
{
  protected:
    // Runs SQL on the database at path, failing the test on an error.
    static void sql(const std::string& path, const std::string& statements)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        char* message = nullptr;
        const int rc = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &message);
        EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
        sqlite3_free(message);
        sqlite3_close(db);
    }

    int read(CSampleListMem& list, host::SampleListKind kind, const std::string& posixPath)
    {
        list.SetFileName(platform::toHostPath(posixPath).c_str());
        return host_.ReadSampleList(list, kind, list.GetFileName(), CFormattedSampleList::m_DefaultType);
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(SampleListFiles, CsvWriteBackKeepsUnknownColumnsOrderHeadingsAndMark)
{
    const std::string path = dir_.file("List.csv");
    writeText(path, "\xEF\xBB\xBF"
                    "Vial,file_name,SAMPLE_GROUP,Notes\r\n"
                    "1,A1,g,\"two\nlines\"\r\n"
                    "2,A2,g,\"say \"\"x\"\"\"\r\n");
    CSampleListMem list;
    ASSERT_EQ(read(list, host::SampleListKind::kFormatted, path), 1) << host_.GetSampleListError();
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list[0][kName].GetString().str(), "A1");

    list[1][kMethod].SetString("C:\\m.mdb", CKVVariant::kTypeString);
    list[0][kName].SetString("B1", CKVVariant::kTypeString);
    ASSERT_EQ(host_.WriteSampleList(list, host::SampleListKind::kFormatted), 1) << host_.GetSampleListError();
    EXPECT_EQ(readText(path), "\xEF\xBB\xBF"
                              "Vial,file_name,SAMPLE_GROUP,Notes,METH_DB\r\n"
                              "1,B1,g,\"two\nlines\",\r\n"
                              "2,A2,g,\"say \"\"x\"\"\",C:\\m.mdb\r\n");
}

TEST_F(SampleListFiles, DatabaseRoundTripKeepsUnknownColumnsAndRowOrder)
{
    const std::string path = dir_.file("List.spl");
    sql(path, "CREATE TABLE SampleList (FILE_NAME TEXT, Operator TEXT, SAMPLE_GROUP TEXT);"
              "INSERT INTO SampleList VALUES ('r1', 'ann', 'A'), ('r2', NULL, 'A'), ('r3', 'bo', 'B');");
    CSampleListMem list;
    ASSERT_EQ(read(list, host::SampleListKind::kDatabase, path), 1) << host_.GetSampleListError();
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list[2][kGroup].GetString().str(), "B");

    list[0][kMethod].SetString("m1", CKVVariant::kTypeString);
    ASSERT_EQ(host_.WriteSampleList(list, host::SampleListKind::kDatabase), 1) << host_.GetSampleListError();

    kelvane::CsvTable table;
    std::string error;
    ASSERT_TRUE(kelvane::readSampleListTable(path, kelvane::SampleListFormat::kDatabase, table, error)) << error;
    EXPECT_EQ(table.header, (std::vector<std::string>{"FILE_NAME", "Operator", "SAMPLE_GROUP", "METH_DB"}));
    EXPECT_EQ(table.rows, (std::vector<std::vector<std::string>>{
                              {"r1", "ann", "A", "m1"}, {"r2", "", "A", ""}, {"r3", "bo", "B", ""}}));
}

TEST_F(SampleListFiles, NewFilesOfEitherFormGetEveryField)
{
    for (const char* name : {"New.csv", "New.spl"})
    {
        SCOPED_TRACE(name);
        const std::string path = dir_.file(name);
        CSampleListMem list;
        list.SetFileName(platform::toHostPath(path).c_str());
        list[list.AddRow()][kGroup].SetString("A", CKVVariant::kTypeString);
        const auto kind = kelvane::sampleListFormatOf(path) == kelvane::SampleListFormat::kDatabase
                              ? host::SampleListKind::kDatabase
                              : host::SampleListKind::kFormatted;
        ASSERT_EQ(host_.WriteSampleList(list, kind), 1) << host_.GetSampleListError();

        CSampleListMem back;
        ASSERT_EQ(read(back, kind, path), 1) << host_.GetSampleListError();
        ASSERT_EQ(back.GetSize(), 1);
        EXPECT_EQ(back[0][kGroup].GetString().str(), "A");
        kelvane::CsvTable table;
        std::string error;
        ASSERT_TRUE(kelvane::readSampleListTable(path, kelvane::sampleListFormatOf(path), table, error));
        EXPECT_EQ(static_cast<int>(table.header.size()), CSampleList::m_nSLFieldDefs);
    }
}

// Inputs that are odd but valid open with every row; damaged ones fail whole, leaving no rows.
TEST_F(SampleListFiles, OddInputsOpenAndDamagedOnesFailWithoutRows)
{
    struct Case
    {
        const char* name;
        const char* file;
        std::string csv; // written as the file when sqlSetup is empty
        std::string sqlSetup;
        int rows; // -1: the read must fail
    };
    const Case cases[] = {
        {"short ragged rows", "a.csv", "FILE_NAME,SAMPLE_GROUP,X\n1\n2,A\n", "", 2},
        {"unknown column", "b.csv", "Whatever,SAMPLE_GROUP\nx,A\n", "", 1},
        {"byte-order mark", "c.csv", "\xEF\xBB\xBFSAMPLE_GROUP\nA\n", "", 1},
        {"embedded newline", "d.csv", "FILE_TEXT,SAMPLE_GROUP\n\"a\r\nb\",A\n", "", 1},
        {"header only", "e.csv", "SAMPLE_GROUP\r\n", "", 0},
        {"long ragged row", "f.csv", "SAMPLE_GROUP\nA,extra\n", "", -1},
        {"unterminated quote", "g.csv", "SAMPLE_GROUP\n\"A\n", "", -1},
        {"field named twice", "h.csv", "SAMPLE_GROUP,sample_group\nA,B\n", "", -1},
        {"empty file", "i.csv", "", "", -1},
        {"not SQLite", "j.spl", "SAMPLE_GROUP\nA\n", "", -1},
        {"no sample table", "k.spl", "", "CREATE TABLE Other (SAMPLE_GROUP TEXT);", -1},
        {"empty sample table", "l.spl", "", "CREATE TABLE samplelist (SAMPLE_GROUP TEXT);", 0},
        {"zero-byte database", "m.spl", "", "", -1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.file(c.file);
        if (c.sqlSetup.empty())
            writeText(path, c.csv);
        else
            sql(path, c.sqlSetup);
        const auto kind = kelvane::sampleListFormatOf(path) == kelvane::SampleListFormat::kDatabase
                              ? host::SampleListKind::kDatabase
                              : host::SampleListKind::kFormatted;
        CSampleListMem list;
        list.AddRow();
        const int result = read(list, kind, path);
        if (c.rows < 0)
        {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(list.GetSize(), 0);
            EXPECT_NE(host_.GetSampleListError().find(path), std::string::npos) << host_.GetSampleListError();
        }
        else
        {
            EXPECT_EQ(result, 1) << host_.GetSampleListError();
            EXPECT_EQ(list.GetSize(), c.rows);
        }
    }
    CSampleListMem list;
    EXPECT_EQ(read(list, host::SampleListKind::kDatabase, dir_.file("missing.spl")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("missing.spl"))) << "a read must not create a database";
}

// Another connection holds the database's exclusive lock, as another process would.
TEST_F(SampleListFiles, LockedDatabaseFailsToOpenAndIsNotWritten)
{
    const std::string path = dir_.file("Locked.spl");
    sql(path, "CREATE TABLE SampleList (SAMPLE_GROUP TEXT); INSERT INTO SampleList VALUES ('A');");
    CSampleListMem list;
    ASSERT_EQ(read(list, host::SampleListKind::kDatabase, path), 1);

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    CSampleListMem again;
    EXPECT_EQ(read(again, host::SampleListKind::kDatabase, path), 0);
    EXPECT_EQ(again.GetSize(), 0);
    list[0][kGroup].SetString("B", CKVVariant::kTypeString);
    EXPECT_EQ(host_.WriteSampleList(list, host::SampleListKind::kDatabase), 0);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_EQ(read(again, host::SampleListKind::kDatabase, path), 1);
    EXPECT_EQ(again[0][kGroup].GetString().str(), "A");
}

TEST_F(SampleListFiles, FailedWritesLeaveNoFileOrTheOldOne)
{
    // Two columns of one name cannot make a table: the database this write created is removed.
    kelvane::CsvTable twice;
    twice.header = {"X", "x"};
    std::string error;
    EXPECT_FALSE(
        kelvane::writeSampleListTable(dir_.file("Twice.spl"), kelvane::SampleListFormat::kDatabase, twice, error));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Twice.spl")));

    // A file that is not valid CSV any more is not replaced by what the host holds.
    const std::string path = dir_.file("Broken.csv");
    writeText(path, "SAMPLE_GROUP\nA\n");
    CSampleListMem list;
    ASSERT_EQ(read(list, host::SampleListKind::kFormatted, path), 1);
    writeText(path, "SAMPLE_GROUP\n\"A\n");
    EXPECT_EQ(host_.WriteSampleList(list, host::SampleListKind::kFormatted), 0);
    EXPECT_EQ(readText(path), "SAMPLE_GROUP\n\"A\n");

    CSampleListMem unnamed;
    EXPECT_EQ(host_.WriteSampleList(unnamed, host::SampleListKind::kFormatted), 0);
}

TEST_F(SampleListFiles, LargeCsvOpensWhole)
{
    constexpr int kRows = 200000;
    std::string text = "FILE_NAME,SAMPLE_GROUP\n";
    for (int i = 0; i < kRows; ++i)
        text += "S" + std::to_string(i) + (i < kRows / 2 ? ",A\n" : ",B\n");
    const std::string path = dir_.file("Large.csv");
    writeText(path, text);
    CSampleListMem list;
    ASSERT_EQ(read(list, host::SampleListKind::kFormatted, path), 1);
    ASSERT_EQ(list.GetSize(), kRows);
    EXPECT_EQ(list[kRows - 1][kName].GetString().str(), "S199999");
    EXPECT_EQ(list[kRows - 1][kGroup].GetString().str(), "B");
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
