// The results-log stream: published whole by rename at flush and close, never half-written,
// refusing links and odd targets, and cleaning up after writers that were killed.
#include "kelvane/KelvaneHost.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <numeric>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;
using testkit::readText;

// Each test gets its own data directory (C:\) with the stand-in host installed on it.
class OutputStreamTest : public ::testing::Test
{
  protected:
    // The names in a folder of the data directory (so that a temporary file left behind shows),
    // after the permission bits of one of its files when named: "600 a.txt b.txt".
    std::string listing(const std::string& folder, const std::string& file = "") const
    {
        struct stat status{};
        char mode[8] = "";
        if (!file.empty() && stat(dir_.file(file).c_str(), &status) == 0)
            std::snprintf(mode, sizeof mode, "%o", status.st_mode & 0777);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.file(folder)))
            names.push_back(" " + entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return mode + std::accumulate(names.begin(), names.end(), std::string());
    }
    static std::unique_ptr<std::ostream> open(const char* path, std::ios_base::openmode mode = std::ios_base::out)
    {
        return host::Current().OpenOutputStream(path, mode, ofstreamS::kDefaultProtection);
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

// Nothing is visible until a flush or close publishes it whole, even past the stream's own buffer;
// an append keeps the text and the permissions; opening for output replaces the content even when
// nothing is written; reading is refused.
TEST_F(OutputStreamTest, PublishesWholeAtFlushAndClose)
{
    auto stream = open("C:\\temp\\out.txt");
    *stream << "part one;";
    stream->flush();
    EXPECT_EQ(listing(".", "temp") + " " + readText(dir_.file("temp/out.txt")), "700 temp part one;")
        << "C:\\temp is made private to the user";
    const std::string more(100000, 'x');
    *stream << more;
    EXPECT_EQ(readText(dir_.file("temp/out.txt")), "part one;") << "a watcher saw a half-written file";
    stream->flush(); // the buffered text reaches a fresh copy, not the published file
    *stream << "!";
    EXPECT_EQ(readText(dir_.file("temp/out.txt")), "part one;" + more);
    stream.reset();
    ASSERT_EQ(chmod(dir_.file("temp/out.txt").c_str(), 0640), 0);
    *open("C:\\temp\\out.txt", std::ios_base::out | std::ios_base::app) << "?";
    EXPECT_EQ(readText(dir_.file("temp/out.txt")), "part one;" + more + "!?");
    EXPECT_EQ(listing("temp", "temp/out.txt"), "640 out.txt") << "an append keeps the permissions";
    open("C:\\temp\\out.txt", std::ios_base::out | std::ios_base::trunc);
    EXPECT_EQ(readText(dir_.file("temp/out.txt")), "");
    EXPECT_EQ(open("C:\\temp\\out.txt", std::ios_base::in | std::ios_base::out), nullptr);
}

// A symbolic link or a directory at the file, a folder that is a link, a missing folder other
// than C:\temp, no file name: refused, and nothing there is touched.
TEST_F(OutputStreamTest, RefusesWhatCannotBeReplacedAndLeavesItUntouched)
{
    fs::create_directories(dir_.file("temp/folder.txt"));
    fs::create_directory(dir_.file("elsewhere"));
    testkit::writeText(dir_.file("elsewhere/victim.txt"), "not yours");
    fs::create_symlink(dir_.file("elsewhere/victim.txt"), dir_.file("temp/link.txt"));
    fs::create_directory_symlink(dir_.file("elsewhere"), dir_.file("linked"));
    for (const char* path :
         {"c:\\temp\\link.txt", "c:\\temp\\folder.txt", "c:\\linked\\log.txt", "c:\\nowhere\\log.txt", "c:\\temp\\"})
        EXPECT_TRUE(ofstreamS(path).fail()) << path;
    EXPECT_EQ(readText(dir_.file("elsewhere/victim.txt")), "not yours");
    EXPECT_EQ(listing("elsewhere") + listing("temp") + listing("."),
              " victim.txt folder.txt link.txt elsewhere linked temp");
}

// A writer killed before it published left its temporary; the next open of the file removes it.
// Which names are a dead writer's is the platform's test (AtomicFile).
TEST_F(OutputStreamTest, TemporariesOfKilledWritersAreRemoved)
{
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    testkit::writeText(dir_.file(".log.txt.tmp" + std::to_string(dead) + "_3_0"), "x");
    ofstreamS("C:\\log.txt") << "new";
    EXPECT_EQ(listing(".") + " " + readText(dir_.file("log.txt")), " log.txt new");
}
} // namespace
