#include "platform/LastError.h"
#include "platform/Profile.h"
#include "testing/TempDir.h"

// Header-only use of the INI library: bytes stay bytes, as in the profile functions.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
using testkit::readText;
using testkit::TempDir;
using testkit::writeText;

class ProfileTest : public ::testing::Test
{
  protected:
    // The value GetPrivateProfileStringA gives, checking that its result is the length copied.
    std::string get(const char* section, const char* key, const char* fallback = "<default>", DWORD size = 1024,
                    const char* file = "C:\\method.ini")
    {
        std::string buffer(size + 16, '#');
        const DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file);
        EXPECT_LT(n, size);
        EXPECT_EQ(buffer[n], '\0');
        EXPECT_EQ(buffer.substr(size, 16), std::string(16, '#')) << "written past the buffer";
        EXPECT_TRUE(!section || !key || std::strlen(buffer.c_str()) == n) << "a zero inside the value";
        return buffer.substr(0, n);
    }

    BOOL put(const char* section, const char* key, const char* value, const char* file = "C:\\method.ini")
    {
        return WritePrivateProfileStringA(section, key, value, file);
    }

    std::string path(const char* name = "method.ini") const
    {
        return dir_.file(name);
    }

    TempDir dir_;
};

TEST_F(ProfileTest, ReadsValuesAsThePlatformDoes)
{
    const std::string m = "; a method file\n"
                          "[Tessaly Options]\n"
                          "Cone Voltage Min=10.00\n"
                          "  Cone Voltage Max  =  50.00  \n"
                          "Ion Mode=\"APcI\"\nSingle='x y'\nMismatched=\"abc'\nLone Quote=\"\nEmpty Quotes=\"\"\n"
                          "Inner Quotes=a \"b\" c\nEmpty=\ndup=first\nDUP=second\nTab\tKey\t=\ttabbed\t\n"
                          "Equals=a=b\nNoEquals\n;Comment=hidden\n"
                          "[Other]\nCone Voltage Min=99\n[ Spaced Section ]\nk=spaced\n"
                          "[tessaly options]\nLate=in the second section of the name\n";
    std::string garbage;
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>(random());
    const std::string longLine(100000, 'x');
    const std::string cut = "[S]\nk=0123456789\nq=\"abcdef\"\n";
    const char* to = "Tessaly Options";
    struct Case
    {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        std::string expected;
        const char* fallback = "d";
        DWORD size = 200000;
    };
    const Case cases[] = {
        {"names without regard to case", m, "TESSALY OPTIONS", "cone voltage min", "10.00"},
        {"blanks around key and value", m, to, "Cone Voltage Max", "50.00"},
        {"blanks around the asked names", m, "  Tessaly Options ", " Cone Voltage Max\t", "50.00"},
        {"double quotes dropped", m, to, "Ion Mode", "APcI"},
        {"single quotes dropped", m, to, "Single", "x y"},
        {"mismatched quotes kept", m, to, "Mismatched", "\"abc'"},
        {"a lone quote kept", m, to, "Lone Quote", "\""},
        {"empty quotes give empty", m, to, "Empty Quotes", ""},
        {"inner quotes kept", m, to, "Inner Quotes", "a \"b\" c"},
        {"empty value is not the default", m, to, "Empty", ""},
        {"first of duplicated keys", m, to, "Dup", "first"},
        {"tabs are blanks", m, to, "Tab\tKey", "tabbed"},
        {"value runs past a second '='", m, to, "Equals", "a=b"},
        {"line without '=' is no key", m, to, "NoEquals", "d"},
        {"comment is no key", m, to, ";Comment", "d"},
        {"same key in another section", m, "Other", "Cone Voltage Min", "99"},
        {"blanks inside the brackets", m, "Spaced Section", "k", "spaced"},
        {"only the first section of a name", m, to, "Late", "d"},
        {"missing key", m, to, "Missing", "fallback", "fallback"},
        {"missing section", m, "Nowhere", "k", "fallback", "fallback"},
        {"default loses trailing spaces only", m, "Nowhere", "k", "  a b", "  a b  "},
        {"null default", m, "Nowhere", "k", "", nullptr},
        {"no section", "k=v\nother=1\n", "S", "k", "d"},
        {"binary garbage", garbage, "S", "k", "d"},
        {"garbage before the section", garbage + "\n[S]\nk=v\n", "S", "k", "v"},
        {"zero bytes around", std::string("\0\0junk\n[S]\0\nk=v\n\0", 17), "S", "k", "v"},
        {"zero byte ends the value", std::string("[S]\nk=a\0b\n", 10), "S", "k", "a"},
        {"long value", "[S]\nk=" + longLine + "\n", "S", "k", longLine},
        {"unclosed section header", "[S\nk=v\n", "S", "k", "d"},
        {"header only", "[S]", "S", "k", "d"},
        {"no final line end", "[S]\nk=v", "S", "k", "v"},
        {"CR LF line ends", "[S]\r\nk=v\r\n", "S", "k", "v"},
        {"CR line ends", "[S]\rj=w\rk=v\r", "S", "k", "v"},
        {"CR ends the header", "[S]\rk=v", "S", "k", "v"},
        {"cut to size 1", cut, "S", "k", "", "", 1},
        {"cut to size 2", cut, "S", "k", "0", "", 2},
        {"cut by one", cut, "S", "k", "012345678", "", 10},
        {"just fits", cut, "S", "k", "0123456789", "", 11},
        {"cut quoted value", cut, "S", "q", "abc", "", 4},
        {"quoted value just fits", cut, "S", "q", "abcdef", "", 7},
        {"cut default", cut, "S", "missing", "fal", "fallback", 4},
        {"byte-order mark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        writeText(path(), c.text);
        EXPECT_EQ(get(c.section, c.key, c.fallback, c.size), c.expected);
    }
}

TEST_F(ProfileTest, FindsFilesWhateverTheirCaseAndSkipsUnusableOnes)
{
    ASSERT_EQ(mkdir(path("Methods").c_str(), 0755), 0);
    writeText(path("Methods/Demo.TYM"), "[S]\nk=v\n");
    const std::string zPath = "Z:" + path("Methods/Demo.TYM");
    for (const char* file : {"C:\\methods\\demo.tym", "c:/METHODS/Demo.tym", zPath.c_str()})
        EXPECT_EQ(get("S", "k", "d", 64, file), "v") << file;

    // A sparse file costs no disk space; its size alone puts it over the 16 MiB limit.
    ASSERT_EQ(mkdir(path("folder.ini").c_str(), 0755), 0);
    writeText(path("big.ini"), "[S]\nk=v\n");
    ASSERT_EQ(truncate(path("big.ini").c_str(), (off_t{16} << 20) + 1), 0);
    const std::pair<const char*, BOOL> files[] = {
        {"C:\\no dir\\absent.ini", FALSE}, {"C:\\folder.ini", FALSE}, {"C:\\big.ini", FALSE}, {"C:\\absent.ini", TRUE}};
    for (const auto& [file, writable] : files)
    {
        EXPECT_EQ(get("S", "k", "none", 64, file), "none") << file;
        EXPECT_EQ(put("S", "k", "w", file), writable) << file;
    }
    EXPECT_EQ(get("S", "k", "none", 64, nullptr), "none");
    // A null buffer or a size of 0 copies nothing.
    char untouched[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", untouched, 0, "C:\\Methods\\Demo.TYM"), 0u);
    EXPECT_EQ(untouched[0], 'x');
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 10, "C:\\Methods\\Demo.TYM"), 0u);
}

TEST_F(ProfileTest, ListsSectionAndKeyNames)
{
    writeText(path(), "[One]\na=1\nbb=2\n[Two]\n[one]\nc=3\n");
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    DWORD n = GetPrivateProfileStringA(nullptr, "ignored", "d", buffer, sizeof buffer, "C:\\method.ini");
    EXPECT_EQ(std::string(buffer, n + 1), std::string("One\0Two\0one\0\0", 13));
    n = GetPrivateProfileStringA("ONE", nullptr, "d", buffer, sizeof buffer, "C:\\method.ini");
    EXPECT_EQ(std::string(buffer, n + 1), std::string("a\0bb\0\0", 6));

    // A list that does not fit is cut and ends in two zeros; size - 2 is returned.
    std::memset(buffer, '#', sizeof buffer);
    n = GetPrivateProfileStringA("One", nullptr, "d", buffer, 5, "C:\\method.ini");
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(std::string(buffer, 6), std::string("a\0b\0\0#", 6));
    n = GetPrivateProfileStringA("One", nullptr, "d", buffer, 4, "C:\\method.ini");
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(buffer, 4), std::string("a\0\0\0", 4));
    n = GetPrivateProfileStringA("Missing", nullptr, "d", buffer, sizeof buffer, "C:\\method.ini");
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(buffer[0], '\0');
}

// Rewrites the file in place with the same size and sets its modification time back to what it
// was, as a file system whose clock ticks coarsely does for two writes within one tick.
void rewriteKeepingTime(const std::string& file, std::string_view text)
{
    struct stat old;
    ASSERT_EQ(stat(file.c_str(), &old), 0);
    writeText(file, text);
    const timespec times[2] = {old.st_atim, old.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(ProfileTest, SeesChangesMadeBehindItsBack)
{
    // Same inode, size and time: only the bytes tell the versions apart, so a cache that trusted
    // the file's status alone would return the old value.
    writeText(path(), "[S]\nk=one\n");
    EXPECT_EQ(get("S", "k"), "one");
    rewriteKeepingTime(path(), "[S]\nk=two\n");
    EXPECT_EQ(get("S", "k"), "two");

    // A file system that keeps whole seconds: the time can be most of a second old and still be
    // the time of the next write.
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const timespec wholeSecond[2] = {{now.tv_sec, 0}, {now.tv_sec, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path().c_str(), wholeSecond, 0), 0);
    EXPECT_EQ(get("S", "k"), "two");
    rewriteKeepingTime(path(), "[S]\nk=six\n");
    EXPECT_EQ(get("S", "k"), "six");

    ASSERT_TRUE(put("S", "k", "three"));
    EXPECT_EQ(get("S", "k"), "three");
    writeText(path(), "[S]\nk=fou\n");
    EXPECT_EQ(get("S", "k"), "fou");

    ASSERT_EQ(unlink(path().c_str()), 0);
    EXPECT_EQ(get("S", "k"), "<default>");
}

TEST_F(ProfileTest, ABatchChecksEachFileOnceAndSeesItsOwnWrites)
{
    writeText(path(), "[S]\nk=one\nj=1\n");
    {
        const platform::ProfileReadBatch batch;
        EXPECT_EQ(get("S", "k"), "one");
        // A change behind the profile functions' back during the batch is not looked for: the
        // batch is one logical read of the file as it was at its first read.
        writeText(path(), "[S]\nk=two\nj=2\n");
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
    writeText(path(), "[S]\nk=four\n");
    EXPECT_EQ(get("S", "k"), "four") << "after the batch every read checks the file again";
}

TEST_F(ProfileTest, AWriteBatchWritesEachFileOnceWhenItCommits)
{
    writeText(path(), "; kept\n[S]\nk=old\n");
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
        EXPECT_EQ(readText(path()), "; kept\n[S]\nk=old\n");
        EXPECT_EQ(get("S", "k"), "new");
        EXPECT_TRUE(batch.commit());
        EXPECT_EQ(readText(path()), "; kept\n[S]\nk=new\nj=added\n[T]\nx=1\n");
    }

    // A file that cannot be written fails the commit, not the write that was held back.
    const char* unwritable = "C:\\missing-directory\\method.ini";
    platform::ProfileWriteBatch batch;
    EXPECT_TRUE(put("S", "k", "v", unwritable));
    EXPECT_TRUE(put("S", "k", "w"));
    EXPECT_FALSE(batch.commit());
    EXPECT_EQ(get("S", "k", "<default>", 1024, unwritable), "<default>");
    EXPECT_EQ(get("S", "k"), "w") << "the other file of the batch is still written";
}

TEST_F(ProfileTest, WritingChangesOneLineAndKeepsTheRest)
{
    // Every other line, blank and stray ones included, stays byte for byte. A new file gets CR LF,
    // as the host writes it; an existing one keeps the end of its first line.
    const std::string m = "; by hand\r\nstray\r\n[Tessaly Options]\r\n  Cone Voltage Min = 10.00 \r\n; note\r\n"
                          "what\r\nIon Mode=ESP\r\n\r\n[Other]\r\nk=99\r\n[tessaly options]\r\nk=7\r\n";
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
    };
    const Case cases[] = {
        {"value replaced where the key stands", m.c_str(), "TESSALY OPTIONS", "cone voltage min", "12.50",
         with("10.00", "12.50")},
        {"new key after the last key of its section", m.c_str(), "Tessaly Options", "MSMS", "1",
         with("ESP\r\n", "ESP\r\nMSMS=1\r\n")},
        {"key removed", m.c_str(), "Tessaly Options", "Ion Mode", nullptr, with("Ion Mode=ESP\r\n", "")},
        {"section removed", m.c_str(), "Other", nullptr, nullptr, with("[Other]\r\nk=99\r\n", "")},
        {"new section at the end, no blank line before it", m.c_str(), "New", "k", "v", m + "[New]\r\nk=v\r\n"},
        {"removing what is not there", m.c_str(), "Tessaly Options", "Missing", nullptr, m},
        {"new file", nullptr, "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"LF file", "[S]\na=1\n", "S", "k", "v", "[S]\na=1\nk=v\n"},
        {"CR file, new key", "[S]\ra=1\r", "S", "k", "v", "[S]\ra=1\rk=v\r"},
        {"CR file, value replaced", "[S]\rk=1\rb=2\r", "S", "k", "v", "[S]\rk=v\rb=2\r"},
        {"CR file, new section", "[S]\ra=1", "T", "k", "v", "[S]\ra=1\r[T]\rk=v\r"},
        {"first line end decides", "[S]\na=1\r\n", "S", "k", "v", "[S]\na=1\r\nk=v\n"},
        {"header without a line end", "[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"last key without a line end", "[S]\na=1", "S", "k", "v", "[S]\na=1\nk=v\n"},
        {"stray line without a line end", "x=1", "S", "k", "v", "x=1\r\n[S]\r\nk=v\r\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        unlink(path().c_str());
        if (c.before)
            writeText(path(), c.before);
        EXPECT_TRUE(put(c.section, c.key, c.value));
        EXPECT_EQ(readText(path()), c.after);
    }
}

TEST_F(ProfileTest, RefusesWhatWouldNotReadBackAndReportsFailures)
{
    const std::string before = "[S]\nk=v\n";
    struct Case
    {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"line break in the value", "S", "k", "a\nb"},
        {"carriage return in the value", "S", "k", "a\rb"},
        {"'=' in the key", "S", "a=b", "v"},
        {"key starting with '['", "S", "[x", "v"},
        {"key starting with ';'", "S", ";x", "v"},
        {"line break in the key", "S", "a\nb", "v"},
        {"']' in the section", "a]b", "k", "v"},
        {"line break in the section", "a\n[b", "k", "v"},
        {"null section with a key", nullptr, "k", "v"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        writeText(path(), before);
        EXPECT_FALSE(put(c.section, c.key, c.value));
        EXPECT_EQ(readText(path()), before);
    }
    EXPECT_TRUE(put(nullptr, nullptr, nullptr)) << "the platform's cache flush request";
    EXPECT_FALSE(put("S", "k", "v", nullptr));

    // The same value again leaves the file alone, as the platform does: same inode, no rename.
    struct stat status, again;
    ASSERT_EQ(stat(path().c_str(), &status), 0);
    ASSERT_TRUE(put("S", "k", "v"));
    ASSERT_EQ(stat(path().c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, status.st_ino);

    SetLastError(0);
    EXPECT_FALSE(put("S", "k", "v", "C:\\missing dir\\method.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // Removing from a file that does not exist has nothing to do and creates nothing.
    EXPECT_TRUE(put("S", "k", nullptr, "C:\\absent.ini"));
    EXPECT_NE(access(path("absent.ini").c_str(), F_OK), 0);
}

TEST_F(ProfileTest, AgreesWithSimpleIniOnWellFormedFiles)
{
    // A second, independent reader as the oracle: on random files without the platform's quirks
    // (no quotes, duplicates or '#' lines), in each of the three line ends, both find the same values.
    std::mt19937 random(2024);
    auto word = [&] {
        std::string text = "w";
        for (unsigned i = random() % 8; i > 0; --i)
            text += "abcXYZ019 ._-"[random() % 13];
        return text.back() == ' ' ? text + "e" : text;
    };
    auto blanks = [&] { return std::string(random() % 3, random() % 2 ? ' ' : '\t'); };
    for (const std::string eol : {"\n", "\r\n", "\r", "\n", "\r\n", "\r"})
    {
        std::string text;
        std::vector<std::pair<std::string, std::string>> keys;
        for (int s = 0; s < 4; ++s)
        {
            const std::string section = "Section " + std::to_string(s) + word();
            text += blanks() + "[" + section + "]" + blanks() + eol;
            for (int k = 0; k < 10; ++k)
            {
                keys.emplace_back(section, "key" + std::to_string(k) + word());
                text += (random() % 4 ? "" : "; comment" + eol) + blanks() + keys.back().second + blanks() + "=" +
                        blanks() + (random() % 5 ? word() : "") + blanks() + eol;
            }
        }
        writeText(path(), text);
        CSimpleIniA oracle(false, false, false);
        ASSERT_EQ(oracle.LoadData(text), SI_OK);
        for (const auto& [section, key] : keys)
            EXPECT_EQ(get(section.c_str(), key.c_str(), "<missing>"),
                      oracle.GetValue(section.c_str(), key.c_str(), "<missing>"))
                << section << " / " << key;
    }
}
} // namespace
