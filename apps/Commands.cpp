#include "apps/Commands.h"

#include <cstdlib>
#include <sys/stat.h>

namespace tessaly
{
namespace fs = std::filesystem;

void requireFile(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        throw BadInput(path + ": no such file");
    if (!S_ISREG(info.st_mode))
        throw BadInput(path + ": not a regular file");
}

ScratchDirectory::ScratchDirectory()
{
    std::string pattern = (fs::temp_directory_path() / "tessaly-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw Failure("cannot create a temporary directory in " + fs::temp_directory_path().string());
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}
} // namespace tessaly
