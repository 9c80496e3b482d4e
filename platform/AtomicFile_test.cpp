#include "platform/AtomicFile.h"
#include "testing/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

mode_t permissions(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST(AtomicFile, CreatesAndReplacesFiles)
{
    TempDir dir;
    const std::string path = dir.file("results.txt");
    const mode_t mask = umask(022);
    umask(mask);

    ASSERT_TRUE(writeFileAtomically(path, "first\n"));
    EXPECT_EQ(readText(path), "first\n");
    EXPECT_EQ(permissions(path), 0666 & ~mask);

    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(writeFileAtomically(path, std::string("second\0with a zero", 18)));
    EXPECT_EQ(readText(path), std::string("second\0with a zero", 18));
    EXPECT_EQ(permissions(path), 0604u);

    ASSERT_TRUE(writeFileAtomically(path, ""));
    EXPECT_EQ(readText(path), "");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"results.txt"});
}

TEST(AtomicFile, ReplacesTheTargetOfASymbolicLink)
{
    TempDir dir;
    writeText(dir.file("target.txt"), "old");
    ASSERT_EQ(symlink("target.txt", dir.file("link.txt").c_str()), 0);
    ASSERT_TRUE(writeFileAtomically(dir.file("link.txt"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(readText(dir.file("target.txt")), "new");
}

TEST(AtomicFile, FailsWithoutTouchingAnything)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
    EXPECT_FALSE(writeFileAtomically(dir.file("missing/file.txt"), "x"));
    EXPECT_FALSE(writeFileAtomically(dir.file("sub"), "x")) << "a directory is never replaced";
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("sub")));
    EXPECT_FALSE(writeFileAtomically(dir.file("sub/"), "x"));
    EXPECT_FALSE(writeFileAtomically("", "x"));
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"sub"});
}

TEST(AtomicFile, DiskFullLeavesTheOldFile)
{
    // The file-size limit makes write() fail with EFBIG part-way, as a full disk fails it with
    // ENOSPC; it works for root too, for whom permissions are no obstacle.
    TempDir dir;
    const std::string path = dir.file("log.txt");
    writeText(path, "old content");
    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeFileAtomically(path, std::string(1000, 'n'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readText(path), "old content");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"log.txt"});
}

TEST(AtomicFile, UnwritableDirectoryLeavesTheOldFile)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("locked").c_str(), 0755), 0);
    const std::string path = dir.file("locked/log.txt");
    writeText(path, "old content");
    ASSERT_EQ(chmod(dir.file("locked").c_str(), 0555), 0);
    const bool writable = access(dir.file("locked").c_str(), W_OK) == 0;
    const bool written = writable ? false : writeFileAtomically(path, "new content");
    chmod(dir.file("locked").c_str(), 0755);
    if (writable)
        GTEST_SKIP() << "permissions do not bind this user (root); DiskFullLeavesTheOldFile covers the failure";
    EXPECT_FALSE(written);
    EXPECT_EQ(readText(path), "old content");
    EXPECT_EQ(entries(dir.file("locked")), std::vector<std::string>{"log.txt"});
}
} // namespace
