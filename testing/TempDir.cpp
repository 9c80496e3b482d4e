#include "testing/TempDir.h"

#include "platform/WinPath.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testkit
{
namespace fs = std::filesystem;

TempDir::TempDir(std::string_view prefix, std::string_view under)
{
    const fs::path parent = under.empty() ? fs::temp_directory_path() : fs::path(under);
    std::string pattern = (parent / (std::string(prefix) + ".XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
    {
        std::perror(pattern.c_str());
        std::abort();
    }
    path_ = pattern;
    platform::setDataDirectory(path_);
}

TempDir::~TempDir()
{
    // A test may leave folders without write or search permission; give them back first so the
    // removal can reach everything.
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const
{
    return path_ + "/" + std::string(name);
}

bool writeText(const std::string& path, std::string_view text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace testkit
