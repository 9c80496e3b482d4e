// Method and file names: the text rules alone, then the names that depend on what exists, made
// through the host stand-in over a temporary data directory (C:\) whose tmp folder is the host's
// temporary directory.
#include "fileutil/FileUtil.h"
#include "kelvane/KelvaneHost.h"
#include "methodgen/MethodNames.h"
#include "testing/TempDir.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace
{
namespace fs = std::filesystem;

TEST(MethodNames, PunctuationAndCompoundNames)
{
    // Both forms agree; letters are ASCII ones whatever the locale, so bytes above 127 go too.
    struct Case { const char* name; std::string text; const char* cleaned; };
    const Case cases[] = {
        {"separators", "a b.c", "A_B_C"},
        {"empty", "", ""},
        {"digits kept", "Cpd-1a", "CPD_1A"},
        {"accented bytes", "\xE9t\xC9", "_T_"},
        {"file-name specials", "x\\/:*?\"<>|y", "X_________Y"},
        {"zero byte kept in the string form", std::string("a\0b", 3), "A_B"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CString text(c.text);
        std::string bytes = c.text;
        ASSERT_EQ(RemovePunctuation(text) + RemovePunctuation(bytes.data()), 2);
        EXPECT_EQ(text.str(), c.cleaned);
        EXPECT_STREQ(bytes.c_str(), std::string(c.cleaned).substr(0, std::strlen(c.text.c_str())).c_str());
    }
    EXPECT_EQ(RemovePunctuation(static_cast<char*>(nullptr)), 1);

    EXPECT_EQ(GetCompoundMethod("c:\\p", "Cpd-1a", 1) + "|" + GetCompoundMethod("d", "x", 0) + "|" +
                  GetCompoundMethod("d", "y", -2),
              "c:\\p\\AcquDB\\MSMS_CPD_1A.mdb|d\\AcquDB\\MS_X.mdb|d\\AcquDB\\MSMS_Y.mdb");
    // A long name of unsafe characters stays one file inside dir\AcquDB.
    EXPECT_EQ(GetCompoundMethod("d", CString(std::string(100, '\\') + std::string(100, '.')), 0),
              CString("d\\AcquDB\\MS_" + std::string(200, '_') + ".mdb"));
}

class MethodNamesTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
        for (const char* folder : {"tmp", "q", "data", "methdb", "other", "other/sub"})
            fs::create_directory(dir_.file(folder));
        setenv("TMPDIR", dir_.file("tmp").c_str(), 1);
    }
    void TearDown() override
    {
        kelvane::uninstall();
        unsetenv("TMPDIR");
    }
    void touch(const std::string& relative)
    {
        fs::create_directories(fs::path(dir_.file(relative)).parent_path());
        ASSERT_TRUE(testkit::writeText(dir_.file(relative), ""));
    }
    testkit::TempDir dir_;
};

TEST_F(MethodNamesTest, GroupMethodNames)
{
    // Groups "AB", "X/Y" and the unlabelled one; the list not in use holds a decoy title. Rows run
    // in order on one disk, so a name created by one row is taken in the next.
    const std::string study = "C:\\Study.PRO\\", acq = study + "Acqudb\\";
    const std::string longProject = "C:\\" + std::string(232, 'p') + ".PRO\\"; // its Prun_AB.mdb: 258 characters
    struct Case { const char* name; BOOL analysing; const char* list; int offset, group;
                  std::string existing, expected, project; };
    const Case cases[] = {
        {"analysis list title", 1, "c:\\d\\run.spl", 0, 0, "", acq + "Prun_AB.mdb", study},
        {"taken, analysing", 1, "c:\\d\\run.spl", 0, 0, "Study.PRO/Acqudb/Prun_AB.mdb", acq + "Prun_AB_001.mdb", study},
        {"taken, optimising only", 0, "c:\\d\\run.spl", 0, 0, "", acq + "Prun_AB.mdb", "C:\\Study.PRO"},
        {"full stop in a folder only", 1, "c:\\q.v2\\list", 0, 0, "", acq + "P_AB.mdb", study},
        {"offset, slashes", 1, "c:/d/run.v1.spl", 1, 0, "", acq + "Prun.v1_X_Y.mdb", study},
        {"past the end", 1, "run.spl", 1, 2, "", "", study},
        {"before the start", 1, "run.spl", -1, 0, "", "", study},
        {"wrapping index", 1, "run.spl", INT_MAX, 1, "", "", study},
        {"no project", 1, "run.spl", 0, 0, "", "", ""},
        {"250-character project", 1, "run.spl", 0, 0, "", "C:\\" + std::string(242, 'p') + ".PRO\\Acqudb\\Prun_AB.mdb",
         "C:\\" + std::string(242, 'p') + ".PRO\\"},
        {"taken, no numbered name fits", 1, "run.spl", 0, 0, std::string(232, 'p') + ".PRO/Acqudb/Prun_AB.mdb", "",
         longProject},
    };
    CBrenmoOptions options;
    for (const char* expression : {"b a", "x/y", ""})
        options.m_GroupArrays[0].Add(CGroup(CString(expression)));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        if (!c.existing.empty())
            touch(c.existing);
        options.m_bAnalysisAndQuantitation = c.analysing;
        (c.analysing ? options.m_strAnalysisList : options.m_strCompoundList) = c.list;
        (c.analysing ? options.m_strCompoundList : options.m_strAnalysisList) = "C:\\decoy\\wrong.spl";
        options.m_nGroupOffset = c.offset;
        options.m_strProject = CString(c.project);
        EXPECT_EQ(CreateMethodName(options, "P", c.group).str(), c.expected);
    }
}

TEST_F(MethodNamesTest, UniqueQuanNames)
{
    // The first free numbered name, in the path's folder or beside the list, made and kept.
    struct Case { const char* name; CString path, list; std::string expected; };
    const Case cases[] = {
        {"path", "C:\\q\\meth_A.mdb", "", "C:\\q\\meth_A001.mdb"},
        {"path wins over the list", "C:\\q\\meth_A.mdb", "C:\\data\\list.spl", "C:\\q\\meth_A002.mdb"},
        {"root not doubled", "C:\\top.mdb", "", "C:\\top001.mdb"},
        {"no folder: the current one", "C:top.mdb", "", "C:.\\top002.mdb"},
        {"list with methdb beside it", "", "C:\\data\\list.spl", "C:\\data\\..\\methdb\\list001.mdb"},
        {"list without", "", "C:\\other\\sub\\list.spl", "C:\\other\\sub\\list001.mdb"},
        {"both empty", "", "", ""},
        {"folder cut by the splitter", "C:\\" + CString(std::string(254, 'd')) + "\\a", "", ""},
        {"260 characters", "C:\\q\\" + CString(std::string(251, 'm')) + ".mdb", "", ""},
        {"zero byte", CString(std::string_view("C:\\q\\a\0b.mdb", 12)), "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CreateUniqueQuanName(c.path, c.list).str(), c.expected);
    }
}

TEST_F(MethodNamesTest, LoopAcquisitionNames)
{
    DeleteTempDirs(); // what earlier tests registered
    for (char letter = 'A'; letter <= 'Y'; ++letter)
        fs::create_directory(dir_.file(std::string("tmp/TEMPACQ007") + letter + ".RAW"));
    const CString first = CreateLoopAcqFileName(5);
    EXPECT_EQ(first, "C:\\tmp\\TEMPACQ005A.RAW");
    fs::create_directory(dir_.file("tmp/TEMPACQ005A.RAW"));
    const CString second = CreateLoopAcqFileName(5);
    EXPECT_EQ(second, "C:\\tmp\\TEMPACQ005B.RAW");
    EXPECT_EQ(CreateLoopAcqFileName(0) + CreateLoopAcqFileName(1000) + CreateLoopAcqFileName(7), "");
    // Both names were registered, the failures registered nothing, and the run's end erases them.
    EXPECT_EQ(AddToTempDirs(first) * 100 + AddToTempDirs(second) * 10 + AddToTempDirs(""), 1);
    DeleteTempDirs();
    EXPECT_FALSE(fs::exists(dir_.file("tmp/TEMPACQ005A.RAW")));
}
} // namespace
