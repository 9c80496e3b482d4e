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
        if (section && key)
        {
            EXPECT_EQ(std::strlen(buffer.c_str()), n);
        }
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
    writeText(path(), "; a method file\n"
                      "[Tessaly Options]\n"
                      "Cone Voltage Min=10.00\n"
                      "  Cone Voltage Max  =  50.00  \n"
                      "Ion Mode=\"APcI\"\n"
                      "Single='x y'\n"
                      "Mismatched=\"abc'\n"
                      "Lone Quote=\"\n"
                      "Empty Quotes=\"\"\n"
                      "Inner Quotes=a \"b\" c\n"
                      "Empty=\n"
                      "dup=first\n"
                      "DUP=second\n"
                      "Tab\tKey\t=\ttabbed\t\n"
                      "Equals=a=b\n"
                      "NoEquals\n"
                      ";Comment=hidden\n"
                      "[Other]\n"
                      "Cone Voltage Min=99\n"
                      "[ Spaced Section ]\n"
                      "k=spaced\n"
                      "[tessaly options]\n"
                      "Late=in the second section of the name\n");
    struct Case
    {
        const char* name;
        const char* section;
        const char* key;
        const char* fallback;
        std::string expected;
    };
    const Case cases[] = {
        {"exact names", "Tessaly Options", "Cone Voltage Min", "d", "10.00"},
        {"names without regard to case", "TESSALY OPTIONS", "cone voltage min", "d", "10.00"},
        {"blanks around key and value", "Tessaly Options", "Cone Voltage Max", "d", "50.00"},
        {"blanks around the asked names", "  Tessaly Options ", " Cone Voltage Max\t", "d", "50.00"},
        {"double quotes dropped", "Tessaly Options", "Ion Mode", "d", "APcI"},
        {"single quotes dropped", "Tessaly Options", "Single", "d", "x y"},
        {"mismatched quotes kept", "Tessaly Options", "Mismatched", "d", "\"abc'"},
        {"a lone quote kept", "Tessaly Options", "Lone Quote", "d", "\""},
        {"empty quotes give empty", "Tessaly Options", "Empty Quotes", "d", ""},
        {"inner quotes kept", "Tessaly Options", "Inner Quotes", "d", "a \"b\" c"},
        {"empty value is not the default", "Tessaly Options", "Empty", "d", ""},
        {"first of duplicated keys", "Tessaly Options", "Dup", "d", "first"},
        {"tabs are blanks", "Tessaly Options", "Tab\tKey", "d", "tabbed"},
        {"value runs past a second '='", "Tessaly Options", "Equals", "d", "a=b"},
        {"line without '=' is no key", "Tessaly Options", "NoEquals", "d", "d"},
        {"comment is no key", "Tessaly Options", ";Comment", "d", "d"},
        {"same key in another section", "Other", "Cone Voltage Min", "d", "99"},
        {"blanks inside the brackets", "Spaced Section", "k", "d", "spaced"},
        {"only the first section of a name", "Tessaly Options", "Late", "d", "d"},
        {"missing key", "Tessaly Options", "Missing", "fallback", "fallback"},
        {"missing section", "Nowhere", "Cone Voltage Min", "fallback", "fallback"},
        {"default loses trailing spaces only", "Nowhere", "k", "  a b  ", "  a b"},
        {"null default", "Nowhere", "k", nullptr, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(get(c.section, c.key, c.fallback), c.expected);
    }
}

TEST_F(ProfileTest, MissingOrUnusableFilesGiveTheDefault)
{
    EXPECT_EQ(get("S", "k", "none", 64, "C:\\absent.ini"), "none");
    EXPECT_EQ(get("S", "k", "none", 64, "C:\\no dir\\absent.ini"), "none");
    EXPECT_EQ(get("S", "k", "none", 64, nullptr), "none");
    ASSERT_EQ(mkdir(path("folder.ini").c_str(), 0755), 0);
    EXPECT_EQ(get("S", "k", "none", 64, "C:\\folder.ini"), "none");
    EXPECT_FALSE(put("S", "k", "v", "C:\\folder.ini"));
}

TEST_F(ProfileTest, FileNamesAreHostPathsFoundWhateverTheirCase)
{
    ASSERT_EQ(mkdir(path("Methods").c_str(), 0755), 0);
    writeText(path("Methods/Demo.TYM"), "[S]\nk=v\n");
    EXPECT_EQ(get("S", "k", "d", 64, "C:\\methods\\demo.tym"), "v");
    EXPECT_EQ(get("S", "k", "d", 64, "c:/METHODS/Demo.tym"), "v");
    const std::string zPath = "Z:" + path("Methods/Demo.TYM");
    EXPECT_EQ(get("S", "k", "d", 64, zPath.c_str()), "v");
}

TEST_F(ProfileTest, CutsToTheBufferSize)
{
    writeText(path(), "[S]\nk=0123456789\nq=\"abcdef\"\n");
    struct Case
    {
        const char* key;
        const char* fallback;
        DWORD size;
        std::string expected;
    };
    const Case cases[] = {
        {"k", "", 1, ""},           {"k", "", 2, "0"},           {"k", "", 5, "0123"},
        {"k", "", 10, "012345678"}, {"k", "", 11, "0123456789"}, {"k", "", 12, "0123456789"},
        {"q", "", 4, "abc"},        {"q", "", 7, "abcdef"},      {"missing", "fallback", 4, "fal"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.key) + " size " + std::to_string(c.size));
        EXPECT_EQ(get("S", c.key, c.fallback, c.size), c.expected);
    }

    char untouched[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", untouched, 0, "C:\\method.ini"), 0u);
    EXPECT_EQ(untouched[0], 'x');
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 10, "C:\\method.ini"), 0u);
}

TEST_F(ProfileTest, ListsSectionAndKeyNames)
{
    writeText(path(), "[One]\na=1\nbb=2\n[Two]\n[one]\nc=3\n");
    auto list = [](std::string_view text) { return std::string(text.data(), text.size()); };
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    DWORD n = GetPrivateProfileStringA(nullptr, "ignored", "d", buffer, sizeof buffer, "C:\\method.ini");
    EXPECT_EQ(std::string(buffer, n + 1), list(std::string_view("One\0Two\0one\0\0", 13)));

    n = GetPrivateProfileStringA("ONE", nullptr, "d", buffer, sizeof buffer, "C:\\method.ini");
    EXPECT_EQ(std::string(buffer, n + 1), list(std::string_view("a\0bb\0\0", 6)));

    // A list that does not fit is cut and ends in two zeros; size - 2 is returned.
    std::memset(buffer, '#', sizeof buffer);
    n = GetPrivateProfileStringA("One", nullptr, "d", buffer, 5, "C:\\method.ini");
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(std::string(buffer, 6), list(std::string_view("a\0b\0\0#", 6)));
    n = GetPrivateProfileStringA("One", nullptr, "d", buffer, 4, "C:\\method.ini");
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(buffer, 4), list(std::string_view("a\0\0\0", 4)));

    n = GetPrivateProfileStringA("Missing", nullptr, "d", buffer, sizeof buffer, "C:\\method.ini");
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(ProfileTest, SurvivesMalformedFiles)
{
    std::string garbage;
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>(random());
    const std::string longLine(100000, 'x');
    struct Case
    {
        const char* name;
        std::string text;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"no section", "k=v\nother=1\n", "k", "d"},
        {"binary garbage", garbage, "k", "d"},
        {"garbage before the section", garbage + "\n[S]\nk=v\n", "k", "v"},
        {"zero bytes around", std::string("\0\0junk\n[S]\0\nk=v\n\0", 17), "k", "v"},
        {"zero byte ends the value", std::string("[S]\nk=a\0b\n", 10), "k", "a"},
        {"long line before the key", "[S]\n" + longLine + "\nk=v\n", "k", "v"},
        {"long value", "[S]\nk=" + longLine + "\n", "k", longLine},
        {"unclosed section header", "[S\nk=v\n", "k", "d"},
        {"header only", "[S]", "k", "d"},
        {"no final line end", "[S]\nk=v", "k", "v"},
        {"CRLF line ends", "[S]\r\nk=v\r\n", "k", "v"},
        {"byte-order mark", "\xEF\xBB\xBF[S]\nk=v\n", "k", "v"},
        {"empty file", "", "k", "d"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        writeText(path(), c.text);
        EXPECT_EQ(get("S", c.key, "d", 200000), c.expected);
    }
}

TEST_F(ProfileTest, FilesOverTheSizeLimitCountAsMissing)
{
    // A sparse file costs no disk space; its size alone puts it over the 16 MiB limit.
    writeText(path(), "[S]\nk=v\n");
    ASSERT_EQ(truncate(path().c_str(), (off_t{16} << 20) + 1), 0);
    EXPECT_EQ(get("S", "k"), "<default>");
    EXPECT_FALSE(put("S", "k", "w"));
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
        EXPECT_EQ(readText(path()), "; kept\n[S]\nk=new\nj=added\n\n[T]\nx=1\n");
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

TEST_F(ProfileTest, WritingCreatesTheFileAndTheSection)
{
    ASSERT_TRUE(put("Tessaly Options", "Ion Mode", "ESP"));
    EXPECT_EQ(readText(path()), "[Tessaly Options]\nIon Mode=ESP\n");
    ASSERT_TRUE(put("Tessaly Options", "MSMS", "1"));
    ASSERT_TRUE(put("Other", "k", "v"));
    EXPECT_EQ(readText(path()), "[Tessaly Options]\nIon Mode=ESP\nMSMS=1\n\n[Other]\nk=v\n");
}

TEST_F(ProfileTest, WritingKeepsEveryOtherLine)
{
    const std::string before = "; written by hand\r\n"
                               "stray line before any section\r\n"
                               "[Tessaly Options]\r\n"
                               "  Cone Voltage Min = 10.00 \r\n"
                               "; keep this comment\r\n"
                               "what is this line\r\n"
                               "Ion Mode=ESP\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "Cone Voltage Min=99\r\n"
                               "[tessaly options]\r\n"
                               "Cone Voltage Min=7\r\n";
    struct Case
    {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"value replaced where the key stands", "TESSALY OPTIONS", "cone voltage min", "12.50",
         "; written by hand\r\nstray line before any section\r\n[Tessaly Options]\r\n"
         "  Cone Voltage Min = 12.50 \r\n; keep this comment\r\nwhat is this line\r\nIon Mode=ESP\r\n\r\n"
         "[Other]\r\nCone Voltage Min=99\r\n[tessaly options]\r\nCone Voltage Min=7\r\n"},
        {"new key after the last key of its section", "Tessaly Options", "MSMS", "1",
         "; written by hand\r\nstray line before any section\r\n[Tessaly Options]\r\n"
         "  Cone Voltage Min = 10.00 \r\n; keep this comment\r\nwhat is this line\r\nIon Mode=ESP\r\nMSMS=1\r\n\r\n"
         "[Other]\r\nCone Voltage Min=99\r\n[tessaly options]\r\nCone Voltage Min=7\r\n"},
        {"key removed", "Tessaly Options", "Ion Mode", nullptr,
         "; written by hand\r\nstray line before any section\r\n[Tessaly Options]\r\n"
         "  Cone Voltage Min = 10.00 \r\n; keep this comment\r\nwhat is this line\r\n\r\n"
         "[Other]\r\nCone Voltage Min=99\r\n[tessaly options]\r\nCone Voltage Min=7\r\n"},
        {"section removed", "Other", nullptr, nullptr,
         "; written by hand\r\nstray line before any section\r\n[Tessaly Options]\r\n"
         "  Cone Voltage Min = 10.00 \r\n; keep this comment\r\nwhat is this line\r\nIon Mode=ESP\r\n\r\n"
         "[tessaly options]\r\nCone Voltage Min=7\r\n"},
        {"new section at the end", "New", "k", "v", before + "\r\n[New]\r\nk=v\r\n"},
        {"removing what is not there", "Tessaly Options", "Missing", nullptr, before},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        writeText(path(), before);
        EXPECT_TRUE(put(c.section, c.key, c.value));
        EXPECT_EQ(readText(path()), c.after);
    }
}

TEST_F(ProfileTest, WritingExtendsFilesWithoutAFinalLineEnd)
{
    writeText(path(), "[S]");
    ASSERT_TRUE(put("S", "a", "1"));
    EXPECT_EQ(readText(path()), "[S]\na=1\n");
    writeText(path(), "[S]\na=1");
    ASSERT_TRUE(put("S", "b", "2"));
    EXPECT_EQ(readText(path()), "[S]\na=1\nb=2\n");
    writeText(path(), "x=1");
    ASSERT_TRUE(put("S", "b", "2"));
    EXPECT_EQ(readText(path()), "x=1\n\n[S]\nb=2\n");
}

TEST_F(ProfileTest, RefusesWhatWouldNotReadBack)
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
}

TEST_F(ProfileTest, WriteFailuresReportZero)
{
    EXPECT_FALSE(put("S", "k", "v", "C:\\missing dir\\method.ini"));
    // Removing from a file that does not exist has nothing to do and creates nothing.
    EXPECT_TRUE(put("S", "k", nullptr, "C:\\absent.ini"));
    EXPECT_NE(access(path("absent.ini").c_str(), F_OK), 0);
}

TEST_F(ProfileTest, WritingKeepsPermissionsAndSkipsUnchangedValues)
{
    writeText(path(), "[S]\nk=v\n");
    ASSERT_EQ(chmod(path().c_str(), 0640), 0);
    ASSERT_TRUE(put("S", "k", "w"));
    struct stat status;
    ASSERT_EQ(stat(path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    // The same value again leaves the file alone, as the platform does: same inode, no rename.
    ASSERT_TRUE(put("S", "k", "w"));
    struct stat again;
    ASSERT_EQ(stat(path().c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, status.st_ino);
}

TEST_F(ProfileTest, MethodFileRoundTrip)
{
    // The method file's use: 50 keys written one by one, then read back one by one.
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < 50; ++i)
        keys.emplace_back("Key " + std::to_string(i), i % 7 == 0 ? "" : "value " + std::to_string(i * 37) + ".00");
    for (const auto& [key, value] : keys)
        ASSERT_TRUE(put("Tessaly Options", key.c_str(), value.c_str()));
    ASSERT_TRUE(put("Tessaly Options", "Key 3", "changed"));
    keys[3].second = "changed";
    for (const auto& [key, value] : keys)
    {
        SCOPED_TRACE(key);
        EXPECT_EQ(get("Tessaly Options", key.c_str(), ""), value);
    }
}

TEST_F(ProfileTest, AgreesWithSimpleIniOnWellFormedFiles)
{
    // A second, independent reader as the oracle: on files without the platform's quirks (no
    // quotes, duplicates or '#' lines) both must find every key with the same value.
    std::mt19937 random(2024);
    auto word = [&](int minLength) {
        std::string text;
        const int length = minLength + static_cast<int>(random() % 8);
        for (int i = 0; i < length; ++i)
            text += "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ._-"[random() % 65];
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text.empty() || text.front() == ' ' ? "w" + text : text;
    };
    auto blanks = [&] { return std::string(random() % 3, random() % 2 ? ' ' : '\t'); };
    for (int round = 0; round < 20; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string text;
        std::vector<std::pair<std::string, std::string>> keys;
        for (int s = 0; s < 4; ++s)
        {
            const std::string section = "Section " + std::to_string(s) + word(1);
            text += blanks() + "[" + section + "]" + blanks() + "\n";
            for (int k = 0; k < 10; ++k)
            {
                if (random() % 4 == 0)
                    text += (random() % 2 ? "; comment " + word(0) : std::string()) + "\n";
                const std::string key = "key" + std::to_string(k) + word(0);
                const std::string value = random() % 5 ? word(0) : "";
                text += blanks() + key + blanks() + "=" + blanks() + value + blanks() + "\n";
                keys.emplace_back(section, key);
            }
        }
        writeText(path(), text);
        CSimpleIniA oracle(false, false, false);
        ASSERT_EQ(oracle.LoadData(text), SI_OK);
        for (const auto& [section, key] : keys)
        {
            const char* expected = oracle.GetValue(section.c_str(), key.c_str(), "<missing>");
            EXPECT_EQ(get(section.c_str(), key.c_str(), "<missing>"), expected) << section << " / " << key;
        }
    }
}
} // namespace
