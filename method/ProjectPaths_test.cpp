// Tests of project keys, moving a method into another project, doubled backslashes and the name
// of a new method.
#include "method/TessalyOptionsSheet.h"
#include "testing/MockHost.h"

#include <cstdio>
#include <cstring>
#include <gmock/gmock.h>
#include <string>
#include <utility>

namespace
{
using ::testing::_;

TEST(ProjectPaths, KeysMovesDoubledBackslashesAndTheDefaultName)
{
    struct Case { const char* path; const char* key; const char* moved; }; // moved: into "D:\N.PRO"
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
        {"C:\\Data\\a.ipr", "C:\\DATA\\", "C:\\Data\\a.ipr"}, {"a.ipr", "", "a.ipr"}, {"", "", ""},
        {"C:\\X\\P.PRO", "C:\\X\\", "C:\\X\\P.PRO"}, // the project directory itself
        {".PRO\\a.ipr", ".PRO\\", ".PRO\\a.ipr"},    // nothing before ".PRO"
    };
    for (const Case& c : cases)
    {
        CString key = c.path, moved = c.path;
        CTessalyOptionsSheet::GetProject(key);
        CTessalyOptionsSheet::ChangeDirectoryInString(moved, "D:\\N.PRO");
        EXPECT_EQ(std::string(key) + "|" + moved.GetString(), std::string(c.key) + "|" + c.moved) << c.path;
    }
    // The path splitter keeps 255 characters of a directory; the project beyond them is not seen.
    CString deep = ("C:\\" + std::string(300, 'd') + "\\P.PRO\\a.ipr").c_str();
    CTessalyOptionsSheet::GetProject(deep);
    EXPECT_EQ(deep.GetLength(), 255 + 2);
    // A method moved into another project: its project files move (the end-to-end move shows every
    // one), the lists it runs on do not.
    CBrenmoOptions o;
    o.m_strQuanCalibration = o.m_strLimsExportFile = o.m_strCompoundList = "C:\\Old.PRO\\Dir\\f";
    CTessalyOptionsSheet::SetProjectPaths("E:\\New.PRO", o);
    EXPECT_EQ((testing::Message() << o.m_strProject << ";" << o.m_strQuanCalibration << ";" << o.m_strLimsExportFile
                                  << ";" << o.m_strCompoundList).GetString(),
              "E:\\New.PRO;E:\\New.PRO\\Dir\\f;E:\\New.PRO\\Dir\\f;C:\\Old.PRO\\Dir\\f");
    // Runs of backslashes collapse, but a network path's leading pair survives; a null text is left alone.
    for (const auto& [text, cleaned] : {std::pair{"C:\\A\\\\\\B\\\\c.tym", "C:\\A\\B\\c.tym"}, {"C:\\A\\\\", "C:\\A\\"},
             {"a\\\\", "a\\"}, {"\\\\", "\\\\"}, {"\\\\server\\\\x", "\\\\server\\x"}, {"\\\\\\server", "\\\\server"}})
    {
        char buffer[64];
        CTessalyOptionsSheet::RemoveDoubleSlashes(std::strcpy(buffer, text));
        EXPECT_STREQ(buffer, cleaned) << text;
    }
    CTessalyOptionsSheet::RemoveDoubleSlashes(nullptr);
    // A new method is Untitled in the current method database.
    testing::NiceMock<host::MockHost> host;
    host::ScopedHost installed(host);
    // The host turns a path form back into its directory, name and extension, as far as they fit.
    ON_CALL(host, ConvertHxFileToPath(_, _, _)).WillByDefault([](char* out, int limit, const tag_HXFILE& in) {
        const int n = std::snprintf(out, static_cast<std::size_t>(limit), "%s%s.%s", in.Directory().GetString(),
                                    in.FileName().GetString(), in.Extension().GetString());
        return n < limit ? 1 : 0;
    });
    CString name, names;
    CTessalyOptionsSheet::CreateDefaultName(name); // no method database: the record stays zeroed
    names = name + ";";

    ON_CALL(host, GetSystemListValue(testing::StrEq("SystemList"), testing::StrEq("METHOD_DB"), 0, _))
        .WillByDefault([](const char*, const char*, int, tag_HXFILE& out) { // the database's name is not kept
            return out.SetDirectory("C:\\Projects\\Demo.PRO\\\\MethDB\\") && out.SetFileName("Current") ? 1 : 0;
        });
    CTessalyOptionsSheet::CreateDefaultName(name);
    EXPECT_STREQ(names + name, "Untitled.tym;C:\\Projects\\Demo.PRO\\MethDB\\Untitled.tym");

    // A faulty host fills all 260 bytes and no terminator: the name stops inside the buffer.
    EXPECT_CALL(host, ConvertHxFileToPath(_, 260, _))
        .WillOnce([](char* out, int limit, auto&&) { return std::memset(out, 'a', std::size_t(limit)), 0; });
    CTessalyOptionsSheet::CreateDefaultName(name);
    EXPECT_EQ(name.GetLength(), 259);
}
} // namespace
