#include "apps/Commands.h"

#include "groups/QuanState.h"
#include "kelvane/KelvaneHost.h"
#include "platform/Ascii.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>
#include <sys/stat.h>

namespace tessaly
{
void onParsed(CLI::App& command, Action& action, Action run)
{
    command.callback([&action, run = std::move(run)] { action = run; });
}

CLI::Validator wholeNumber(long min, long max, const std::string& what)
{
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const long value = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || errno != 0 || value < min || value > max)
                return "\"" + text + "\" is not " + what;
            return "";
        },
        "");
}

void requireFile(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        throw BadInput(path + ": no such file");
    if (!S_ISREG(info.st_mode))
        throw BadInput(path + ": not a regular file");
}

void requireDirectory(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        throw BadInput(path + ": no such directory");
    if (!S_ISDIR(info.st_mode))
        throw BadInput(path + ": not a directory");
}

namespace
{
// The absolute form of a POSIX path as the kernel resolves it: every symbolic link followed and
// every "." and ".." taken where the link leads, not as text. Components past the longest part
// that exists are appended as given; a ".." among them could only be taken as text, so the path
// is refused there, as the kernel would fail on it.
std::string resolved(const std::string& path)
{
    std::string absolute = path;
    if (path.front() != '/')
    {
        std::error_code ec;
        absolute = std::filesystem::current_path(ec).string() + "/" + path;
        if (ec)
            throw BadInput(path + ": the current directory cannot be found");
    }
    std::vector<std::string> parts;
    for (std::size_t start = 0; start < absolute.size();)
    {
        const std::size_t end = std::min(absolute.find('/', start), absolute.size());
        const std::string part = absolute.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string base = "/";
    std::size_t existing = parts.size();
    for (;; --existing)
    {
        std::string prefix;
        for (std::size_t i = 0; i < existing; ++i)
            prefix += "/" + parts[i];
        if (char* real = ::realpath(prefix.empty() ? "/" : prefix.c_str(), nullptr))
        {
            base = real;
            std::free(real);
            break;
        }
        if (existing == 0)
            break;
    }
    for (std::size_t i = existing; i < parts.size(); ++i)
    {
        if (parts[i] == "..")
            throw BadInput(path + ": no such directory");
        base += (base == "/" ? "" : "/") + parts[i];
    }
    return base;
}
} // namespace

std::string asHostPath(const std::string& path)
{
    if (path.empty() || platform::detail::hasDriveLetter(path))
        return path;
    const std::string posix = resolved(path);
    // The host reads a backslash as a separator, so such a name would reach another file.
    if (posix.find('\\') != std::string::npos)
        throw BadInput(path + ": the host cannot name a file whose path holds a backslash");
    const std::string host = platform::toHostPath(posix);
    // The host finds names without regard to case: a new name may be taken for another file.
    if (platform::toPosixPath(host) != posix)
        throw BadInput(path + ": the host would take this for " + platform::toPosixPath(host));
    return host;
}

kelvane::KelvaneHost& standIn()
{
    auto* host = dynamic_cast<kelvane::KelvaneHost*>(&host::Current());
    if (!host)
        throw Failure("the Kelvane host is not installed");
    return *host;
}

std::string sampleListError()
{
    const std::string& reason = standIn().GetSampleListError();
    return reason.empty() ? "the host gave no reason" : reason;
}
std::unique_ptr<CSampleListMem> openSampleList(const std::string& list)
{
    // The host's list type by extension: 1 a database, 3 and 4 loaded lists, 2 a formatted list.
    const std::string extension = list.substr(list.find_last_of("./") + 1);
    int kind = 2;
    if (platform::detail::equalsNoCase(extension, "spl"))
        kind = 1;
    else if (platform::detail::equalsNoCase(extension, "olb"))
        kind = 3;
    else if (platform::detail::equalsNoCase(extension, "sdb"))
        kind = 4;
    const tag_SELECT_DATATYPE type = {"", "", kind, "", ""};
    CSampleListMem* opened = nullptr;
    if (!OpenUnknownSampleList(asHostPath(list).c_str(), opened, type))
        throw BadInput(sampleListError());
    return std::unique_ptr<CSampleListMem>(opened);
}
} // namespace tessaly
