#include "platform/AtomicFile.h"
#include "platform/LastError.h"
#include "platform/Profile.h"
#include "testing/TempDir.h"
#include "testing/Unprivileged.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
using platform::writeFileAtomically;
using testkit::readText;
using testkit::TempDir;
using testkit::writeText;

// The names in the directory: a failed or finished write must leave no temporary file behind.
std::vector<std::string> entries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat statusOf(const std::string& path)
{
    struct stat status = {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

TEST(AtomicFile, CreatesAndReplacesFilesKeepingTheirMode)
{
    TempDir dir;
    const std::string path = dir.file("results.txt");
    const mode_t mask = umask(022);
    umask(mask);
    ASSERT_TRUE(writeFileAtomically(path, "first\n"));
    EXPECT_EQ(statusOf(path).st_mode & 07777, 0666 & ~mask);
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(writeFileAtomically(path, std::string("second\0with a zero", 18)));
    EXPECT_EQ(readText(path), std::string("second\0with a zero", 18));
    EXPECT_EQ(statusOf(path).st_mode & 07777, 0604u);

    ASSERT_EQ(symlink("results.txt", dir.file("link.txt").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(dir.file("link.txt"), ""));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt"))) << "the link's target is replaced";
    EXPECT_EQ(readText(path), "");
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"link.txt", "results.txt"}));
}

TEST(AtomicFile, FailuresLeaveEverythingAsItWas)
{
    // The file-size limit makes write() fail with EFBIG part-way, as a full disk fails it with
    // ENOSPC; it works for root too, for whom permissions are no obstacle.
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    writeText(dir.file("log.txt"), "old content");
    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small = {100, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_FALSE(writeFileAtomically(dir.file("log.txt"), std::string(1000, 'n')));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    // A directory is never replaced.
    for (const std::string& path : {dir.file("missing/file.txt"), dir.file("sub"), dir.file("sub/"), std::string()})
        EXPECT_FALSE(writeFileAtomically(path, "x")) << path;
    EXPECT_EQ(readText(dir.file("log.txt")), "old content");
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"log.txt", "sub"}));
}

TEST(AtomicFile, SavesWhatTheUserMayWriteAndNothingElse)
{
    // An ordinary user saves a method file of root's (the test's own user when not root): the
    // file's permission decides, never the folder's, and the file keeps its owner and mode.
    struct Case
    {
        const char* name;
        mode_t file;
        mode_t folder;
        bool saved;
        const char* value = "new";
    };
    const Case cases[] = {
        {"read-only file in an open folder", 0444, 0777, false},
        {"writable file in a locked folder", 0666, geteuid() == 0 ? 0755u : 0555u, true},
        {"writable file of another owner in an open folder", 0666, 0777, true},
        {"read-only file, the value it already holds", 0444, 0777, false, "old"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempDir dir;
        testkit::openToEveryone(dir.path());
        const std::string folder = dir.file("f"), path = folder + "/m.ini";
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        writeText(path, "[S]\r\nk=old\r\n");
        ASSERT_EQ(chmod(path.c_str(), c.file), 0);
        ASSERT_EQ(chmod(folder.c_str(), c.folder), 0);
        const struct stat before = statusOf(path);

        const int result = testkit::runUnprivileged([&] {
            const BOOL ok = WritePrivateProfileStringA("S", "k", c.value, "C:\\f\\m.ini");
            return ok ? 1 : GetLastError() == ERROR_ACCESS_DENIED ? 2 : 3;
        });
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(result, c.saved ? 1 : 2);
        EXPECT_EQ(readText(path), c.saved ? "[S]\r\nk=new\r\n" : "[S]\r\nk=old\r\n");
        const struct stat after = statusOf(path);
        EXPECT_EQ(std::tie(after.st_uid, after.st_gid, after.st_mode),
                  std::tie(before.st_uid, before.st_gid, before.st_mode));
        EXPECT_EQ(entries(folder), std::vector<std::string>{"m.ini"});
    }
}

TEST(AtomicFile, RemovesTemporariesOfWritersThatNoLongerRun)
{
    TempDir dir;
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = ".log.txt.tmp" + std::to_string(child);
    writeText(dir.file(dead + "_0_1"), "partial");
    // A live writer's temporary, names that are no temporary's and another file's temporary stay.
    std::vector<std::string> kept = {
        ".log.txt.tmp" + std::to_string(getpid()) + "_900_0", dead + "_0_1x", dead + "_0", dead + "x_0_1",
        ".other.txt.tmp" + std::to_string(child) + "_0_1",    "log.txt"};
    for (const std::string& name : kept)
        writeText(dir.file(name), "partial");
    ASSERT_TRUE(writeFileAtomically(dir.file("log.txt"), "saved"));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(entries(dir.path()), kept);
}
} // namespace
