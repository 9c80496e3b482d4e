#include "platform/LastError.h"
#include "platform/Profile.h"
#include "testing/TempDir.h"

#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace
{
using testkit::readText;
using testkit::writeText;

class ProfileTest : public ::testing::Test
{
  protected:
    // The value GetPrivateProfileStringA gives; the fuzz target checks the buffer contract on every call.
    std::string get(const char* section, const char* key, const char* fallback = "<default>", DWORD size = 1024,
                    const char* file = "C:\\method.ini")
    {
        std::string buffer(size, '#');
        return buffer.substr(0, GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file));
    }

    BOOL put(const char* section, const char* key, const char* value, const char* file = "C:\\method.ini")
    {
        return WritePrivateProfileStringA(section, key, value, file);
    }

    testkit::TempDir dir_;
    const std::string file_ = dir_.file("method.ini");
};

TEST_F(ProfileTest, ReadsValuesAsThePlatformDoes)
{
    const std::string m =
        "; a method file\n[Tessaly Options]\nCone Voltage Min=10.00\n  Cone Voltage Max  =  50.00  \n"
        "Ion Mode=\"APcI\"\nSingle='x y'\nMismatched=\"abc'\nEmpty Quotes=\"\"\n"
        "Empty=\ndup=first\nDUP=second\nTab\tKey\t=\ttabbed\t\nEquals=a=b\n"
        "NoEquals\n;Comment=hidden\n[Other]\nCone Voltage Min=99\n[ Spaced Section ]\nk=spaced\n"
        "[tessaly options]\nLate=in the second section of the name\n[S]\nk=0123456789\nq=\"abcdef\"\n";
    const char* to = "Tessaly Options";
    struct Case
    {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        std::string expected;
        const char* fallback = "d";
        DWORD size = 1024;
    };
    const Case cases[] = {
        {"blanks around the asked names", m, "  Tessaly Options ", " Cone Voltage Max\t", "50.00"},
        {"double quotes dropped", m, to, "Ion Mode", "APcI"},
        {"single quotes dropped", m, to, "Single", "x y"},
        {"mismatched quotes kept", m, to, "Mismatched", "\"abc'"},
        {"empty quotes give empty", m, to, "Empty Quotes", ""},
        {"first of duplicated keys", m, to, "Dup", "first"},
        {"tabs are blanks", m, to, "Tab\tKey", "tabbed"},
        {"only the first section of a name", m, to, "Late", "d"},
        {"missing key", m, to, "Missing", "fallback", "fallback"},
        {"default loses trailing spaces only", m, "Nowhere", "k", "  a b", "  a b  "},
        {"no section", "k=v\nother=1\n", "S", "k", "d"},
        {"zero byte ends the value", std::string("[S]\nk=a\0b\n", 10), "S", "k", "a"},
        {"unclosed section header", "[S\nk=v\n", "S", "k", "d"},
        {"CR line ends", "[S]\rj=w\rk=v\r", "S", "k", "v"},
        {"cut to size 1", m, "S", "k", "", "", 1},
        {"cut by one", m, "S", "k", "012345678", "", 10},
        {"just fits", m, "S", "k", "0123456789", "", 11},
        {"cut default", m, "S", "missing", "fal", "fallback", 4},
        {"byte-order mark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        writeText(file_, c.text);
        EXPECT_EQ(get(c.section, c.key, c.fallback, c.size), c.expected);
    }
}

TEST_F(ProfileTest, FindsFilesWhateverTheirCaseAndReportsFailures)
{
    ASSERT_EQ(mkdir(dir_.file("Methods").c_str(), 0755), 0);
    writeText(dir_.file("Methods/Demo.TYM"), "[S]\nk=v\n");
    EXPECT_EQ(get("S", "k", "d", 64, "c:/METHODS/demo.tym"), "v");

    // A sparse file costs no disk space; its size alone puts it over the 16 MiB limit.
    ASSERT_EQ(mkdir(dir_.file("folder.ini").c_str(), 0755), 0);
    writeText(dir_.file("big.ini"), "[S]\nk=v\n");
    ASSERT_EQ(truncate(dir_.file("big.ini").c_str(), (off_t{16} << 20) + 1), 0);
    // Each file with what a write to it gives: 1 when written, else the last error.
    const std::pair<const char*, DWORD> files[] = {{"C:\\no dir\\absent.ini", ERROR_PATH_NOT_FOUND},
                                                   {"C:\\folder.ini", 0},
                                                   {"C:\\big.ini", 0},
                                                   {"C:\\new.ini", 1}};
    for (const auto& [file, result] : files)
    {
        EXPECT_EQ(get("S", "k", "none", 64, file), "none") << file;
        SetLastError(0);
        EXPECT_EQ(put("S", "k", "w", file) ? 1 : GetLastError(), result) << file;
    }
    EXPECT_EQ(get("S", "k", "none", 64, nullptr), "none");
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 10, "C:\\Methods\\Demo.TYM"), 0u);
    writeText(file_, "[S]\nk=v\n");
    EXPECT_TRUE(put(nullptr, nullptr, nullptr)) << "the platform's cache flush request";
    EXPECT_FALSE(put("S", "k", "v", nullptr));

    // The same value again leaves the file alone, as the platform does: same inode, no rename.
    struct stat status, again;
    ASSERT_EQ(stat(file_.c_str(), &status), 0);
    ASSERT_TRUE(put("S", "k", "v"));
    ASSERT_EQ(stat(file_.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, status.st_ino);

    // Removing from a file that does not exist has nothing to do and creates nothing.
    EXPECT_TRUE(put("S", "k", nullptr, "C:\\absent.ini"));
    EXPECT_NE(access(dir_.file("absent.ini").c_str(), F_OK), 0);
}

TEST_F(ProfileTest, ListsSectionAndKeyNames)
{
    // The result, then the buffer up to the byte after the list's final zero. A list that does not
    // fit is cut and ends in two zeros; size - 2 is returned.
    writeText(file_, "[One]\na=1\nbb=2\n[Two]\n[one]\nc=3\n");
    const std::tuple<const char*, DWORD, std::string> cases[] = {
        {nullptr, 64, std::string("12 One\0Two\0one\0\0#", 17)},
        {"ONE", 6, std::string("5 a\0bb\0\0#", 9)},
        {"One", 5, std::string("3 a\0b\0\0", 7)},
        {"One", 4, std::string("2 a\0\0\0", 6)},
        {"Missing", 64, std::string("0 \0#", 4)}};
    for (const auto& [section, size, expected] : cases)
    {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        const DWORD n = GetPrivateProfileStringA(section, nullptr, "d", buffer, size, "C:\\method.ini");
        EXPECT_EQ(std::to_string(n) + " " + std::string(buffer, n + 2), expected) << size;
    }
}

TEST_F(ProfileTest, SeesChangesMadeBehindItsBack)
{
    // Same inode, size and time: only the bytes tell the versions apart, so a cache that trusted
    // the file's status alone would return the old value. The time stays as a file system whose
    // clock ticks coarsely leaves it for two writes within one tick; on one that keeps whole
    // seconds it can be most of a second old and still be the time of the next write.
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    for (const long nanoseconds : {now.tv_nsec, 0L})
        for (const char* value : {"one", "two"})
        {
            writeText(file_, std::string("[S]\nk=") + value + "\n");
            const timespec times[2] = {{now.tv_sec, nanoseconds}, {now.tv_sec, nanoseconds}};
            ASSERT_EQ(utimensat(AT_FDCWD, file_.c_str(), times, 0), 0);
            EXPECT_EQ(get("S", "k"), value) << nanoseconds;
        }
    ASSERT_EQ(unlink(file_.c_str()), 0);
    EXPECT_EQ(get("S", "k"), "<default>");
}

TEST_F(ProfileTest, BatchesReadEachFileOnceAndWriteItWhenTheyCommit)
{
    writeText(file_, "[S]\nk=one\nj=1\n");
    {
        const platform::ProfileReadBatch batch;
        EXPECT_EQ(get("S", "k"), "one");
        // A change behind the profile functions' back during the batch is not looked for: the
        // batch is one logical read of the file as it was at its first read.
        writeText(file_, "[S]\nk=two\nj=2\n");
        EXPECT_EQ(get("S", "j"), "1");
        {
            const platform::ProfileReadBatch nested;
            EXPECT_EQ(get("S", "k"), "one");
        }
        EXPECT_EQ(get("S", "k"), "one") << "an inner batch must not end the outer one";
        // A write through the profile functions is seen at once, also under another spelling.
        ASSERT_TRUE(put("S", "k", "three", "c:\\METHOD.INI"));
        EXPECT_EQ(get("S", "k"), "three");
        EXPECT_EQ(get("S", "j"), "2");
    }
    writeText(file_, "[S]\nk=four\n");
    EXPECT_EQ(get("S", "k"), "four") << "after the batch every read checks the file again";

    writeText(file_, "; kept\n[S]\nk=old\n");
    {
        platform::ProfileWriteBatch batch;
        ASSERT_TRUE(put("S", "k", "new"));
        ASSERT_TRUE(put("S", "j", "added"));
        {
            platform::ProfileWriteBatch nested;
            ASSERT_TRUE(put("T", "x", "1", "c:\\METHOD.INI"));
            EXPECT_TRUE(nested.commit());
        }
        // Nothing reaches the disk before the outermost batch commits, but this thread reads
        // what it wrote.
        EXPECT_EQ(readText(file_), "; kept\n[S]\nk=old\n");
        EXPECT_EQ(get("S", "k"), "new");
        EXPECT_TRUE(batch.commit());
        EXPECT_EQ(readText(file_), "; kept\n[S]\nk=new\nj=added\n[T]\nx=1\n");
    }

    // A file that cannot be written fails the commit, not the write that was held back.
    platform::ProfileWriteBatch batch;
    EXPECT_TRUE(put("S", "k", "v", "C:\\missing-directory\\method.ini"));
    EXPECT_TRUE(put("S", "k", "w"));
    EXPECT_FALSE(batch.commit());
    EXPECT_EQ(get("S", "k"), "w") << "the other file of the batch is still written";
}

TEST_F(ProfileTest, WritingChangesOneLineAndKeepsTheRest)
{
    // Every other line, blank and stray ones included, stays byte for byte. A new file gets CR LF,
    // as the host writes it; an existing one keeps the end of its first line.
    const std::string m = "; by hand\r\nstray\r\n[Tessaly Options]\r\n  Cone Voltage Min = 10.00 \r\n; note\r\n"
                          "what\r\nIon Mode=ESP\r\n\r\n[Other]\r\nk=99\r\n[tessaly options]\r\nk=7\r\n";
    const char* f = "[S]\nk=v\n";
    auto with = [&m](std::string_view from, std::string_view to) {
        return std::string(m).replace(m.find(from), from.size(), to);
    };
    struct Case
    {
        const char* name;
        const char* before; // null: no file
        const char* section;
        const char* key;
        const char* value;
        std::string after;
        BOOL written = TRUE; // FALSE: refused, since the name or value would not read back
    };
    const Case cases[] = {
        {"value replaced where the key stands", m.c_str(), "TESSALY OPTIONS", "cone voltage min", "12.50",
         with("10.00", "12.50")},
        {"new key after the last key of its section", m.c_str(), "Tessaly Options", "MSMS", "1",
         with("ESP\r\n", "ESP\r\nMSMS=1\r\n")},
        {"key removed", m.c_str(), "Tessaly Options", "Ion Mode", nullptr, with("Ion Mode=ESP\r\n", "")},
        {"section removed", m.c_str(), "Other", nullptr, nullptr, with("[Other]\r\nk=99\r\n", "")},
        {"new section at the end, no blank line before it", m.c_str(), "New", "k", "v", m + "[New]\r\nk=v\r\n"},
        {"new file", nullptr, "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"LF file", "[S]\na=1\n", "S", "k", "v", "[S]\na=1\nk=v\n"},
        {"CR file, new key", "[S]\ra=1\r", "S", "k", "v", "[S]\ra=1\rk=v\r"},
        {"CR file, new section", "[S]\ra=1", "T", "k", "v", "[S]\ra=1\r[T]\rk=v\r"},
        {"first line end decides", "[S]\na=1\r\n", "S", "k", "v", "[S]\na=1\r\nk=v\n"},
        {"header without a line end", "[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"stray line without a line end", "x=1", "S", "k", "v", "x=1\r\n[S]\r\nk=v\r\n"},
        {"CR in the value", f, "S", "k", "a\rb", f, FALSE},
        {"'=' in the key", f, "S", "a=b", "v", f, FALSE},
        {"key starting with '['", f, "S", "[x", "v", f, FALSE},
        {"key starting with ';'", f, "S", ";x", "v", f, FALSE},
        {"line break in the key", f, "S", "a\nb", "v", f, FALSE},
        {"']' in the section", f, "a]b", "k", "v", f, FALSE},
        {"line break in the section", f, "a\n[b", "k", "v", f, FALSE},
        {"null section with a key", f, nullptr, "k", "v", f, FALSE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        unlink(file_.c_str());
        if (c.before)
            writeText(file_, c.before);
        EXPECT_EQ(put(c.section, c.key, c.value), c.written);
        EXPECT_EQ(readText(file_), c.after);
    }
}
} // namespace
