// The file utilities on a mock host, where the exact host calls matter, and on the Kelvane
// stand-in over a temporary data directory, where the files themselves show what happened.
#include "fileutil/FileUtil.h"
#include "testing/MockHost.h"
#include "kelvane/KelvaneHost.h"
#include "platform/LastError.h"
#include "testing/TempDir.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using ::testing::_;
using ::testing::DoAll;
using ::testing::InSequence;
using ::testing::Invoke;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;

const HANDLE kHandle = reinterpret_cast<HANDLE>(0x1234);

// Empties both registries whatever host is installed, so tests do not see each other's entries.
void clearRegistries()
{
    NiceMock<host::MockHost> quiet;
    host::ScopedHost scope(quiet);
    DeleteTempFiles();
    DeleteTempDirs();
}

class FileUtilMockTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        clearRegistries();
    }
    void TearDown() override
    {
        clearRegistries();
    }
    NiceMock<host::MockHost> host_;
    host::ScopedHost scope_{host_};
};

// ---- Pure text functions --------------------------------------------------------------------------

TEST(RemoveTrailingSlash, RemovesOneSlashAfterClearingTrailingBlanks)
{
    struct Case
    {
        const char* in;
        const char* out;
        int result;
    };
    const Case cases[] = {
        {"C:\\temp\\", "C:\\temp", 1},
        {"C:\\temp\\\\", "C:\\temp\\", 1},
        {"C:/temp/", "C:/temp", 1},
        {"\\", "\\", 0},
        {"", "", 0},
        {"C:\\temp", "C:\\temp", 0},
        {"C:\\temp\\ \t", "C:\\temp", 1},
        {"C:\\temp  ", "C:\\temp", 0},
        {"\\\\", "\\", 1},
        {"a   ", "a", 0},
        {"\\  ", "\\", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.in);
        char buffer[64];
        std::strcpy(buffer, c.in);
        EXPECT_EQ(RemoveTrailingSlash(buffer), c.result);
        EXPECT_STREQ(buffer, c.out);
    }
    EXPECT_EQ(RemoveTrailingSlash(nullptr), 0);
}

TEST(GetDefaultExtension, IsTheTextAfterTheLastFullStopUnlessAProject)
{
    struct Case
    {
        const char* path;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\data\\list.spl", "spl"}, {"C:\\a.b\\list.csv", "csv"}, {"C:\\data\\list", ""}, {"C:\\Study.PRO", ""},
        {"C:\\Study.pro", ""},         {"C:\\Study.PROJ", ""},       {"C:\\x.PR", "PR"},     {"C:\\x.", ""},
        {"C:\\a.b\\list", "b\\list"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetDefaultExtension(c.path), CString(c.extension));
    }
}

// ---- Exact host calls -----------------------------------------------------------------------------

TEST_F(FileUtilMockTest, FileExistsOpensForReadingWithoutSharingAndCloses)
{
    EXPECT_CALL(host_,
                CreateFileS(StrEq("C:\\a.mdb"), static_cast<DWORD>(GENERIC_READ), 0u, nullptr, 3u, 0x80u, nullptr, 1))
        .WillOnce(Return(kHandle));
    EXPECT_CALL(host_, CloseHandleS(kHandle)).WillOnce(Return(TRUE));
    EXPECT_EQ(FileExists("C:\\a.mdb"), 1);

    // Held open by another caller: a sharing violation counts as absent, and nothing is closed.
    EXPECT_CALL(host_, CreateFileS(_, _, _, _, _, _, _, _)).WillOnce(Invoke([](auto&&...) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }));
    EXPECT_CALL(host_, CloseHandleS(_)).Times(0);
    EXPECT_EQ(FileExists("C:\\a.mdb"), 0);
}

TEST_F(FileUtilMockTest, DirectoryExistsCountsRefusalsAsPresent)
{
    struct Case
    {
        DWORD error;
        int exists;
    };
    const Case cases[] = {{ERROR_ALREADY_EXISTS, 1}, {ERROR_ACCESS_DENIED, 1},  {ERROR_SHARING_VIOLATION, 1},
                          {ERROR_LOCK_VIOLATION, 1}, {ERROR_FILE_EXISTS, 1},    {ERROR_FILE_NOT_FOUND, 0},
                          {ERROR_PATH_NOT_FOUND, 0}, {ERROR_INVALID_HANDLE, 0}, {ERROR_SUCCESS, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.error);
        EXPECT_CALL(host_, CreateFileS(StrEq("C:\\p"), static_cast<DWORD>(GENERIC_READ), 7u, nullptr, 3u, 0x2000000u,
                                       nullptr, _))
            .WillOnce(Invoke([&](auto&&...) {
                SetLastError(c.error);
                return INVALID_HANDLE_VALUE;
            }));
        EXPECT_EQ(DirectoryExists(CString("C:\\p")), c.exists);
    }
    EXPECT_CALL(host_, CreateFileS(_, _, _, _, _, _, _, _)).WillOnce(Return(kHandle));
    EXPECT_CALL(host_, CloseHandleS(kHandle)).WillOnce(Return(TRUE));
    EXPECT_EQ(DirectoryExists(CString("C:\\p")), 1);
}

TEST_F(FileUtilMockTest, UniqueNameSkipsTakenNamesAndReservesTheFreeOneWithoutReplacing)
{
    InSequence order;
    // 001 exists (FileExists opens it), 002 does not.
    EXPECT_CALL(host_, CreateFileS(StrEq("C:\\t\\TYPQ_001.mdb"), _, 0u, _, 3u, _, _, 1)).WillOnce(Return(kHandle));
    EXPECT_CALL(host_, CloseHandleS(kHandle)).WillOnce(Return(TRUE));
    EXPECT_CALL(host_, CreateFileS(StrEq("C:\\t\\TYPQ_002.mdb"), _, 0u, _, 3u, _, _, 1))
        .WillOnce(Return(INVALID_HANDLE_VALUE));
    EXPECT_CALL(host_, CreateFileS(StrEq("C:\\t\\TYPQ_002.mdb"), static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE), 3u,
                                   nullptr, static_cast<DWORD>(CREATE_NEW), 0x80u, nullptr, 1))
        .WillOnce(Return(kHandle));
    EXPECT_CALL(host_, CloseHandleS(kHandle)).WillOnce(Return(TRUE));
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\t", "TYPQ_", "..mdb", 1), "C:\\t\\TYPQ_002.mdb");
}

TEST_F(FileUtilMockTest, UniqueNameGivesUpOnACreateThatFailsForAnotherReason)
{
    EXPECT_CALL(host_, CreateFileS(_, _, _, _, 3u, _, _, _)).WillRepeatedly(Return(INVALID_HANDLE_VALUE));
    EXPECT_CALL(host_, CreateFileS(_, _, _, _, static_cast<DWORD>(CREATE_NEW), _, _, _))
        .WillOnce(Invoke([](auto&&...) {
            SetLastError(ERROR_FILE_EXISTS); // made by someone else since the test: try the next
            return INVALID_HANDLE_VALUE;
        }))
        .WillOnce(Invoke([](auto&&...) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }));
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\t", "X", "mdb", 1), "");
}

TEST_F(FileUtilMockTest, UniqueNameRefusesBadStartsAndOverlongNamesWithoutTouchingTheHost)
{
    EXPECT_CALL(host_, CreateFileS(_, _, _, _, _, _, _, _)).Times(0);
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\t", "X", "mdb", 0), "");
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\t", "X", "mdb", 1000), "");
    EXPECT_STREQ(CreateUniqueNameInDir(nullptr, "X", "mdb", 1), "");
    const std::string longDir = "C:\\" + std::string(250, 'd');
    EXPECT_STREQ(CreateUniqueNameInDir(longDir.c_str(), "X", "mdb", 1), "");
    EXPECT_STREQ(CreateAcqFileName("X", longDir.c_str(), 1), "");
    EXPECT_CALL(host_, DirectoryExists(_)).Times(0);
    EXPECT_STREQ(CreateAcqFileName("X", "C:\\t", 0), "");
    EXPECT_STREQ(CreateAcqFileName("X", "C:\\t", 1000), "");
}

TEST_F(FileUtilMockTest, UniqueNameUsesTheHostTemporaryDirectory)
{
    EXPECT_CALL(host_, GetTempPathSA(260u, _)).WillOnce(Invoke([](DWORD, char* buffer) {
        std::strcpy(buffer, "Z:\\tmp\\");
        return DWORD{7};
    }));
    EXPECT_CALL(host_, CreateFileS(_, _, _, _, 3u, _, _, _)).WillOnce(Return(INVALID_HANDLE_VALUE));
    EXPECT_CALL(host_, CreateFileS(StrEq("Z:\\tmp\\TYDQ_005.mdb"), _, _, _, static_cast<DWORD>(CREATE_NEW), _, _, _))
        .WillOnce(Return(kHandle));
    EXPECT_STREQ(CreateUniqueName("TYDQ_", ".mdb", 5), "Z:\\tmp\\TYDQ_005.mdb");

    // A host that fails, or needs more room than the buffer has, gives the empty name.
    EXPECT_CALL(host_, GetTempPathSA(_, _)).WillOnce(Return(DWORD{0})).WillOnce(Return(DWORD{300}));
    EXPECT_STREQ(CreateUniqueName("TYDQ_", "mdb", 1), "");
    EXPECT_STREQ(CreateUniqueName("TYDQ_", "mdb", 1), "");
}

TEST_F(FileUtilMockTest, AcquisitionNamesTakeTheFirstFreeLetterOfOneNumber)
{
    EXPECT_CALL(host_, DirectoryExists(StrEq("C:\\t\\TEMPACQ005A.RAW"))).WillOnce(Return(1));
    EXPECT_CALL(host_, DirectoryExists(StrEq("C:\\t\\TEMPACQ005B.RAW"))).WillOnce(Return(0));
    EXPECT_STREQ(CreateAcqFileName("TEMPACQ", "C:\\t", 5), "C:\\t\\TEMPACQ005B.RAW");

    // All of A to Y taken: no name, although number 6 is free; Z is never tried.
    std::vector<std::string> tried;
    EXPECT_CALL(host_, DirectoryExists(_)).WillRepeatedly(Invoke([&](const char* path) {
        tried.emplace_back(path);
        return 1;
    }));
    EXPECT_STREQ(CreateAcqFileName("TEMPACQ", "C:\\t", 5), "");
    ASSERT_EQ(tried.size(), 25u);
    EXPECT_EQ(tried.back(), "C:\\t\\TEMPACQ005Y.RAW");
}

TEST_F(FileUtilMockTest, DeleteTempFilesWidensExtensionsExceptProjectsAndEmptiesTheRegistry)
{
    EXPECT_EQ(AddToTempFiles("C:\\t\\TYPQ_001.mdb"), 1);
    EXPECT_EQ(AddToTempFiles("C:\\t\\TYPQ_001.mdb"), 1);
    AddToTempFiles("C:\\p\\Study.PRO");
    AddToTempFiles("C:\\t\\noext");
    AddToTempFiles("C:\\d.x\\file");
    AddToTempFiles("C:/d.x/file.ldb");
    std::vector<std::string> patterns;
    EXPECT_CALL(host_, FindFirstFileSA(_, _)).WillRepeatedly(Invoke([&](const char* pattern, WIN32_FIND_DATAA& found) {
        patterns.emplace_back(pattern);
        // Only the project matches: the others find nothing, which makes the result 0.
        if (patterns.back() != "C:\\p\\Study.PRO")
            return INVALID_HANDLE_VALUE;
        std::strcpy(found.cFileName, "Study.PRO");
        return kHandle;
    }));
    EXPECT_CALL(host_, DeleteFileS(StrEq("C:\\p\\Study.PRO"))).WillOnce(Return(TRUE));
    EXPECT_CALL(host_, FindCloseS(kHandle)).WillOnce(Return(TRUE));
    EXPECT_EQ(DeleteTempFiles(), 0);
    EXPECT_EQ(patterns, (std::vector<std::string>{"C:\\t\\TYPQ_001.*", "C:\\t\\TYPQ_001.*", "C:\\p\\Study.PRO",
                                                  "C:\\t\\noext", "C:\\d.x\\file", "C:/d.x/file.*"}));
    patterns.clear();
    EXPECT_EQ(DeleteTempFiles(), 1);
    EXPECT_TRUE(patterns.empty());
}

TEST_F(FileUtilMockTest, DeleteWithWildsDeletesEveryMatchInThePatternsDirectory)
{
    const char* names[] = {"TYPQ_001.mdb", "TYPQ_001.ldb"};
    int next = 0;
    auto fill = [&](WIN32_FIND_DATAA& found) { std::strcpy(found.cFileName, names[next++]); };
    // Any other pattern finds nothing.
    EXPECT_CALL(host_, FindFirstFileSA(_, _)).WillRepeatedly(Return(INVALID_HANDLE_VALUE));
    EXPECT_CALL(host_, FindFirstFileSA(StrEq("C:\\t\\TYPQ_001.*"), _)).WillOnce(Invoke([&](auto, auto& found) {
        fill(found);
        return kHandle;
    }));
    EXPECT_CALL(host_, FindNextFileSA(kHandle, _))
        .WillOnce(Invoke([&](auto, auto& found) {
            fill(found);
            return TRUE;
        }))
        .WillOnce(Return(FALSE));
    // A delete that fails does not change the result.
    EXPECT_CALL(host_, DeleteFileS(StrEq("C:\\t\\TYPQ_001.mdb"))).WillOnce(Return(FALSE));
    EXPECT_CALL(host_, DeleteFileS(StrEq("C:\\t\\TYPQ_001.ldb"))).WillOnce(Return(TRUE));
    EXPECT_CALL(host_, FindCloseS(kHandle)).WillOnce(Return(TRUE));
    EXPECT_EQ(DeleteWithWilds("C:\\t\\TYPQ_001.*"), 1);

    // Nothing found, and a pattern too long to split safely, both give 0.
    EXPECT_EQ(DeleteWithWilds("C:\\t\\none.*"), 0);
    EXPECT_CALL(host_, FindFirstFileSA(_, _)).Times(0);
    EXPECT_EQ(DeleteWithWilds(CString(("C:\\" + std::string(258, 'd') + "\\x.*").c_str())), 0);
    // Short enough as a whole, but its directory would be cut by the split: refused too.
    EXPECT_EQ(DeleteWithWilds(CString(("C:\\" + std::string(254, 'd') + "\\x").c_str())), 0);
}

TEST_F(FileUtilMockTest, DeleteTempDirsRefreshesTheSystemListThenErasesEachOnce)
{
    EXPECT_EQ(AddToTempDirs("C:\\t\\TEMPACQ001A.RAW"), 1);
    EXPECT_EQ(AddToTempDirs("c:\\T\\tempacq001a.raw"), 0);
    EXPECT_EQ(AddToTempDirs("C:\\t\\TEMPACQ001B.RAW"), 1);
    EXPECT_EQ(AddToTempDirs(CString(("C:\\" + std::string(1030, 'd') + ".RAW").c_str())), 1);
    {
        InSequence order;
        EXPECT_CALL(host_, RefreshSystemList()).WillOnce(Return(1));
        EXPECT_CALL(host_, RawFileErase(StrEq("C:\\t\\TEMPACQ001A.RAW"))).WillOnce(Return(0));
        EXPECT_CALL(host_, RawFileErase(StrEq("C:\\t\\TEMPACQ001B.RAW"))).WillOnce(Return(0));
    }
    // The over-long entry never reaches the host's 1024-character buffer, and counts as failed.
    EXPECT_EQ(DeleteTempDirs(), 0);

    EXPECT_CALL(host_, RefreshSystemList()).WillOnce(Return(1));
    EXPECT_CALL(host_, RawFileErase(_)).Times(0);
    EXPECT_EQ(DeleteTempDirs(), 1);

    AddToTempDirs("C:\\t\\A.RAW");
    AddToTempDirs("C:\\t\\B.RAW");
    EXPECT_CALL(host_, RefreshSystemList()).WillOnce(Return(1));
    EXPECT_CALL(host_, RawFileErase(StrEq("C:\\t\\A.RAW"))).WillOnce(Return(-1));
    EXPECT_CALL(host_, RawFileErase(StrEq("C:\\t\\B.RAW"))).WillOnce(Return(0));
    EXPECT_EQ(DeleteTempDirs(), 0);
}

// ---- On the Kelvane stand-in -------------------------------------------------------------------------

class FileUtilStandInTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        clearRegistries();
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
        // The host's temporary directory is $TMPDIR: point it into the test's directory.
        fs::create_directory(dir_.file("tmp"));
        const char* old = std::getenv("TMPDIR");
        oldTmp_ = old ? old : "";
        hadTmp_ = old != nullptr;
        setenv("TMPDIR", dir_.file("tmp").c_str(), 1);
    }
    void TearDown() override
    {
        DeleteTempFiles();
        DeleteTempDirs();
        kelvane::uninstall();
        if (hadTmp_)
            setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    std::string host(const std::string& relative) const
    {
        std::string path = "C:\\" + relative;
        return path;
    }
    bool exists(const std::string& relative) const
    {
        return fs::exists(dir_.file(relative));
    }

    testkit::TempDir dir_;
    std::string oldTmp_;
    bool hadTmp_ = false;
};

TEST_F(FileUtilStandInTest, UniqueNamesInTheTemporaryDirectoryAreCreatedInTurn)
{
    const std::string first = CreateUniqueName("TYPQ_", "mdb", 1);
    EXPECT_EQ(first, platform::hostTemporaryDirectory() + "TYPQ_001.mdb");
    EXPECT_TRUE(exists("tmp/TYPQ_001.mdb"));
    EXPECT_EQ(fs::file_size(dir_.file("tmp/TYPQ_001.mdb")), 0u);
    EXPECT_EQ(std::string(CreateUniqueName("TYPQ_", ".mdb", 1)), platform::hostTemporaryDirectory() + "TYPQ_002.mdb");
    EXPECT_TRUE(exists("tmp/TYPQ_002.mdb"));
}

TEST_F(FileUtilStandInTest, UniqueNamesFillADirectoryUpTo999)
{
    fs::create_directory(dir_.file("Acqudb"));
    for (int n = 1; n <= 997; ++n)
    {
        char name[32];
        std::snprintf(name, sizeof name, "Acqudb/m_%03d.MDB", n); // other case than asked for
        testkit::writeText(dir_.file(name), "");
    }
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\Acqudb", "m_", "mdb", 1), "C:\\Acqudb\\m_998.mdb");
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\acqudb", "m_", "mdb", 990), "C:\\acqudb\\m_999.mdb");
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\Acqudb", "m_", "mdb", 1), "");
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\Acqudb", "m_", "mdb", 999), "");
}

TEST_F(FileUtilStandInTest, AFileHeldOpenIsNeitherChosenNorEmptied)
{
    testkit::writeText(dir_.file("X001.mdb"), "in use");
    const HANDLE held = CFileAccess::CreateFileS("C:\\X001.mdb", GENERIC_READ | GENERIC_WRITE, 3, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr, 1);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileExists("C:\\X001.mdb"), 0);
    EXPECT_EQ(DirectoryExists(CString("C:\\X001.mdb")), 1);
    EXPECT_STREQ(CreateUniqueNameInDir("C:", "X", "mdb", 1), "C:\\X002.mdb");
    EXPECT_EQ(testkit::readText(dir_.file("X001.mdb")), "in use");
    CFileAccess::CloseHandleS(held);
    EXPECT_EQ(FileExists("C:\\X001.mdb"), 1);
}

TEST_F(FileUtilStandInTest, ExistenceTestsOnRealFilesAndDirectories)
{
    fs::create_directory(dir_.file("Data"));
    testkit::writeText(dir_.file("Data/list.spl"), "");
    struct Case
    {
        const char* path;
        int file;
        int directory;
    };
    const Case cases[] = {
        {"C:\\Data\\list.spl", 1, 1}, {"C:\\DATA\\LIST.SPL", 1, 1}, {"C:\\Data", 0, 1},
        {"C:\\Data\\none.spl", 0, 0}, {"C:\\None\\list.spl", 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileExists(c.path), c.file);
        EXPECT_EQ(DirectoryExists(CString(c.path)), c.directory);
    }
}

TEST_F(FileUtilStandInTest, TemporaryFilesGoWithTheirSiblingsAndAMissingOneStopsNothing)
{
    for (const char* name :
         {"tmp/TYPQ_001.mdb", "tmp/typq_001.LDB", "tmp/TYPQ_0010.mdb", "tmp/TYDQ_001.mdb", "tmp/keep.txt"})
        testkit::writeText(dir_.file(name), "");
    const std::string temp = platform::hostTemporaryDirectory();
    AddToTempFiles((temp + "TYPQ_002.mdb").c_str()); // another process already deleted it
    AddToTempFiles((temp + "TYPQ_001.mdb").c_str());
    AddToTempFiles((temp + "TYDQ_001.mdb").c_str());
    // One of them goes behind the registry's back before the clean-up, too.
    fs::remove(dir_.file("tmp/TYDQ_001.mdb"));

    EXPECT_EQ(DeleteTempFiles(), 0); // two registered files were not found
    EXPECT_FALSE(exists("tmp/TYPQ_001.mdb"));
    EXPECT_FALSE(exists("tmp/typq_001.LDB"));
    EXPECT_TRUE(exists("tmp/TYPQ_0010.mdb"));
    EXPECT_TRUE(exists("tmp/keep.txt"));
    EXPECT_EQ(DeleteTempFiles(), 1);
}

TEST_F(FileUtilStandInTest, WildcardDeletionLeavesDirectoriesAndOtherNames)
{
    fs::create_directory(dir_.file("w"));
    fs::create_directory(dir_.file("w/a1.sub"));
    for (const char* name : {"w/a1.txt", "w/A2.TXT", "w/b1.txt", "w/a10.txt"})
        testkit::writeText(dir_.file(name), "");
    EXPECT_EQ(DeleteWithWilds("C:\\W\\a?.*"), 1);
    EXPECT_FALSE(exists("w/a1.txt"));
    EXPECT_FALSE(exists("w/A2.TXT"));
    EXPECT_TRUE(exists("w/b1.txt"));
    EXPECT_TRUE(exists("w/a10.txt"));
    EXPECT_TRUE(exists("w/a1.sub"));
    EXPECT_EQ(DeleteWithWilds("C:\\w\\zz*"), 0);
}

TEST_F(FileUtilStandInTest, AcquisitionDirectoriesAreNamedRegisteredOnceAndErased)
{
    const std::string temp = platform::hostTemporaryDirectory();
    std::string dir = temp;
    dir.pop_back();
    fs::create_directory(dir_.file("tmp/TEMPACQ005A.RAW"));
    const std::string name = CreateAcqFileName("TEMPACQ", dir.c_str(), 5);
    EXPECT_EQ(name, temp + "TEMPACQ005B.RAW");
    EXPECT_FALSE(exists("tmp/TEMPACQ005B.RAW")); // nothing is created

    fs::create_directories(dir_.file("tmp/TEMPACQ005A.RAW/inner"));
    testkit::writeText(dir_.file("tmp/TEMPACQ005A.RAW/inner/_FUNC001.DAT"), "x");
    EXPECT_EQ(AddToTempDirs((temp + "TEMPACQ005A.RAW").c_str()), 1);
    EXPECT_EQ(AddToTempDirs((temp + "tempacq005a.raw").c_str()), 0);
    EXPECT_EQ(DeleteTempDirs(), 1);
    EXPECT_FALSE(exists("tmp/TEMPACQ005A.RAW"));
    EXPECT_TRUE(exists("tmp"));
}

TEST_F(FileUtilStandInTest, ARegisteredDirectoryNeverErasesAboveItself)
{
    fs::create_directories(dir_.file("Study.PRO/Data/x.RAW"));
    testkit::writeText(dir_.file("Study.PRO/keep.txt"), "k");
    AddToTempDirs(host("Study.PRO\\Data\\x.RAW\\..\\..").c_str());
    AddToTempDirs(host("Study.PRO\\Data\\x.RAW\\..").c_str());
    AddToTempDirs(host("Study.PRO").c_str());
    EXPECT_EQ(DeleteTempDirs(), 0);
    EXPECT_TRUE(exists("Study.PRO/keep.txt"));
    EXPECT_TRUE(exists("Study.PRO/Data/x.RAW"));
}
} // namespace
