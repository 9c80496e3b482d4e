#include "kelvane/KelvaneHost.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;
using testkit::writeText;

// Each test gets its own data directory (C:\) with the stand-in host installed on it.
class OutputStreamTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
    }
    void TearDown() override
    {
        kelvane::uninstall();
    }

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
};

TEST_F(OutputStreamTest, WritesTheFileAndCreatesTheTempFolderPrivately)
{
    {
        ofstreamS out("c:\\temp\\Log.txt");
        ASSERT_FALSE(out.fail());
        out << "first line\n" << 42;
        out.close();
        EXPECT_FALSE(out.fail());
    }
    EXPECT_EQ(readText(dir_.file("temp/Log.txt")), "first line\n42");
    EXPECT_EQ(namesIn("temp"), std::vector<std::string>{"Log.txt"});
    struct stat folder;
    ASSERT_EQ(stat(dir_.file("temp").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

TEST_F(OutputStreamTest, NothingIsVisibleUntilCloseAndAnOpenReaderKeepsTheOldText)
{
    fs::create_directory(dir_.file("temp"));
    const std::string oldText = "old log\n";
    writeText(dir_.file("temp/log.txt"), oldText);
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
    for (const auto& name : namesIn("."))
        EXPECT_EQ(name.find(".out.txt"), std::string::npos) << name << " was left behind";
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

    struct Case
    {
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"symbolic link planted at the file", "c:\\temp\\link.txt"},
        {"a directory at the file", "c:\\temp\\folder.txt"},
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
    EXPECT_TRUE(fs::is_symlink(dir_.file("temp/link.txt")));
    EXPECT_EQ(namesIn("temp"), (std::vector<std::string>{"folder.txt", "link.txt"}));
    EXPECT_FALSE(fs::exists(dir_.file("nowhere")));
}

TEST_F(OutputStreamTest, RefusesATempFolderThatIsASymbolicLink)
{
    fs::create_directory(dir_.file("elsewhere"));
    fs::create_directory_symlink(dir_.file("elsewhere"), dir_.file("temp"));
    ofstreamS out("c:\\temp\\Tessaly Current Optimisation Results.txt");
    EXPECT_TRUE(out.fail());
    EXPECT_TRUE(fs::is_empty(dir_.file("elsewhere")));
}
} // namespace
