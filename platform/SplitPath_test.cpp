#include "platform/SplitPath.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// The parts as "drive|dir|fname|ext", split into buffers of exactly the documented sizes, so
// AddressSanitizer sees any write past them; each part must be terminated within its buffer.
std::string split(const char* path)
{
    std::vector<char> drive(_MAX_DRIVE, '#'), dir(_MAX_DIR, '#'), fname(_MAX_FNAME, '#'), ext(_MAX_EXT, '#');
    _splitpath(path, drive.data(), dir.data(), fname.data(), ext.data());
    for (const std::vector<char>* part : {&drive, &dir, &fname, &ext})
        EXPECT_NE(std::find(part->begin(), part->end(), '\0'), part->end()) << "unterminated part";
    return std::string(drive.data()) + "|" + dir.data() + "|" + fname.data() + "|" + ext.data();
}

TEST(SplitPath, SplitsAsTheCRuntimeDoes)
{
    const std::string longDir = "C:\\" + std::string(400, 'd') + "\\";
    const std::string longName(400, 'n');
    const std::string longExt = "." + std::string(400, 'e');
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\dir\\sub\\file.txt", "C:|\\dir\\sub\\|file|.txt"},
        {"c:/a/b.c/d", "c:|/a/b.c/|d|"},
        {"file.tar.gz", "||file.tar|.gz"},
        {"file.", "||file|."},
        {".bashrc", "|||.bashrc"},
        {"dir\\..", "|dir\\|.|."},
        {"C:", "C:|||"},
        {"C:file.txt", "C:||file|.txt"},
        {"z:\\", "z:|\\||"},
        {"1:\\x", "|1:\\|x|"},
        {":x", "||:x|"},
        {"", "|||"},
        {longDir + longName + longExt, "C:|" + longDir.substr(2, _MAX_DIR - 1) + "|" +
                                           longName.substr(0, _MAX_FNAME - 1) + "|" + longExt.substr(0, _MAX_EXT - 1)},
    };
    for (const auto& [path, parts] : cases)
        EXPECT_EQ(split(path.c_str()), parts) << path;

    char ext[_MAX_EXT] = "#";
    _splitpath(nullptr, nullptr, nullptr, nullptr, ext);
    EXPECT_STREQ(ext, "") << "a null path is empty, and parts may be left out";
}
} // namespace
