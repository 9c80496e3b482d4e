#include "platform/Temporaries.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string prefixOf(std::string_view name)
{
    // Appended piece by piece: GCC 12 warns (-Wrestrict, wrongly) about "." + std::string(...).
    std::string prefix = ".";
    prefix.append(name.substr(0, 200));
    prefix.append(".tmp");
    return prefix;
}

// The writer's process id in the rest of a temporary's name ("PID_COUNTER_ATTEMPT"); 0 when the
// rest is not of that form, so that no other file is ever taken for a temporary.
pid_t writerOf(std::string_view rest)
{
    long long pid = 0;
    for (int field = 0; field < 3; ++field)
    {
        const size_t digits = std::min(rest.find_first_not_of("0123456789"), rest.size());
        if (digits == 0 || digits > 10)
            return 0;
        if (field == 0)
            std::from_chars(rest.data(), rest.data() + digits, pid);
        rest.remove_prefix(digits);
        if (field < 2 && !rest.starts_with('_'))
            return 0;
        rest.remove_prefix(field < 2 ? 1 : 0);
    }
    return rest.empty() && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}
} // namespace

namespace platform
{
std::string temporaryName(std::string_view name, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    return prefixOf(name) + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" + std::to_string(attempt);
}

void removeDeadTemporaries(int folder, std::string_view name)
{
    const std::string prefix = prefixOf(name);
    // A descriptor of its own, so that reading the entries moves no offset of the caller's.
    const int listFd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listFd >= 0 ? fdopendir(listFd) : nullptr;
    if (!entries)
    {
        if (listFd >= 0)
            close(listFd);
        return;
    }
    while (const dirent* entry = readdir(entries))
    {
        const std::string_view found = entry->d_name;
        if (!found.starts_with(prefix))
            continue;
        const pid_t writer = writerOf(found.substr(prefix.size()));
        struct stat status;
        if (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH &&
            fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode))
            unlinkat(folder, entry->d_name, 0);
    }
    closedir(entries);
}
} // namespace platform
