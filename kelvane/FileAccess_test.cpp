// The stand-in's file access on a temporary data directory: dispositions and share modes of
// CreateFileS with the platform's error numbers, wildcard search, deletion, the directory test and
// the raw-data erase that never leaves the directory it was given.
#include "kelvane/KelvaneHost.h"
#include "platform/LastError.h"
#include "testing/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;
using testkit::writeText;

constexpr DWORD kRead = GENERIC_READ;
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kNormal = 0x80;
const char* const kMissing = "<missing>";

class FileAccessTest : public ::testing::Test
{
  protected:
    // Opens a file of the data directory (C:\) by its name there.
    HANDLE open(const std::string& name, DWORD access, DWORD share, DWORD disposition, DWORD flags = kNormal)
    {
        return host_.CreateFileS(("C:\\" + name).c_str(), access, share, nullptr, disposition, flags, nullptr, 1);
    }

    std::vector<std::string> find(const char* pattern)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found{};
        const HANDLE search = host_.FindFirstFileSA(pattern, found);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = host_.FindNextFileSA(search, found))
            names.emplace_back(found.cFileName);
        if (search != INVALID_HANDLE_VALUE)
        {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
            EXPECT_TRUE(host_.FindCloseS(search));
            EXPECT_FALSE(host_.FindCloseS(search));
        }
        return names;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
};

TEST_F(FileAccessTest, OpensAsThePlatformWithItsErrorNumbers)
{
    writeText(dir_.file("old.txt"), "old");
    writeText(dir_.file("Data.Txt"), "data");
    fs::create_directory(dir_.file("Sub"));
    struct Case
    {
        const char* name;
        const char* file;
        DWORD access, disposition, flags;
        DWORD error;              // ERROR_SUCCESS or ERROR_ALREADY_EXISTS: the open succeeds
        const char* contentAfter; // of the file by its own name; kMissing: must not exist; null: not checked
    };
    const Case cases[] = {
        {"create-new makes a missing file", "new1.txt", kReadWrite, CREATE_NEW, kNormal, ERROR_SUCCESS, ""},
        {"create-new refuses an existing file", "old.txt", kReadWrite, CREATE_NEW, kNormal, ERROR_FILE_EXISTS, "old"},
        {"open-existing of a missing file", "none.txt", kRead, OPEN_EXISTING, kNormal, ERROR_FILE_NOT_FOUND, kMissing},
        {"open-existing in a missing folder", "nodir/x.txt", kRead, OPEN_EXISTING, kNormal, ERROR_PATH_NOT_FOUND,
         kMissing},
        {"open-always makes a missing file", "new2.txt", kReadWrite, OPEN_ALWAYS, kNormal, ERROR_SUCCESS, ""},
        {"create-always empties a file", "old.txt", kReadWrite, CREATE_ALWAYS, kNormal, ERROR_ALREADY_EXISTS, ""},
        {"unknown disposition", "x.txt", kReadWrite, 9, kNormal, ERROR_INVALID_PARAMETER, kMissing},
        {"a name in another case opens the file", "DATA.TXT", kRead, OPEN_EXISTING, kNormal, ERROR_SUCCESS, nullptr},
        {"create-new of a name in another case", "data.txt", kReadWrite, CREATE_NEW, kNormal, ERROR_FILE_EXISTS,
         nullptr},
        {"a folder without backup semantics", "Sub", kRead, OPEN_EXISTING, kNormal, ERROR_ACCESS_DENIED, nullptr},
        {"a folder for writing", "Sub", kReadWrite, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, ERROR_ACCESS_DENIED,
         nullptr},
        {"a folder with backup semantics", "sub", kRead, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, ERROR_SUCCESS,
         nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SetLastError(12345);
        const HANDLE handle = open(c.file, c.access, 7, c.disposition, c.flags);
        EXPECT_EQ(handle != INVALID_HANDLE_VALUE, c.error == ERROR_SUCCESS || c.error == ERROR_ALREADY_EXISTS);
        EXPECT_EQ(GetLastError(), c.error);
        if (handle != INVALID_HANDLE_VALUE)
        {
            EXPECT_TRUE(host_.CloseHandleS(handle));
        }
        if (c.contentAfter == kMissing)
        {
            EXPECT_FALSE(fs::exists(dir_.file(c.file)));
        }
        else if (c.contentAfter)
        {
            EXPECT_EQ(readText(dir_.file(c.file)), c.contentAfter);
        }
    }
    EXPECT_FALSE(host_.CloseHandleS(reinterpret_cast<HANDLE>(0x7)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(host_.CloseHandleS(INVALID_HANDLE_VALUE));
}

TEST_F(FileAccessTest, ShareModesDecideWhetherASecondOpenIsAllowed)
{
    writeText(dir_.file("f.mdb"), "keep");
    struct Case
    {
        const char* name;
        DWORD firstAccess, firstShare, secondAccess, secondShare, secondDisposition;
        bool secondOpens;
    };
    const Case cases[] = {
        {"exclusive holder refuses a reader", kRead, 0, kRead, 7, OPEN_EXISTING, false},
        {"an attribute-only open passes an exclusive holder", kRead, 0, 0, 7, OPEN_EXISTING, true},
        {"two sharing readers", kRead, FILE_SHARE_READ, kRead, FILE_SHARE_READ, OPEN_EXISTING, true},
        {"reader not sharing write refuses a writer", kRead, FILE_SHARE_READ, kReadWrite, 3, OPEN_EXISTING, false},
        {"newcomer must share what the holder uses", kReadWrite, 3, kRead, FILE_SHARE_READ, OPEN_EXISTING, false},
        {"refused create-always truncates nothing", kRead, 0, kReadWrite, 3, CREATE_ALWAYS, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const HANDLE first = open("f.mdb", c.firstAccess, c.firstShare, OPEN_EXISTING);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        SetLastError(0);
        const HANDLE second = open("F.MDB", c.secondAccess, c.secondShare, c.secondDisposition);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
        EXPECT_EQ(GetLastError(), c.secondOpens ? 0u : static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (second != INVALID_HANDLE_VALUE)
        {
            EXPECT_TRUE(host_.CloseHandleS(second));
        }
        EXPECT_TRUE(host_.CloseHandleS(first));
        EXPECT_EQ(readText(dir_.file("f.mdb")), "keep");
    }
    const HANDLE again = open("f.mdb", kRead, 0, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "once closed, the file opens exclusively again";
    EXPECT_TRUE(host_.CloseHandleS(again));
}

TEST_F(FileAccessTest, AnotherProcessHoldingAFileExclusivelyIsASharingViolation)
{
    writeText(dir_.file("held.mdb"), "x");
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        // The child holds the file open without sharing until the parent has looked.
        const char status = open("held.mdb", kRead, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE ? 'n' : 'y';
        (void)!write(ready[1], &status, 1);
        char done;
        (void)!read(release[0], &done, 1);
        _exit(0);
    }
    char status = 0;
    ASSERT_EQ(read(ready[0], &status, 1), 1);
    EXPECT_EQ(status, 'y');
    EXPECT_EQ(open("held.mdb", kRead, 7, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(host_.DeleteFileS("C:\\held.mdb"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ASSERT_EQ(write(release[1], "x", 1), 1);
    waitpid(child, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);
    EXPECT_TRUE(host_.DeleteFileS("C:\\held.mdb")) << "the child's exit released its lock";
}

TEST_F(FileAccessTest, WildcardsMatchWithoutRegardToCase)
{
    for (const char* name : {"TYPQ_001.mdb", "typq_001.LDB", "TYPQ_001", "TYPQ_0010.mdb", "TYPQ_002.mdb", "other.txt"})
        writeText(dir_.file(name), "");
    fs::create_directory(dir_.file("Sub.dir"));
    struct Case
    {
        const char* pattern;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"C:\\TYPQ_001.*", {"TYPQ_001", "TYPQ_001.mdb", "typq_001.LDB"}},
        {"c:\\t?pq_00?.MDB", {"TYPQ_001.mdb", "TYPQ_002.mdb"}},
        {"C:\\*.dir", {"Sub.dir"}},
        {"C:/other.txt", {"other.txt"}},
        {"C:\\*",
         {"Sub.dir", "TYPQ_001", "TYPQ_001.mdb", "TYPQ_0010.mdb", "TYPQ_002.mdb", "other.txt", "typq_001.LDB"}},
        {"C:\\", {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(find(c.pattern), c.names);
    }
    WIN32_FIND_DATAA found{};
    EXPECT_EQ(host_.FindFirstFileSA("C:\\nothing*", found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(host_.FindFirstFileSA("C:\\missing\\*", found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    const HANDLE search = host_.FindFirstFileSA("C:\\*.dir", found);
    EXPECT_EQ(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    host_.FindCloseS(search);
}

TEST_F(FileAccessTest, DeleteRemovesFilesButNotDirectoriesOrFilesInUse)
{
    for (const char* name : {"a.mdb", "b.mdb", "target.txt"})
        writeText(dir_.file(name), "kept");
    fs::create_directory(dir_.file("Dir"));
    fs::create_symlink(dir_.file("target.txt"), dir_.file("link.txt"));

    EXPECT_TRUE(host_.DeleteFileS("C:\\A.MDB"));
    EXPECT_FALSE(fs::exists(dir_.file("a.mdb")));
    EXPECT_FALSE(host_.DeleteFileS("C:\\a.mdb"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(host_.DeleteFileS("C:\\Dir"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::exists(dir_.file("Dir")));
    EXPECT_TRUE(host_.DeleteFileS("C:\\link.txt"));
    EXPECT_EQ(readText(dir_.file("target.txt")), "kept");

    HANDLE handle = open("b.mdb", kRead, 3, OPEN_EXISTING);
    EXPECT_FALSE(host_.DeleteFileS("C:\\b.mdb"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    host_.CloseHandleS(handle);
    handle = open("b.mdb", kRead, 7, OPEN_EXISTING);
    EXPECT_TRUE(host_.DeleteFileS("C:\\b.mdb"));
    host_.CloseHandleS(handle);
}

TEST_F(FileAccessTest, DirectoryTestTemporaryPathAndSystemListRefresh)
{
    fs::create_directory(dir_.file("Acqudb"));
    writeText(dir_.file("file.txt"), "");
    EXPECT_EQ(host_.DirectoryExists("C:\\acqudb"), 1);
    EXPECT_EQ(host_.DirectoryExists("C:\\Acqudb\\"), 1);
    EXPECT_EQ(host_.DirectoryExists("C:\\file.txt"), 0);
    EXPECT_EQ(host_.DirectoryExists("C:\\missing"), 0);

    const std::string expected = platform::hostTemporaryDirectory();
    char buffer[MAX_PATH];
    EXPECT_EQ(host_.GetTempPathSA(MAX_PATH, buffer), expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    char small[2] = {'z', 'z'};
    EXPECT_EQ(host_.GetTempPathSA(sizeof small, small), expected.size() + 1);
    EXPECT_EQ(small[0], 'z') << "a buffer too small is left alone";

    EXPECT_EQ(host_.RefreshSystemList(), 1);
    writeText(dir_.file("SystemList.ini"), "[SystemList]\n");
    EXPECT_EQ(host_.RefreshSystemList(), 1);
}

TEST_F(FileAccessTest, RawFileEraseRemovesTheRawDirectoryAndAllInItButNeverMore)
{
    const std::string raw = dir_.file("Study.PRO/Data/s1.RAW");
    fs::create_directories(raw + "/inner/deeper");
    writeText(raw + "/_FUNC001.DAT", "data");
    writeText(raw + "/inner/deeper/x", "data");
    // A link inside points out of the raw data: the link goes, what it points at stays.
    fs::create_directory(dir_.file("outside"));
    writeText(dir_.file("outside/precious"), "p");
    fs::create_directory_symlink(dir_.file("outside"), raw + "/inner/escape");
    writeText(dir_.file("Study.PRO/keep.txt"), "k");
    writeText(dir_.file("file.RAW"), "not a directory");
    fs::create_directory_symlink(dir_.file("Study.PRO"), dir_.file("link.RAW"));
    for (const char* path : {"C:\\Study.PRO\\Data\\s1.RAW\\..", "C:\\Study.PRO\\Data\\s1.RAW\\..\\..",
                             "C:\\Study.PRO\\Data\\..\\Data\\s1.RAW", "C:\\Study.PRO\\Data\\.\\s1.RAW",
                             "C:\\Study.PRO\\Data\\s1.RAW\\..\\x.RAW", "C:\\Study.PRO", "C:\\", "C:", "s1.RAW",
                             "C:\\file.RAW", "C:\\link.RAW", ""})
    {
        SCOPED_TRACE(path);
        EXPECT_NE(host_.RawFileErase(path), 0);
    }
    EXPECT_EQ(readText(dir_.file("Study.PRO/keep.txt")), "k");
    EXPECT_EQ(readText(raw + "/_FUNC001.DAT"), "data");
    EXPECT_EQ(readText(dir_.file("file.RAW")), "not a directory");

    // The case of the name and a trailing separator are no obstacle.
    EXPECT_EQ(host_.RawFileErase("C:\\Study.PRO\\Data\\s1.raw\\"), 0);
    EXPECT_FALSE(fs::exists(raw));
    EXPECT_TRUE(fs::exists(dir_.file("Study.PRO/Data")));
    EXPECT_EQ(readText(dir_.file("outside/precious")), "p");
    EXPECT_NE(host_.RawFileErase("C:\\Study.PRO\\Data\\s1.RAW"), 0);
}
} // namespace
