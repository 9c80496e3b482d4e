#include "platform/TestDirectory.h"

#include "platform/WinPath.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdlib.h>

namespace platform::testing
{
TestDirectory::TestDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "BrenmoPlatformTest.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "cannot create a temporary directory from " << pattern;
    path_ = pattern;
    setDataDirectory(path_);
}

TestDirectory::~TestDirectory()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TestDirectory::file(std::string_view name) const
{
    return path_ + "/" + std::string(name);
}

void writeText(const std::string& path, std::string_view text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace platform::testing
