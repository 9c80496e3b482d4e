// Tests of project keys, moving a method into another project, doubled backslashes and the name
// of a new method.
#include "testing/MockHost.h"
#include "method/TessalyOptionsSheet.h"

#include <cstdio>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>

namespace
{
using ::testing::_;
using ::testing::NiceMock;
using ::testing::StrEq;

TEST(GetProject, KeyOfAPath)
{
    struct Case
    {
        const char* path;
        const char* key;
    };
    const Case cases[] = {
        {"C:\\X\\P.PRO\\a.ipr", "C:\\X\\P"},
        {"C:\\X\\P.PRO\\Tune\\Deep\\a.ipr", "C:\\X\\P"},
        {"c:\\x\\study.pro\\tune\\a.ipr", "C:\\X\\STUDY"}, // found in lower case, returned upper-cased
        {"C:/X/P.PRO/Tune/a.ipr", "C:/X/P"},
        {"C:\\Data\\a.ipr", "C:\\DATA\\"}, // outside any project: its own directory
        {"C:\\X\\P.PRO", "C:\\X\\"},       // the project directory itself names no file inside it
        {"a.ipr", ""},
        {"", ""},
        {".PRO\\a.ipr", ".PRO\\"}, // nothing before ".PRO": no project
        {"C:\\A.PRO\\B.PRO\\a.ipr", "C:\\A"},
        // Only a directory name ending in ".PRO" is a project: ".PRO" inside a name is not.
        {"C:\\My.Programs\\Study.PRO\\a.ipr", "C:\\MY.PROGRAMS\\STUDY"},
        {"C:\\My.Programs\\a.ipr", "C:\\MY.PROGRAMS\\"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        CString path = c.path;
        CTessalyOptionsSheet::GetProject(path);
        EXPECT_STREQ(path, c.key);
    }
}

TEST(GetProject, OverlongDirectoryIsCutNotOverrun)
{
    // The path splitter keeps 255 characters of a directory; the project beyond them is not seen.
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\P.PRO\\a.ipr";
    CString path = deep.c_str();
    CTessalyOptionsSheet::GetProject(path);
    EXPECT_EQ(path.GetLength(), 255 + 2);
}

TEST(ChangeDirectoryInString, MovesThePathIntoTheProject)
{
    struct Case
    {
        const char* path;
        const char* project;
        const char* moved;
    };
    const Case cases[] = {
        {"C:\\Old\\A.PRO\\Tune\\a.ipr", "D:\\New\\B.PRO", "D:\\New\\B.PRO\\Tune\\a.ipr"},
        // The project is inserted as given: its trailing backslash doubles the separator.
        {"C:\\Old\\A.PRO\\Tune\\a.ipr", "D:\\New\\B.PRO\\", "D:\\New\\B.PRO\\\\Tune\\a.ipr"},
        // The text after ".PRO" keeps its own letter case.
        {"c:\\old\\a.pro\\Tune\\MixedCase.ipr", "D:\\B.PRO", "D:\\B.PRO\\Tune\\MixedCase.ipr"},
        {"C:\\A.PRO\\B.PRO\\a.ipr", "D:\\N.PRO", "D:\\N.PRO\\B.PRO\\a.ipr"},
        {"C:\\My.Programs\\Study.PRO\\a.ipr", "D:\\N.PRO", "D:\\N.PRO\\a.ipr"},
        // Outside any project, bare names and the empty text stay as they are.
        {"C:\\Data\\a.ipr", "D:\\N.PRO", "C:\\Data\\a.ipr"},
        {"a.ipr", "D:\\N.PRO", "a.ipr"},
        {"", "D:\\N.PRO", ""},
        {"C:\\Old\\A.PRO", "D:\\N.PRO", "C:\\Old\\A.PRO"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        CString path = c.path;
        CTessalyOptionsSheet::ChangeDirectoryInString(path, c.project);
        EXPECT_STREQ(path, c.moved);
    }
}

TEST(SetProjectPaths, MovesEveryProjectFileButNotTheMethodOrTheLists)
{
    CBrenmoOptions o;
    CString* const moved[] = {
        &o.m_strAcquisitionTuneFile, &o.m_strDaughterTuneFile, &o.m_strParentTuneFile,  &o.m_strBaseQuanMethod,
        &o.m_strQuanMethodDaughter,  &o.m_strQuanMethodParent, &o.m_strStage1LCMethod,  &o.m_strStage2LCMethod,
        &o.m_strLoopLCMethod,        &o.m_strColumnLCMethod,   &o.m_strQuanCalibration, &o.m_strLimsExportFile,
    };
    CString* const kept[] = {&o.m_strMethodFile, &o.m_strCompoundList, &o.m_strAnalysisList};
    int n = 0;
    for (CString* field : moved)
        field->Format("C:\\Old.PRO\\Dir\\moved%d.dat", n++);
    for (CString* field : kept)
        field->Format("C:\\Old.PRO\\Dir\\kept%d.dat", n++);

    CTessalyOptionsSheet::SetProjectPaths("E:\\Projects\\New.PRO", o);

    EXPECT_STREQ(o.m_strProject, "E:\\Projects\\New.PRO");
    n = 0;
    for (CString* field : moved)
    {
        CString expected;
        expected.Format("E:\\Projects\\New.PRO\\Dir\\moved%d.dat", n++);
        EXPECT_STREQ(*field, expected);
    }
    for (CString* field : kept)
    {
        CString expected;
        expected.Format("C:\\Old.PRO\\Dir\\kept%d.dat", n++);
        EXPECT_STREQ(*field, expected);
    }
}

TEST(RemoveDoubleSlashes, CollapsesRunsButKeepsALeadingPair)
{
    struct Case
    {
        const char* text;
        const char* cleaned;
    };
    const Case cases[] = {
        {"C:\\A\\\\B\\c.tym", "C:\\A\\B\\c.tym"},
        {"C:\\A\\\\\\B\\\\\\\\c.tym", "C:\\A\\B\\c.tym"},
        {"C:\\A\\\\", "C:\\A\\"},
        {"\\\\server\\share\\\\x", "\\\\server\\share\\x"}, // a network path's pair survives
        {"\\\\\\server", "\\\\server"},                     // a third one goes
        {"\\\\", "\\\\"},                                   // too short to change
        {"a\\\\", "a\\"},
        {"", ""},
        {"no slashes", "no slashes"},
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

// A host whose system list and path conversion behave as the host's do; the method database's
// directory comes from the test.
class CreateDefaultNameTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ON_CALL(host_, ConvertHxFileToPath(_, _, _)).WillByDefault([](char* out, int limit, const tag_HXFILE& in) {
            std::string path = in.Directory().GetString();
            path += in.FileName().GetString();
            if (!in.Extension().IsEmpty())
                path += std::string(".") + in.Extension().GetString();
            std::snprintf(out, static_cast<std::size_t>(limit), "%s", path.c_str());
            return static_cast<int>(path.size()) < limit ? 1 : 0;
        });
    }

    NiceMock<host::MockHost> host_;
    host::ScopedHost installed_{host_};
};

TEST_F(CreateDefaultNameTest, UntitledInTheCurrentMethodDatabase)
{
    EXPECT_CALL(host_, GetSystemListValue(StrEq("SystemList"), StrEq("METHOD_DB"), 0, _))
        .WillOnce([](const char*, const char*, int, tag_HXFILE& out) {
            // The host hands back the database's own name too; only its directory is kept.
            out.SetDirectory("C:\\Projects\\Demo.PRO\\\\MethDB\\");
            out.SetFileName("Current");
            out.SetExtension("mdb");
            return 1;
        });
    EXPECT_CALL(host_, ConvertHxFileToPath(_, 260, _));
    CString name = "previous";
    CTessalyOptionsSheet::CreateDefaultName(name);
    EXPECT_STREQ(name, "C:\\Projects\\Demo.PRO\\MethDB\\Untitled.tym");
}

TEST_F(CreateDefaultNameTest, WithoutAMethodDatabaseTheNameIsBare)
{
    // The system list has no "METHOD_DB": the record stays zeroed.
    CString name;
    CTessalyOptionsSheet::CreateDefaultName(name);
    EXPECT_STREQ(name, "Untitled.tym");
}

TEST_F(CreateDefaultNameTest, AHostThatFillsTheWholeBufferIsNotReadPast)
{
    // A faulty host writes all 260 bytes and no terminator.
    EXPECT_CALL(host_, ConvertHxFileToPath(_, 260, _)).WillOnce([](char* out, int limit, const tag_HXFILE&) {
        std::memset(out, 'a', static_cast<std::size_t>(limit));
        return 0;
    });
    CString name;
    CTessalyOptionsSheet::CreateDefaultName(name);
    EXPECT_EQ(name.GetLength(), 259);
}
} // namespace
