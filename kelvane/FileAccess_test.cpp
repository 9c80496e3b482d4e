// The stand-in's file access on a temporary data directory: dispositions and share modes of
// CreateFileS with the platform's error numbers, wildcard search, deletion, the directory test and
// the raw-data erase that never leaves the directory it was given.
#include "kelvane/KelvaneHost.h"
#include "platform/LastError.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;
using testkit::writeText;

class FileAccessTest : public ::testing::Test
{
  protected:
    // A file of the data directory (C:\) by its host path.
    static std::string host(const std::string& name)
    {
        return "C:\\" + name;
    }

    HANDLE open(const std::string& name, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0x80)
    {
        return host_.CreateFileS(host(name).c_str(), access, share, nullptr, disposition, flags, nullptr, 1);
    }

    std::vector<std::string> find(const std::string& pattern)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found{};
        const HANDLE search = host_.FindFirstFileSA(pattern.c_str(), found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.emplace_back(found.cFileName);
        while (host_.FindNextFileSA(search, found));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(host_.FindCloseS(search));
        return names;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
};

constexpr DWORD kRead = GENERIC_READ;
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

TEST_F(FileAccessTest, DispositionsCreateOpenAndTruncateAsThePlatform)
{
    writeText(dir_.file("old.txt"), "old");
    struct Case
    {
        const char* name;
        const char* file;
        DWORD disposition;
        bool opens;
        DWORD error;
        const char* contentAfter; // null: the file must not exist afterwards
    };
    const Case cases[] = {
        {"create-new makes a missing file", "new1.txt", CREATE_NEW, true, ERROR_SUCCESS, ""},
        {"create-new refuses an existing file", "old.txt", CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
        {"open-existing of a missing file", "none.txt", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"open-existing in a missing directory", "nodir\\x.txt", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND, nullptr},
        {"create-new in a missing directory", "nodir\\x.txt", CREATE_NEW, false, ERROR_PATH_NOT_FOUND, nullptr},
        {"open-always makes a missing file", "new2.txt", OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
        {"create-always empties an existing file", "old.txt", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
        {"unknown disposition", "x.txt", 9, false, ERROR_INVALID_PARAMETER, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SetLastError(12345);
        const HANDLE handle = open(c.file, kReadWrite, 0, c.disposition);
        EXPECT_EQ(handle != INVALID_HANDLE_VALUE, c.opens);
        EXPECT_EQ(GetLastError(), c.error);
        if (handle != INVALID_HANDLE_VALUE)
        {
            EXPECT_TRUE(host_.CloseHandleS(handle));
        }
        std::string posix = dir_.file(c.file);
        std::replace(posix.begin(), posix.end(), '\\', '/');
        if (c.contentAfter)
        {
            EXPECT_EQ(readText(posix), c.contentAfter);
        }
        else
        {
            EXPECT_FALSE(fs::exists(posix));
        }
    }
}

TEST_F(FileAccessTest, ExistingNamesAreFoundWhateverTheirCase)
{
    writeText(dir_.file("Data.Txt"), "x");
    const HANDLE handle = open("DATA.TXT", kRead, 0, OPEN_EXISTING);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(host_.CloseHandleS(handle));
    EXPECT_EQ(open("data.txt", kReadWrite, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

TEST_F(FileAccessTest, DirectoriesOpenOnlyWithBackupSemantics)
{
    fs::create_directory(dir_.file("Sub"));
    EXPECT_EQ(open("Sub", kRead, 7, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(open("Sub", kReadWrite, 7, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS), INVALID_HANDLE_VALUE);
    const HANDLE handle = open("sub", kRead, 7, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(host_.CloseHandleS(handle));
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
        const HANDLE second = open("F.MDB", c.secondAccess, c.secondShare, c.secondDisposition);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
        if (second == INVALID_HANDLE_VALUE)
        {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        else
        {
            EXPECT_TRUE(host_.CloseHandleS(second));
        }
        EXPECT_TRUE(host_.CloseHandleS(first));
        EXPECT_EQ(readText(dir_.file("f.mdb")), "keep");
    }
    // Once closed, the file opens exclusively again.
    const HANDLE again = open("f.mdb", kRead, 0, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
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
        const HANDLE handle = open("held.mdb", kRead, 0, OPEN_EXISTING);
        const char status = handle == INVALID_HANDLE_VALUE ? 'n' : 'y';
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
    EXPECT_FALSE(host_.DeleteFileS(host("held.mdb").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ASSERT_EQ(write(release[1], "x", 1), 1);
    int exitStatus = 0;
    waitpid(child, &exitStatus, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);
    // The child's exit released its lock.
    EXPECT_TRUE(host_.DeleteFileS(host("held.mdb").c_str()));
}

TEST_F(FileAccessTest, CloseHandleRefusesUnknownHandles)
{
    EXPECT_FALSE(host_.CloseHandleS(reinterpret_cast<HANDLE>(0x7)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(host_.CloseHandleS(INVALID_HANDLE_VALUE));
}

TEST_F(FileAccessTest, TemporaryPathIsTheHostTemporaryDirectory)
{
    const std::string expected = platform::hostTemporaryDirectory();
    char buffer[MAX_PATH];
    EXPECT_EQ(host_.GetTempPathSA(MAX_PATH, buffer), expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(expected.back(), '\\');
    char small[2] = {'z', 'z'};
    EXPECT_EQ(host_.GetTempPathSA(sizeof small, small), expected.size() + 1);
    EXPECT_EQ(small[0], 'z'); // a buffer too small is left alone
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
        {"C:\\nothing*", {}},
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
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(host_.FindCloseS(search));
    EXPECT_FALSE(host_.FindCloseS(search));
}

TEST_F(FileAccessTest, DeleteRemovesFilesButNotDirectoriesOrFilesInUse)
{
    writeText(dir_.file("a.mdb"), "");
    writeText(dir_.file("b.mdb"), "");
    writeText(dir_.file("target.txt"), "kept");
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

TEST_F(FileAccessTest, DirectoryExistsOnlyForDirectories)
{
    fs::create_directory(dir_.file("Acqudb"));
    writeText(dir_.file("file.txt"), "");
    EXPECT_EQ(host_.DirectoryExists("C:\\acqudb"), 1);
    EXPECT_EQ(host_.DirectoryExists("C:\\Acqudb\\"), 1);
    EXPECT_EQ(host_.DirectoryExists("C:\\file.txt"), 0);
    EXPECT_EQ(host_.DirectoryExists("C:\\missing"), 0);
    EXPECT_EQ(host_.DirectoryExists(""), 0);
}

TEST_F(FileAccessTest, RawFileEraseRemovesTheRawDirectoryAndAllInIt)
{
    const std::string raw = dir_.file("TEMPACQ001A.RAW");
    fs::create_directories(raw + "/inner/deeper");
    writeText(raw + "/_FUNC001.DAT", "data");
    writeText(raw + "/inner/deeper/x", "data");
    // A link inside points out of the raw data: the link goes, what it points at stays.
    fs::create_directory(dir_.file("outside"));
    writeText(dir_.file("outside/precious"), "p");
    fs::create_directory_symlink(dir_.file("outside"), raw + "/inner/escape");

    EXPECT_EQ(host_.RawFileErase("C:\\tempacq001a.raw"), 0);
    EXPECT_FALSE(fs::exists(raw));
    EXPECT_EQ(readText(dir_.file("outside/precious")), "p");
    EXPECT_NE(host_.RawFileErase("C:\\TEMPACQ001A.RAW"), 0);
}

TEST_F(FileAccessTest, RawFileEraseRefusesAnythingButARawDirectoryNamedOutright)
{
    fs::create_directories(dir_.file("Study.PRO/Data/s1.RAW"));
    writeText(dir_.file("Study.PRO/Data/s1.RAW/f"), "");
    writeText(dir_.file("Study.PRO/keep.txt"), "k");
    writeText(dir_.file("file.RAW"), "not a directory");
    fs::create_directory_symlink(dir_.file("Study.PRO"), dir_.file("link.RAW"));
    const char* refused[] = {
        "C:\\Study.PRO\\Data\\s1.RAW\\..",
        "C:\\Study.PRO\\Data\\s1.RAW\\..\\..",
        "C:\\Study.PRO\\Data\\..\\Data\\s1.RAW",
        "C:\\Study.PRO\\Data\\.\\s1.RAW",
        "C:\\Study.PRO\\Data\\s1.RAW\\..\\x.RAW",
        "C:\\Study.PRO",
        "C:\\",
        "C:",
        "s1.RAW",
        "C:\\file.RAW",
        "C:\\link.RAW",
        "",
    };
    for (const char* path : refused)
    {
        SCOPED_TRACE(path);
        EXPECT_NE(host_.RawFileErase(path), 0);
    }
    EXPECT_EQ(readText(dir_.file("Study.PRO/keep.txt")), "k");
    EXPECT_TRUE(fs::exists(dir_.file("Study.PRO/Data/s1.RAW/f")));
    EXPECT_EQ(readText(dir_.file("file.RAW")), "not a directory");
    // The trailing separator a caller may leave is no obstacle.
    EXPECT_EQ(host_.RawFileErase("C:\\Study.PRO\\Data\\s1.RAW\\"), 0);
    EXPECT_TRUE(fs::exists(dir_.file("Study.PRO/Data")));
}

TEST_F(FileAccessTest, RefreshSystemListSucceedsWithOrWithoutTheFile)
{
    EXPECT_EQ(host_.RefreshSystemList(), 1);
    writeText(dir_.file("SystemList.ini"), "[SystemList]\n");
    EXPECT_EQ(host_.RefreshSystemList(), 1);
}
} // namespace
