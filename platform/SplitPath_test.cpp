#include "platform/SplitPath.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
struct Parts
{
    std::string drive, dir, fname, ext;
};

// Splits into buffers of exactly the documented sizes, so AddressSanitizer sees any write past
// them, and checks that each part is terminated within its buffer.
Parts split(const char* path)
{
    std::vector<char> drive(_MAX_DRIVE, '#'), dir(_MAX_DIR, '#'), fname(_MAX_FNAME, '#'), ext(_MAX_EXT, '#');
    _splitpath(path, drive.data(), dir.data(), fname.data(), ext.data());
    for (const std::vector<char>* part : {&drive, &dir, &fname, &ext})
        EXPECT_NE(std::find(part->begin(), part->end(), '\0'), part->end()) << "unterminated part";
    return {drive.data(), dir.data(), fname.data(), ext.data()};
}

TEST(SplitPath, SplitsAsTheCRuntimeDoes)
{
    struct Case
    {
        const char* path;
        Parts parts;
    };
    const Case cases[] = {
        {"C:\\dir\\sub\\file.txt", {"C:", "\\dir\\sub\\", "file", ".txt"}},
        {"c:/a/b.c/d", {"c:", "/a/b.c/", "d", ""}},
        {"a/b\\c.d", {"", "a/b\\", "c", ".d"}},
        {"file", {"", "", "file", ""}},
        {"file.tar.gz", {"", "", "file.tar", ".gz"}},
        {"file.", {"", "", "file", "."}},
        {".bashrc", {"", "", "", ".bashrc"}},
        {"dir\\..", {"", "dir\\", ".", "."}},
        {"C:", {"C:", "", "", ""}},
        {"C:file.txt", {"C:", "", "file", ".txt"}},
        {"C:\\", {"C:", "\\", "", ""}},
        {"1:\\x", {"", "1:\\", "x", ""}},
        {":x", {"", "", ":x", ""}},
        {"\\\\server\\share\\list.spl", {"", "\\\\server\\share\\", "list", ".spl"}},
        {"c:\\q\\meth_A.mdb", {"c:", "\\q\\", "meth_A", ".mdb"}},
        {"", {"", "", "", ""}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        const Parts parts = split(c.path);
        EXPECT_EQ(parts.drive, c.parts.drive);
        EXPECT_EQ(parts.dir, c.parts.dir);
        EXPECT_EQ(parts.fname, c.parts.fname);
        EXPECT_EQ(parts.ext, c.parts.ext);
    }
}

TEST(SplitPath, CutsLongPartsToTheirBuffers)
{
    const std::string longDir = "C:\\" + std::string(400, 'd') + "\\";
    const std::string longName(400, 'n');
    const std::string longExt = "." + std::string(400, 'e');
    const Parts parts = split((longDir + longName + longExt).c_str());
    EXPECT_EQ(parts.drive, "C:");
    EXPECT_EQ(parts.dir, longDir.substr(2, _MAX_DIR - 1));
    EXPECT_EQ(parts.fname, longName.substr(0, _MAX_FNAME - 1));
    EXPECT_EQ(parts.ext, longExt.substr(0, _MAX_EXT - 1));
}

TEST(SplitPath, AcceptsNullArguments)
{
    char ext[_MAX_EXT] = "#";
    _splitpath("C:\\a\\b.mdb", nullptr, nullptr, nullptr, ext);
    EXPECT_STREQ(ext, ".mdb");
    char drive[_MAX_DRIVE] = "#";
    _splitpath(nullptr, drive, nullptr, nullptr, ext);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(ext, "");
}
} // namespace
