// Tests of project keys, moving a method into another project, doubled backslashes and the name
// of a new method.
#include "method/TessalyOptionsSheet.h"
#include "testing/MockHost.h"

#include <cstdio>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>

namespace
{
using ::testing::_;

TEST(ProjectPaths, KeyOfAPathAndMovingItIntoAnotherProject)
{
    struct Case
    {
        const char* path;
        const char* key;
        const char* moved; // into "D:\N.PRO"
    };
    const Case cases[] = {
        {"C:\\X\\P.PRO\\Tune\\a.ipr", "C:\\X\\P", "D:\\N.PRO\\Tune\\a.ipr"},
        // Found in any case and upper-cased in the key; the rest of a moved path keeps its own case.
        {"c:\\x\\study.pro\\Tune\\MixedCase.ipr", "C:\\X\\STUDY", "D:\\N.PRO\\Tune\\MixedCase.ipr"},
        {"C:/X/P.PRO/Tune/a.ipr", "C:/X/P", "D:\\N.PRO/Tune/a.ipr"},
        {"C:\\A.PRO\\B.PRO\\a.ipr", "C:\\A", "D:\\N.PRO\\B.PRO\\a.ipr"},
        // Only a directory name ending in ".PRO" is a project, never ".PRO" inside a name.
        {"C:\\My.Programs\\Study.PRO\\a.ipr", "C:\\MY.PROGRAMS\\STUDY", "D:\\N.PRO\\a.ipr"},
        {"C:\\My.Programs\\a.ipr", "C:\\MY.PROGRAMS\\", "C:\\My.Programs\\a.ipr"},
        // Outside any project: the key is the path's own directory, and nothing moves.
        {"C:\\Data\\a.ipr", "C:\\DATA\\", "C:\\Data\\a.ipr"},
        {"C:\\X\\P.PRO", "C:\\X\\", "C:\\X\\P.PRO"}, // the project directory itself
        {".PRO\\a.ipr", ".PRO\\", ".PRO\\a.ipr"},    // nothing before ".PRO"
        {"a.ipr", "", "a.ipr"},
        {"", "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        CString key = c.path;
        CTessalyOptionsSheet::GetProject(key);
        EXPECT_STREQ(key, c.key);
        CString moved = c.path;
        CTessalyOptionsSheet::ChangeDirectoryInString(moved, "D:\\N.PRO");
        EXPECT_STREQ(moved, c.moved);
    }
    // The path splitter keeps 255 characters of a directory; the project beyond them is not seen.
    CString deep = ("C:\\" + std::string(300, 'd') + "\\P.PRO\\a.ipr").c_str();
    CTessalyOptionsSheet::GetProject(deep);
    EXPECT_EQ(deep.GetLength(), 255 + 2);
}

TEST(ProjectPaths, SetProjectPathsMovesEveryProjectFileButNotTheMethodOrTheLists)
{
    CBrenmoOptions o;
    CString* const moved[] = {
        &o.m_strAcquisitionTuneFile, &o.m_strDaughterTuneFile, &o.m_strParentTuneFile,  &o.m_strBaseQuanMethod,
        &o.m_strQuanMethodDaughter,  &o.m_strQuanMethodParent, &o.m_strStage1LCMethod,  &o.m_strStage2LCMethod,
        &o.m_strLoopLCMethod,        &o.m_strColumnLCMethod,   &o.m_strQuanCalibration, &o.m_strLimsExportFile,
    };
    CString* const kept[] = {&o.m_strMethodFile, &o.m_strCompoundList, &o.m_strAnalysisList};
    for (CString* field : moved)
        *field = "C:\\Old.PRO\\Dir\\file.dat";
    for (CString* field : kept)
        *field = "C:\\Old.PRO\\Dir\\file.dat";
    CTessalyOptionsSheet::SetProjectPaths("E:\\New.PRO", o);
    EXPECT_STREQ(o.m_strProject, "E:\\New.PRO");
    for (CString* field : moved)
        EXPECT_STREQ(*field, "E:\\New.PRO\\Dir\\file.dat");
    for (CString* field : kept)
        EXPECT_STREQ(*field, "C:\\Old.PRO\\Dir\\file.dat");
}

TEST(ProjectPaths, RemoveDoubleSlashesCollapsesRunsButKeepsALeadingPair)
{
    struct Case
    {
        const char* text;
        const char* cleaned;
    };
    const Case cases[] = {
        {"C:\\A\\\\\\B\\\\c.tym", "C:\\A\\B\\c.tym"},
        {"C:\\A\\\\", "C:\\A\\"},
        {"\\\\server\\\\x", "\\\\server\\x"},
        {"\\\\\\server", "\\\\server"}, // a network path's pair survives
        {"a\\\\", "a\\"},
        {"\\\\", "\\\\"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        char text[64];
        std::strcpy(text, c.text);
        CTessalyOptionsSheet::RemoveDoubleSlashes(text);
        EXPECT_STREQ(text, c.cleaned);
    }
    CTessalyOptionsSheet::RemoveDoubleSlashes(nullptr); // a null text is left alone
}

TEST(ProjectPaths, DefaultNameIsUntitledInTheCurrentMethodDatabase)
{
    testing::NiceMock<host::MockHost> host;
    host::ScopedHost installed(host);
    // The host turns a path form back into its directory, name and extension, as far as they fit.
    ON_CALL(host, ConvertHxFileToPath(_, _, _)).WillByDefault([](char* out, int limit, const tag_HXFILE& in) {
        const std::string path =
            std::string(in.Directory().GetString()) + in.FileName().GetString() + "." + in.Extension().GetString();
        std::snprintf(out, static_cast<std::size_t>(limit), "%s", path.c_str());
        return static_cast<int>(path.size()) < limit ? 1 : 0;
    });
    CString name;
    CTessalyOptionsSheet::CreateDefaultName(name); // no method database: the record stays zeroed
    EXPECT_STREQ(name, "Untitled.tym");

    ON_CALL(host, GetSystemListValue(testing::StrEq("SystemList"), testing::StrEq("METHOD_DB"), 0, _))
        .WillByDefault([](const char*, const char*, int, tag_HXFILE& out) {
            // The host hands back the database's own name too; only its directory is kept.
            out.SetDirectory("C:\\Projects\\Demo.PRO\\\\MethDB\\");
            out.SetFileName("Current");
            return 1;
        });
    CTessalyOptionsSheet::CreateDefaultName(name);
    EXPECT_STREQ(name, "C:\\Projects\\Demo.PRO\\MethDB\\Untitled.tym");

    // A faulty host fills all 260 bytes and no terminator: the name stops inside the buffer.
    EXPECT_CALL(host, ConvertHxFileToPath(_, 260, _)).WillOnce([](char* out, int limit, const tag_HXFILE&) {
        std::memset(out, 'a', static_cast<std::size_t>(limit));
        return 0;
    });
    CTessalyOptionsSheet::CreateDefaultName(name);
    EXPECT_EQ(name.GetLength(), 259);
}
} // namespace
