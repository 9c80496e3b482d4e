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
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>

namespace
{
namespace fs = std::filesystem;
using ::testing::_;
using ::testing::Return;

TEST(FileUtilText, TrailingSlashesAndExtensions)
{
    struct Case
    {
        const char* in;
        const char* out;
        int result;
    };
    const Case cases[] = {
        {"C:\\temp\\", "C:\\temp", 1}, {"C:/temp/", "C:/temp", 1}, {"C:\\temp\\ \t", "C:\\temp", 1},
        {"C:\\temp  ", "C:\\temp", 0}, {"\\  ", "\\", 0},          {"", "", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.in);
        char buffer[64];
        std::strcpy(buffer, c.in);
        EXPECT_EQ(RemoveTrailingSlash(buffer), c.result);
        EXPECT_STREQ(buffer, c.out);
    }
    // The text after the last full stop, unless it names a project.
    EXPECT_EQ(GetDefaultExtension("C:\\a.b\\list.csv") + GetDefaultExtension("C:\\x.PR") +
                  GetDefaultExtension("C:\\Study.pro") + GetDefaultExtension("C:\\list"),
              "csvPR");
}

// The stand-in's data directory is the test's directory, and its temporary directory (TMPDIR)
// the folder tmp in it.
class FileUtilTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
        fs::create_directory(dir_.file("tmp"));
        if (const char* tmp = std::getenv("TMPDIR"))
            oldTmp_ = tmp;
        setenv("TMPDIR", dir_.file("tmp").c_str(), 1);
        temp_ = platform::hostTemporaryDirectory();
    }
    void TearDown() override
    {
        DeleteTempFiles();
        DeleteTempDirs();
        kelvane::uninstall();
        oldTmp_ ? setenv("TMPDIR", oldTmp_->c_str(), 1) : unsetenv("TMPDIR");
    }
    void make(std::initializer_list<const char*> names) const
    {
        for (const char* name : names)
            testkit::writeText(dir_.file(name), "");
    }
    bool exists(const char* name) const
    {
        return fs::exists(dir_.file(name));
    }

    testkit::TempDir dir_;
    std::string temp_; // the host path of tmp, ending in a backslash
    std::optional<std::string> oldTmp_;
};

TEST_F(FileUtilTest, UniqueNamesAreCreatedInTurnUpTo999)
{
    EXPECT_EQ(std::string(CreateUniqueName("TYPQ_", "mdb", 1)), temp_ + "TYPQ_001.mdb");
    EXPECT_EQ(std::string(CreateUniqueName("TYPQ_", ".mdb", 1)), temp_ + "TYPQ_002.mdb");
    EXPECT_TRUE(exists("tmp/TYPQ_002.mdb"));
    for (int n = 1; n <= 997; ++n)
        make({(std::string("tmp/m_") + (n < 10 ? "00" : n < 100 ? "0" : "") + std::to_string(n) + ".MDB").c_str()});
    EXPECT_EQ(std::string(CreateUniqueName("m_", "mdb", 1)), temp_ + "m_998.mdb");
    EXPECT_EQ(std::string(CreateUniqueName("m_", "mdb", 990)), temp_ + "m_999.mdb");
    EXPECT_STREQ(CreateUniqueName("m_", "mdb", 1), "");
    EXPECT_STREQ(CreateUniqueName("m_", "mdb", 1000), "");
}

TEST_F(FileUtilTest, AFileHeldOpenIsNeitherChosenNorEmptied)
{
    testkit::writeText(dir_.file("X001.mdb"), "in use");
    const HANDLE held = CFileAccess::CreateFileS("C:\\X001.mdb", GENERIC_READ | GENERIC_WRITE, 3, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr, 1);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileExists("C:\\X001.mdb"), 0);
    EXPECT_EQ(DirectoryExists(CString("C:\\X001.mdb")), 1);
    EXPECT_STREQ(CreateUniqueNameInDir("C:", "X", "mdb", 1), "C:\\X002.mdb");
    EXPECT_EQ(testkit::readText(dir_.file("X001.mdb")), "in use");
    CFileAccess::CloseHandleS(held);
    EXPECT_EQ(FileExists("C:\\x001.MDB"), 1);
    EXPECT_EQ(DirectoryExists(CString("C:\\tmp")) + FileExists("C:\\tmp") + DirectoryExists(CString("C:\\no")), 1);
}

TEST_F(FileUtilTest, DeletionTakesTheMatchesAndTheirSiblingsOnly)
{
    fs::create_directory(dir_.file("w"));
    fs::create_directory(dir_.file("w/a1.sub"));
    make({"w/a1.txt", "w/A2.TXT", "w/b1.txt", "w/a10.txt", "tmp/T_001.mdb", "tmp/t_001.LDB", "tmp/T_0010.mdb",
          "tmp/U_001.mdb", "tmp/keep.txt"});
    EXPECT_EQ(DeleteWithWilds("C:\\W\\a?.*"), 1);
    EXPECT_EQ(DeleteWithWilds("C:/w/zz*"), 0);
    AddToTempFiles((temp_ + "T_002.mdb").c_str()); // another process deleted it already
    AddToTempFiles("C:/tmp/T_001.mdb");            // the host's file beside it (T_001.LDB) goes too
    AddToTempFiles((temp_ + "U_001.mdb").c_str());
    EXPECT_EQ(DeleteTempFiles(), 0); // the first found nothing
    EXPECT_EQ(DeleteTempFiles(), 1); // and the registry is empty
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path()))
        left.insert(entry.path().lexically_relative(dir_.path()).string());
    EXPECT_EQ(left, (std::set<std::string>{"tmp", "tmp/T_0010.mdb", "tmp/keep.txt", "w", "w/a1.sub", "w/a10.txt",
                                           "w/b1.txt"}));
}

TEST_F(FileUtilTest, AcquisitionDirectoriesAreNamedRegisteredOnceAndErased)
{
    fs::create_directories(dir_.file("tmp/ACQ005A.RAW/inner"));
    make({"tmp/ACQ005A.RAW/inner/_FUNC001.DAT"});
    EXPECT_EQ(std::string(CreateAcqFileName("ACQ", temp_.substr(0, temp_.size() - 1).c_str(), 5)),
              temp_ + "ACQ005B.RAW");
    EXPECT_FALSE(exists("tmp/ACQ005B.RAW")); // nothing is created
    EXPECT_EQ(AddToTempDirs((temp_ + "ACQ005A.RAW").c_str()), 1);
    EXPECT_EQ(AddToTempDirs((temp_ + "acq005a.raw").c_str()), 0);
    EXPECT_EQ(DeleteTempDirs(), 1);
    EXPECT_FALSE(exists("tmp/ACQ005A.RAW"));
}

TEST_F(FileUtilTest, OverlongNamesAreRefusedNotCut)
{
    const std::string longDir = "C:\\" + std::string(250, 'd');
    EXPECT_STREQ(CreateUniqueNameInDir(longDir.c_str(), "X", "mdb", 1), "");
    EXPECT_STREQ(CreateAcqFileName("X", longDir.c_str(), 1), "");
    EXPECT_EQ(DeleteWithWilds(("C:\\" + std::string(254, 'd') + "\\x").c_str()), 0); // its directory would be cut
    // The host's erase takes at most 1023 characters: a longer entry fails without reaching it.
    AddToTempDirs(("C:\\" + std::string(1030, 'd')).c_str());
    EXPECT_EQ(DeleteTempDirs(), 0);
}

// ---- Exact host calls -------------------------------------------------------------------------

TEST(FileUtilHost, TemporaryNamesNeedTheHostsRoomyPathAndStopAtARefusedCreate)
{
    testing::NiceMock<host::MockHost> host;
    host::ScopedHost scope(host);
    // The host cannot give its temporary directory, or it needs more room than the buffer has.
    EXPECT_CALL(host, GetTempPathSA(260u, _)).WillOnce(Return(DWORD{0})).WillOnce(Return(DWORD{260}));
    EXPECT_STREQ(CreateUniqueName("T", "mdb", 1), "");
    EXPECT_STREQ(CreateUniqueName("T", "mdb", 1), "");
    // No name exists; the first create finds one made meanwhile, the second is refused outright.
    EXPECT_CALL(host, CreateFileS(_, _, _, _, static_cast<DWORD>(OPEN_EXISTING), _, _, _))
        .WillRepeatedly(Return(INVALID_HANDLE_VALUE));
    EXPECT_CALL(host, CreateFileS(_, _, _, _, static_cast<DWORD>(CREATE_NEW), _, _, _))
        .WillOnce([](auto&&...) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        })
        .WillOnce([](auto&&...) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        });
    EXPECT_STREQ(CreateUniqueNameInDir("C:\\t", "X", "mdb", 1), "");
}
} // namespace
