// The results-log stream: published whole by rename at flush and close, never half-written,
// refusing links and odd targets, and cleaning up after writers that were killed.
#include "kelvane/KelvaneHost.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;
using testkit::writeText;

// Each test gets its own data directory (C:\) with the stand-in host installed on it.
class OutputStreamTest : public ::testing::Test
{
  protected:
    // Names in a directory of the data directory, to show that no temporary file is left behind.
    std::vector<std::string> namesIn(const std::string& relative) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.file(relative)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::unique_ptr<std::ostream> open(const char* path, std::ios_base::openmode mode = std::ios_base::out)
    {
        return host::Current().OpenOutputStream(path, mode, ofstreamS::kDefaultProtection);
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(OutputStreamTest, NothingIsVisibleUntilCloseAndAnOpenReaderKeepsTheOldText)
{
    const std::string oldText = "old log\n";
    {
        ofstreamS out("c:\\temp\\log.txt");
        out << oldText.c_str();
        out.close();
        EXPECT_FALSE(out.fail());
    }
    struct stat folder;
    ASSERT_EQ(stat(dir_.file("temp").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u) << "C:\\temp is made private to the user";
    std::ifstream reader(dir_.file("temp/log.txt"), std::ios::binary);
    ASSERT_TRUE(reader.is_open());

    // More than the stream's own buffer, so part of it has reached the disk before close.
    const std::string newText(100000, 'x');
    ofstreamS out("C:\\temp\\log.txt");
    out.write(newText.data(), static_cast<std::streamsize>(newText.size()));
    EXPECT_EQ(readText(dir_.file("temp/log.txt")), oldText) << "a watcher saw a half-written file";
    out.close();
    ASSERT_FALSE(out.fail());

    std::stringstream seenByOldReader;
    seenByOldReader << reader.rdbuf();
    EXPECT_EQ(seenByOldReader.str(), oldText);
    EXPECT_EQ(readText(dir_.file("temp/log.txt")), newText);
    EXPECT_EQ(namesIn("temp"), std::vector<std::string>{"log.txt"});
}

TEST_F(OutputStreamTest, AFlushPublishesWhatWasWrittenAndLaterTextWaitsForTheNext)
{
    auto stream = open("C:\\out.txt");
    ASSERT_NE(stream, nullptr);
    *stream << "part one;";
    stream->flush();
    EXPECT_EQ(readText(dir_.file("out.txt")), "part one;");
    *stream << "part two";
    stream->flush(); // the buffered text reaches a fresh copy, not the published file
    *stream << "!";
    EXPECT_EQ(readText(dir_.file("out.txt")), "part one;part two");
    stream.reset();
    EXPECT_EQ(readText(dir_.file("out.txt")), "part one;part two!");
    EXPECT_EQ(namesIn("."), std::vector<std::string>{"out.txt"});
}

TEST_F(OutputStreamTest, ModesAndPermissions)
{
    writeText(dir_.file("kept.txt"), "abc");
    ASSERT_EQ(chmod(dir_.file("kept.txt").c_str(), 0600), 0);
    {
        auto stream = open("C:\\kept.txt", std::ios_base::out | std::ios_base::app);
        ASSERT_NE(stream, nullptr);
        *stream << "def";
    }
    EXPECT_EQ(readText(dir_.file("kept.txt")), "abcdef");
    struct stat replaced;
    ASSERT_EQ(stat(dir_.file("kept.txt").c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_mode & 0777, 0600u);

    {
        auto stream = open("C:\\kept.txt", std::ios_base::out | std::ios_base::trunc);
        ASSERT_NE(stream, nullptr);
    }
    EXPECT_EQ(readText(dir_.file("kept.txt")), "") << "opening for output replaces the content even unwritten";

    EXPECT_EQ(open("C:\\kept.txt", std::ios_base::in | std::ios_base::out), nullptr);
}

TEST_F(OutputStreamTest, RefusesWhatCannotBeReplacedAndLeavesItUntouched)
{
    fs::create_directory(dir_.file("temp"));
    fs::create_directory(dir_.file("elsewhere"));
    writeText(dir_.file("elsewhere/victim.txt"), "not yours");
    fs::create_symlink(dir_.file("elsewhere/victim.txt"), dir_.file("temp/link.txt"));
    fs::create_directory(dir_.file("temp/folder.txt"));
    fs::create_directory_symlink(dir_.file("elsewhere"), dir_.file("linked"));
    struct Case
    {
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"symbolic link planted at the file", "c:\\temp\\link.txt"},
        {"a directory at the file", "c:\\temp\\folder.txt"},
        {"a folder that is a symbolic link", "c:\\linked\\log.txt"},
        {"a missing folder other than C:\\temp", "c:\\nowhere\\log.txt"},
        {"no file name", "c:\\temp\\"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ofstreamS out(c.path);
        EXPECT_TRUE(out.fail());
    }
    EXPECT_EQ(readText(dir_.file("elsewhere/victim.txt")), "not yours");
    EXPECT_EQ(namesIn("elsewhere"), std::vector<std::string>{"victim.txt"});
    EXPECT_EQ(namesIn("temp"), (std::vector<std::string>{"folder.txt", "link.txt"}));
    EXPECT_FALSE(fs::exists(dir_.file("nowhere")));
}

// A writer killed before it published left its temporary; the next open of the file removes it,
// and leaves a running writer's temporary and everything not named like one of its own.
TEST_F(OutputStreamTest, TemporariesOfKilledWritersAreRemoved)
{
    const pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0)
        _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    const std::string killed = ".log.txt.tmp" + std::to_string(dead) + "_3_0";
    std::vector<std::string> kept = {".log.txt.tmp" + std::to_string(getpid()) + "_1_0",
                                     ".log.txt.tmp" + std::to_string(dead) + "_3",
                                     ".other.txt.tmp" + std::to_string(dead) + "_0_0", "log.txt"};
    for (const auto& name : kept)
        writeText(dir_.file(name), "x");
    writeText(dir_.file(killed), "half");
    std::sort(kept.begin(), kept.end());
    ofstreamS("C:\\log.txt") << "new";
    EXPECT_EQ(namesIn("."), kept);
    EXPECT_EQ(readText(dir_.file("log.txt")), "new");
}
} // namespace
