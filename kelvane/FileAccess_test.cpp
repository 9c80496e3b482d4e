// The stand-in's file access on a temporary data directory: dispositions and share modes of
// CreateFileS with the platform's error numbers, wildcard search, deletion, the directory test and
// the raw-data erase that never leaves the directory it was given.
#include "kelvane/KelvaneHost.h"
#include "platform/LastError.h"
#include "testing/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;
using testkit::writeText;

constexpr DWORD kRead = GENERIC_READ;
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

class FileAccessTest : public ::testing::Test
{
  protected:
    // Opens a file of the data directory (C:\) by its name there.
    HANDLE open(const std::string& name, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0x80)
    {
        return host_.CreateFileS(("C:\\" + name).c_str(), access, share, nullptr, disposition, flags, nullptr, 1);
    }
    // What DeleteFileS did: "deleted " or "error N " with the last error it left.
    std::string erase(const char* path)
    {
        return host_.DeleteFileS(path) ? "deleted " : "error " + std::to_string(GetLastError()) + " ";
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
};

// Each open leaves the last error given; the file's content after it follows ("-": no file).
TEST_F(FileAccessTest, OpensAsThePlatformWithItsErrorNumbers)
{
    writeText(dir_.file("old.txt"), "old");
    writeText(dir_.file("Data.Txt"), "data");
    fs::create_directory(dir_.file("Sub"));
    // Links planted under names the host is asked to write: never written through.
    writeText(dir_.file("target.txt"), "keep");
    fs::create_symlink(dir_.file("target.txt"), dir_.file("link.txt"));
    fs::create_symlink(dir_.file("planted.txt"), dir_.file("dangling.txt"));
    const std::tuple<const char*, DWORD, DWORD, DWORD, const char*> cases[] = {
        {"new1.txt", kReadWrite, CREATE_NEW, 0x80, "0 "},
        {"old.txt", kReadWrite, CREATE_NEW, 0x80, "80 old"},
        {"old.txt", kReadWrite, 0, 0x80, "87 old"}, // no such disposition, either side of the five
        {"old.txt", kReadWrite, 6, 0x80, "87 old"},
        {"none.txt", kRead, OPEN_EXISTING, 0x80, "2 -"},
        {"nodir/x.txt", kRead, OPEN_EXISTING, 0x80, "3 -"},
        {"new2.txt", kReadWrite, OPEN_ALWAYS, 0x80, "0 "},
        {"old.txt", kReadWrite, CREATE_ALWAYS, 0x80, "183 "}, // emptied
        {"DATA.TXT", kRead, OPEN_EXISTING, 0x80, "0 -"},      // a name in another case: no second file
        {"data.txt", kReadWrite, CREATE_NEW, 0x80, "80 -"},
        {"Sub", kRead, OPEN_EXISTING, 0x80, "5 -"}, // a folder needs backup semantics, and only for reading
        {"Sub", kReadWrite, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, "5 -"},
        {"sub", kRead, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, "0 -"},
        {"link.txt", kRead, OPEN_EXISTING, 0x80, "0 keep"}, // reading through a link is allowed
        {"link.txt", kReadWrite, OPEN_EXISTING, 0x80, "5 keep"},
        {"link.txt", kReadWrite, CREATE_ALWAYS, 0x80, "5 keep"},
        {"dangling.txt", kReadWrite, OPEN_ALWAYS, 0x80, "5 -"},
    };
    for (const auto& [file, access, disposition, flags, expected] : cases)
    {
        SCOPED_TRACE(file);
        SetLastError(12345);
        const HANDLE handle = open(file, access, 7, disposition, flags);
        const DWORD error = GetLastError();
        EXPECT_EQ(handle != INVALID_HANDLE_VALUE, error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS);
        EXPECT_TRUE(handle == INVALID_HANDLE_VALUE || host_.CloseHandleS(handle));
        const bool there = fs::is_regular_file(dir_.file(file));
        EXPECT_EQ(std::to_string(error) + " " + (there ? readText(dir_.file(file)) : "-"), expected);
    }
    EXPECT_FALSE(fs::exists(dir_.file("planted.txt"))) << "a dangling link was followed to make its target";
}

// A second open, by a name in another case, while the first is held; a refused one truncates nothing.
TEST_F(FileAccessTest, ShareModesDecideWhetherASecondOpenOrADeleteIsAllowed)
{
    writeText(dir_.file("f.mdb"), "keep");
    const std::tuple<DWORD, DWORD, DWORD, DWORD, DWORD, DWORD> cases[] = { // the error is the second open's
        {kRead, 0, kRead, 7, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
        {kRead, 0, 0, 7, OPEN_EXISTING, 0}, // an attribute-only open passes an exclusive holder
        {kRead, FILE_SHARE_READ, kRead, FILE_SHARE_READ, OPEN_EXISTING, 0},
        {kRead, FILE_SHARE_READ, kReadWrite, 3, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
        {kReadWrite, 3, kRead, FILE_SHARE_READ, OPEN_EXISTING, ERROR_SHARING_VIOLATION}, // must share what is used
        {kRead, 0, kReadWrite, 3, CREATE_ALWAYS, ERROR_SHARING_VIOLATION},
    };
    for (const auto& [firstAccess, firstShare, secondAccess, secondShare, secondDisposition, error] : cases)
    {
        SCOPED_TRACE(::testing::Message() << firstShare << " then " << secondAccess << " sharing " << secondShare);
        const HANDLE first = open("f.mdb", firstAccess, firstShare, OPEN_EXISTING);
        SetLastError(0);
        const HANDLE second = open("F.MDB", secondAccess, secondShare, secondDisposition);
        EXPECT_EQ(GetLastError(), error);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, error == 0);
        EXPECT_TRUE(second == INVALID_HANDLE_VALUE || host_.CloseHandleS(second));
        EXPECT_TRUE(host_.CloseHandleS(first));
        EXPECT_EQ(readText(dir_.file("f.mdb")), "keep");
    }
    // A link is deleted, not what it points at; a file open without delete sharing is not.
    for (const char* name : {"a.mdb", "b.mdb", "target.txt"})
        writeText(dir_.file(name), "kept");
    fs::create_directory(dir_.file("Dir"));
    fs::create_symlink(dir_.file("target.txt"), dir_.file("link.txt"));
    std::string seen;
    for (const char* path : {"C:\\A.MDB", "C:\\a.mdb", "C:\\Dir", "C:\\link.txt"})
        seen += erase(path);
    HANDLE handle = open("b.mdb", kRead, 3, OPEN_EXISTING);
    seen += erase("C:\\b.mdb");
    host_.CloseHandleS(handle);
    handle = open("b.mdb", kRead, 7, OPEN_EXISTING);
    seen += erase("C:\\b.mdb");
    host_.CloseHandleS(handle);
    EXPECT_EQ(seen, "deleted error 2 error 5 deleted error 32 deleted ");
    EXPECT_EQ(readText(dir_.file("target.txt")) + std::to_string(fs::exists(dir_.file("Dir"))), "kept1");
}

// Another process holding a file exclusively refuses opens and deletion until it exits.
TEST_F(FileAccessTest, AnotherProcessHoldingAFileExclusivelyIsASharingViolation)
{
    writeText(dir_.file("held.mdb"), "x");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) // holds the file open without sharing until killed
    {
        (void)!write(ready[1], open("held.mdb", kRead, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE ? "n" : "y", 1);
        pause();
    }
    std::string seen(1, '?');
    ASSERT_EQ(read(ready[0], seen.data(), 1), 1);
    EXPECT_EQ(open("held.mdb", kRead, 7, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    seen += " " + std::to_string(GetLastError()) + " " + erase("C:\\held.mdb");
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(seen + erase("C:\\held.mdb"), "y 32 error 32 deleted ");
}

TEST_F(FileAccessTest, WildcardsMatchWithoutRegardToCase)
{
    // A name with a backslash could only be taken for a path by the host: it is never found.
    for (const char* name : {"TYPQ_001.mdb", "typq_001.LDB", "TYPQ_001", "TYPQ_0010.mdb", "TYPQ_002.mdb", "other.txt",
                             "TYPQ_001.\\..\\x", "a\\b"})
        writeText(dir_.file(name), "");
    fs::create_directory(dir_.file("Sub.dir"));
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\TYPQ_001.*", "TYPQ_001 TYPQ_001.mdb typq_001.LDB 18"},
        {"c:\\t?pq_00?.MDB", "TYPQ_001.mdb TYPQ_002.mdb 18"},
        {"C:\\*.dir", "Sub.dir/ 18"}, {"C:/other.txt", "other.txt 18"},
        {"C:\\*", "Sub.dir/ TYPQ_001 TYPQ_001.mdb TYPQ_0010.mdb TYPQ_002.mdb other.txt typq_001.LDB 18"},
        {"C:\\", "2"}, {"C:\\nothing*", "2"}, {"C:\\missing\\*", "3"},
    };
    for (const auto& [pattern, expected] : cases)
    {
        SCOPED_TRACE(pattern);
        std::string names; // "/" marks a directory; the last error ends the search
        WIN32_FIND_DATAA found{};
        const HANDLE search = host_.FindFirstFileSA(pattern, found);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = host_.FindNextFileSA(search, found))
            names += std::string(found.cFileName) + (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "/ " : " ");
        EXPECT_EQ(names + std::to_string(GetLastError()), expected);
        EXPECT_EQ(host_.FindCloseS(search), search != INVALID_HANDLE_VALUE);
        EXPECT_FALSE(host_.FindCloseS(search));
    }
}

TEST_F(FileAccessTest, DirectoryTestTemporaryPathAndSystemListRefresh)
{
    fs::create_directory(dir_.file("Acqudb"));
    writeText(dir_.file("file.txt"), "");
    EXPECT_EQ(host_.DirectoryExists("C:\\acqudb") + host_.DirectoryExists("C:\\Acqudb\\"), 2);
    EXPECT_EQ(host_.DirectoryExists("C:\\file.txt") + host_.DirectoryExists("C:\\missing"), 0);
    const std::string expected = platform::hostTemporaryDirectory();
    char buffer[MAX_PATH], small[2] = {'z', 'z'};
    EXPECT_EQ(host_.GetTempPathSA(MAX_PATH, buffer), expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(host_.GetTempPathSA(sizeof small, small), expected.size() + 1);
    EXPECT_EQ(small[0], 'z') << "a buffer too small is left alone";
    writeText(dir_.file("SystemList.ini"), "[SystemList]\n");
    EXPECT_EQ(host_.RefreshSystemList(), 1);
}

TEST_F(FileAccessTest, RawFileEraseRemovesTheRawDirectoryAndAllInItButNeverMore)
{
    const std::string raw = dir_.file("Study.PRO/Data/s1.RAW");
    fs::create_directories(raw + "/inner/deeper");
    fs::create_directory(dir_.file("outside"));
    for (const std::string& file : {raw + "/_FUNC001.DAT", raw + "/inner/deeper/x", dir_.file("outside/precious"),
                                    dir_.file("Study.PRO/keep.txt"), dir_.file("file.RAW")})
        writeText(file, "kept");
    // A link inside points out of the raw data: the link goes, what it points at stays.
    fs::create_directory_symlink(dir_.file("outside"), raw + "/inner/escape");
    fs::create_directory_symlink(dir_.file("Study.PRO"), dir_.file("link.RAW"));
    for (const char* path : {"C:\\Study.PRO\\Data\\s1.RAW\\..", "C:\\Study.PRO\\Data\\s1.RAW\\..\\..",
                             "C:\\Study.PRO\\Data\\..\\Data\\s1.RAW", "C:\\Study.PRO\\Data\\.\\s1.RAW",
                             "C:\\Study.PRO\\Data\\s1.RAW\\..\\x.RAW", "C:\\Study.PRO", "C:\\", "C:", "s1.RAW",
                             "C:\\file.RAW", "C:\\link.RAW", ""})
        EXPECT_NE(host_.RawFileErase(path), 0) << path;
    EXPECT_EQ(readText(dir_.file("Study.PRO/keep.txt")) + readText(raw + "/_FUNC001.DAT") +
                  readText(dir_.file("file.RAW")),
              "keptkeptkept");
    // The case of the name and a trailing separator are no obstacle.
    EXPECT_EQ(host_.RawFileErase("C:\\Study.PRO\\Data\\s1.raw\\"), 0);
    EXPECT_FALSE(fs::exists(raw));
    EXPECT_TRUE(fs::exists(dir_.file("Study.PRO/Data")));
    EXPECT_EQ(readText(dir_.file("outside/precious")), "kept");

    // Nor does a relative path reach what the current directory happens to hold.
    const std::string cwd = fs::current_path();
    fs::create_directories(dir_.file("work/x.RAW"));
    fs::create_directories(dir_.file("x.RAW"));
    fs::current_path(dir_.file("work"));
    for (const char* path : {"..\\x.RAW", ".\\x.RAW", "x.RAW\\..\\x.RAW", "work\\x.RAW", "C:x.RAW"})
        EXPECT_NE(host_.RawFileErase(path), 0) << path;
    fs::current_path(cwd);
    EXPECT_TRUE(fs::exists(dir_.file("x.RAW")) && fs::exists(dir_.file("work/x.RAW")));
}
} // namespace
