#include "apps/Commands.h"

#include "kelvane/KelvaneHost.h"
#include "platform/Ascii.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cstdlib>
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

std::string asHostPath(const std::string& path)
{
    return path.empty() || platform::detail::hasDriveLetter(path) ? path : platform::toHostPath(path);
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
} // namespace tessaly
