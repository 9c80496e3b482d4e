// The file utilities on the Kelvane stand-in over a temporary data directory, where the files
// themselves show what happened, and on a mock host where the exact host calls matter.
#include "fileutil/FileUtil.h"
#include "kelvane/KelvaneHost.h"
#include "platform/LastError.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gmock/gmock.h>
#include <set>
#include <string>

namespace
{
namespace fs = std::filesystem;
using ::testing::_;

// The stand-in's data directory is the test's directory, and its temporary directory (TMPDIR)
// the folder tmp in it, whose host path (ending in a backslash) is temp_.
class FileUtilTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
        fs::create_directory(dir_.file("tmp"));
        setenv("TMPDIR", dir_.file("tmp").c_str(), 1);
    }
    void TearDown() override
    {
        kelvane::uninstall();
        unsetenv("TMPDIR");
    }
    testkit::TempDir dir_;
    const std::string temp_ = "C:\\tmp\\";
};

TEST_F(FileUtilTest, UniqueNamesDeletionAndTemporaryDirectories)
{
    // Overlong names are refused, not cut; deletion takes the matches and their siblings only.
    const std::string d248(248, 'd'); // C:\d248\X001.mdb is 260 characters, one more than a path holds
    for (const std::string& directory : {std::string("w/a1.sub"), std::string("tmp/ACQ005A.RAW/inner"), d248})
        fs::create_directories(dir_.file(directory.c_str()));
    EXPECT_STREQ(CreateUniqueNameInDir(("C:\\" + d248).c_str(), "X", "mdb", 1), "");
    EXPECT_EQ(DeleteWithWilds(("C:\\" + std::string(254, 'd') + "\\x").c_str()), 0); // its directory would be cut
    for (const char* name : {"w/a1.txt", "w/A2.TXT", "w/b1.txt", "w/a10.txt", "tmp/T_001.mdb", "tmp/t_001.LDB",
                             "tmp/T_0010.mdb", "tmp/U_001.mdb", "tmp/keep.txt", "tmp/ACQ005A.RAW/inner/_FUNC001.DAT"})
        testkit::writeText(dir_.file(name), "");
    EXPECT_EQ(DeleteWithWilds("C:\\W\\a?.*") * 10 + DeleteWithWilds("C:/w/zz*"), 10);
    AddToTempFiles((temp_ + "T_002.mdb").c_str()); // another process deleted it already
    AddToTempFiles("C:/tmp/T_001.mdb");            // the host's file beside it (T_001.LDB) goes too
    AddToTempFiles((temp_ + "U_001.mdb").c_str());
    // The first found nothing; then the registry is empty. (<< orders the calls.)
    EXPECT_EQ((testing::Message() << DeleteTempFiles() << DeleteTempFiles()).GetString(), "01");
    // The next free acquisition name; nothing is created, and a directory is registered once.
    EXPECT_STREQ(CreateAcqFileName("ACQ", "C:\\tmp", 5), "C:\\tmp\\ACQ005B.RAW");
    EXPECT_EQ((testing::Message() << AddToTempDirs("C:\\tmp\\ACQ005A.RAW") << AddToTempDirs("C:\\tmp\\acq005a.raw"))
                  .GetString(), "10");
    EXPECT_EQ(DeleteTempDirs(), 1);
    // The host's erase takes at most 1023 characters: a longer entry fails without reaching it.
    AddToTempDirs(("C:\\" + std::string(1030, 'd')).c_str());
    EXPECT_EQ(DeleteTempDirs(), 0);
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path()))
        left.insert(entry.path().lexically_relative(dir_.path()).string());
    EXPECT_EQ(left, (std::set<std::string>{"tmp", "tmp/T_0010.mdb", "tmp/keep.txt", "w", "w/a1.sub", "w/a10.txt",
                                           "w/b1.txt", d248}));
    // Unique names are created in turn up to 999; a file held open is neither chosen nor emptied.
    EXPECT_EQ(std::string(CreateUniqueName("TYPQ_", "mdb", 1)), temp_ + "TYPQ_001.mdb");
    EXPECT_EQ(std::string(CreateUniqueName("TYPQ_", ".mdb", 1)), temp_ + "TYPQ_002.mdb"); // the first was created
    for (int n = 1; n <= 997; ++n)
        testkit::writeText(dir_.file(("tmp/m_" + std::to_string(1000 + n).substr(1) + ".MDB").c_str()), "");
    EXPECT_EQ(std::string(CreateUniqueName("m_", "mdb", 1)), temp_ + "m_998.mdb");
    EXPECT_EQ(std::string(CreateUniqueName("m_", "mdb", 990)), temp_ + "m_999.mdb");
    EXPECT_EQ(std::string(CreateUniqueName("m_", "mdb", 1)) + CreateUniqueName("m_", "mdb", 1000), "");

    testkit::writeText(dir_.file("X001.mdb"), "in use");
    const HANDLE held = CFileAccess::CreateFileS("C:\\X001.mdb", GENERIC_READ | GENERIC_WRITE, 3, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr, 1);
    EXPECT_EQ(FileExists("C:\\X001.mdb") * 10 + DirectoryExists(CString("C:\\X001.mdb")), 1);
    EXPECT_STREQ(CreateUniqueNameInDir("C:", "X", "mdb", 1), "C:\\X002.mdb");
    EXPECT_EQ(testkit::readText(dir_.file("X001.mdb")), "in use");
    CFileAccess::CloseHandleS(held);
    EXPECT_EQ(FileExists("C:\\x001.MDB") * 1000 + DirectoryExists(CString("C:\\tmp")) * 100 +
                  FileExists("C:\\tmp") * 10 + DirectoryExists(CString("C:\\no")), 1100);
}

// Anyone may write the temporary directory: a name planted there that the host would read as a
// path (separators and "..") must not steer the clean-up to a file elsewhere.
TEST_F(FileUtilTest, CleanUpNeverDeletesOutsideThePatternsDirectory)
{
    fs::create_directories(dir_.file("victim"));
    testkit::writeText(dir_.file("victim/precious.txt"), "kept");
    const std::string planted = dir_.file("tmp/TYPQ_001.\\..\\..\\victim\\precious.txt");
    testkit::writeText(planted, "planted");
    testkit::writeText(dir_.file("tmp/TYPQ_001.mdb"), "");
    AddToTempFiles((temp_ + "TYPQ_001.mdb").c_str());
    EXPECT_EQ(DeleteTempFiles(), 1);
    EXPECT_EQ(DeleteWithWilds("C:\\tmp\\*"), 0) << "only the planted name is left, and it is never found";
    EXPECT_EQ(testkit::readText(dir_.file("victim/precious.txt")) + testkit::readText(planted), "keptplanted");
    EXPECT_FALSE(fs::exists(dir_.file("tmp/TYPQ_001.mdb")));
}

// Whatever a host's search returns, only plain names of the pattern's directory are deleted.
TEST(FileUtilHost, WildcardDeletionSkipsNamesThatAreNotOneEntry)
{
    testing::StrictMock<host::MockHost> host;
    host::ScopedHost scope(host);
    const char* names[] = {"..", "a\\..\\..\\x", "b/../y", ".", "ok.mdb"};
    std::size_t next = 0;
    const auto give = [&](WIN32_FIND_DATAA* found) {
        if (next == std::size(names))
            return FALSE;
        std::strcpy(found->cFileName, names[next++]);
        return TRUE;
    };
    EXPECT_CALL(host, FindFirstFileSA(_, _)).WillOnce([&](const char*, WIN32_FIND_DATAA& f) {
        give(&f);
        return reinterpret_cast<HANDLE>(7);
    });
    EXPECT_CALL(host, FindNextFileSA(_, _)).WillRepeatedly([&](HANDLE, WIN32_FIND_DATAA& f) { return give(&f); });
    EXPECT_CALL(host, FindCloseS(_)).WillOnce(testing::Return(TRUE));
    EXPECT_CALL(host, DeleteFileS(testing::StrEq("C:\\t\\ok.mdb"))).WillOnce(testing::Return(TRUE));
    EXPECT_EQ(DeleteWithWilds("C:\\t\\*"), 1);
}

TEST(FileUtilHost, TextAndTemporaryNamesThatNeedTheHostsRoomyPathAndStopAtARefusedCreate)
{
    struct Case { const char* in; const char* out; int result; };
    const Case cases[] = {{"C:\\temp\\", "C:\\temp", 1}, {"C:/temp/", "C:/temp", 1}, {"C:\\temp\\ \t", "C:\\temp", 1},
                          {"C:\\temp  ", "C:\\temp", 0}, {"\\  ", "\\", 0}, {"", "", 0}};
    for (const Case& c : cases)
    {
        char buffer[64];
        EXPECT_EQ(RemoveTrailingSlash(std::strcpy(buffer, c.in)), c.result) << c.in;
        EXPECT_STREQ(buffer, c.out);
    }
    // The text after the last full stop, unless it names a project.
    EXPECT_EQ(GetDefaultExtension("C:\\a.b\\list.csv") + GetDefaultExtension("C:\\x.PR") +
                  GetDefaultExtension("C:\\Study.pro") + GetDefaultExtension("C:\\list"), "csvPR");
    testing::NiceMock<host::MockHost> host;
    host::ScopedHost scope(host);
    // No name exists (and a name the host made room for would be created, an unexpected call).
    EXPECT_CALL(host, CreateFileS(_, _, _, _, DWORD{OPEN_EXISTING}, _, _, _))
        .WillRepeatedly(testing::Return(INVALID_HANDLE_VALUE));
    // The host cannot give its temporary directory, or it needs more room than the buffer has.
    EXPECT_CALL(host, GetTempPathSA(260u, _)).WillOnce(testing::Return(DWORD{0})).WillOnce(testing::Return(DWORD{260}));
    EXPECT_EQ(std::string(CreateUniqueName("T", "mdb", 1)) + CreateUniqueName("T", "mdb", 1), "");
    // The first create finds a name made meanwhile, the second is refused outright.
    const auto refuse = [](DWORD e) { return [=](auto&&...) { return SetLastError(e), INVALID_HANDLE_VALUE; }; };
    EXPECT_CALL(host, CreateFileS(_, _, _, _, static_cast<DWORD>(CREATE_NEW), _, _, _))
        .WillOnce(refuse(ERROR_FILE_EXISTS)).WillOnce(refuse(ERROR_ACCESS_DENIED));
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\t", "X", "mdb", 1), "");
}
} // namespace
