// Maps host paths onto the POSIX file system as Wine does: drive letters name directories, and
// existing names are looked up without regard to case because the engine and the host spell the
// same directory differently ("Acqudb", "AcquDB").
#include "platform/WinPath.h"

#include "platform/Ascii.h"
#include "platform/WinPathDetail.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace
{
bool isHostSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool isPosixSeparator(char c)
{
    return c == '/';
}

using platform::detail::equalsNoCase;
using platform::detail::foldCase;

// Everything after a zero byte is invisible to the C interfaces the paths end up in.
std::string_view beforeZero(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

// Splits text at the separators and applies "." and ".." to comps; ".." on an empty list does
// nothing, which is how a drive's root stays the top of its paths.
void appendComponents(std::vector<std::string>& comps, std::string_view text, bool (*isSeparator)(char))
{
    size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && isSeparator(text[i]))
            ++i;
        size_t j = i;
        while (j < text.size() && !isSeparator(text[j]))
            ++j;
        const std::string_view comp = text.substr(i, j - i);
        if (comp == "..")
        {
            if (!comps.empty())
                comps.pop_back();
        }
        else if (!comp.empty() && comp != ".")
            comps.emplace_back(comp);
        i = j;
    }
}

std::string joinPosix(std::string path, std::string_view comp)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    path.append(comp);
    return path;
}

std::string currentDirectory()
{
    std::vector<char> buffer(256);
    for (;;)
    {
        if (getcwd(buffer.data(), buffer.size()))
            return buffer.data();
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return "/"; // the current directory was removed or is unreachable
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> posixComponents(std::string_view posixPath)
{
    std::vector<std::string> comps;
    if (posixPath.empty() || posixPath.front() != '/')
        appendComponents(comps, currentDirectory(), isPosixSeparator);
    appendComponents(comps, posixPath, isPosixSeparator);
    return comps;
}

std::string posixFromComponents(const std::vector<std::string>& comps)
{
    std::string path;
    for (const std::string& comp : comps)
        path += '/' + comp;
    return path.empty() ? "/" : path;
}

void makeDirectories(const std::string& path)
{
    for (size_t at = path.find('/', 1);; at = path.find('/', at + 1))
    {
        const std::string prefix = path.substr(0, at);
        if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
            return;
        if (at == std::string::npos)
            return;
    }
}

std::string defaultDataDirectory()
{
    const char* home = std::getenv("HOME");
    std::string base = home && *home ? home : "";
    if (base.empty())
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            base = pw->pw_dir;
    if (base.empty())
        base = "/tmp";
    return posixFromComponents(posixComponents(base + "/.local/share/kelvane"));
}

struct DataDirectoryState
{
    std::mutex mutex;
    std::string directory; // empty until set or first asked for
    std::string temporary; // set by setTemporaryDirectory; empty: $TMPDIR or /tmp
};

DataDirectoryState& dataDirectoryState()
{
    static DataDirectoryState state;
    return state;
}

// The name in dir that equals name without regard to case; the first in byte order when several
// do, so that the choice does not depend on the order of the directory.
std::optional<std::string> findNoCase(const std::string& dir, std::string_view name)
{
    DIR* stream = opendir(dir.c_str());
    if (!stream)
        return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = readdir(stream))
    {
        const std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == ".." || !equalsNoCase(candidate, name))
            continue;
        if (!best || candidate < *best)
            best = std::string(candidate);
    }
    closedir(stream);
    return best;
}
} // namespace

namespace platform
{
void setDataDirectory(const std::string& posixDirectory)
{
    const std::string_view wanted = beforeZero(posixDirectory);
    std::string directory = wanted.empty() ? defaultDataDirectory() : posixFromComponents(posixComponents(wanted));
    makeDirectories(directory);
    DataDirectoryState& state = dataDirectoryState();
    const std::lock_guard lock(state.mutex);
    state.directory = std::move(directory);
}

std::string dataDirectory()
{
    DataDirectoryState& state = dataDirectoryState();
    const std::lock_guard lock(state.mutex);
    if (state.directory.empty())
    {
        state.directory = defaultDataDirectory();
        makeDirectories(state.directory);
    }
    return state.directory;
}

std::string toPosixPath(std::string_view hostPath)
{
    struct stat status;
    bool exists = false;
    return detail::resolveHostPath(hostPath, &status, &exists);
}

std::string toHostPath(std::string_view posixPath)
{
    posixPath = beforeZero(posixPath);
    if (posixPath.empty())
        return {};
    const std::vector<std::string> comps = posixComponents(posixPath);
    const std::vector<std::string> data = posixComponents(dataDirectory());
    const bool underData = comps.size() >= data.size() && std::equal(data.begin(), data.end(), comps.begin());
    const size_t first = underData ? data.size() : 0;

    std::string host = underData ? "C:" : "Z:";
    for (size_t i = first; i < comps.size(); ++i)
        host += '\\' + comps[i];
    if (first == comps.size() || posixPath.back() == '/')
        host += '\\';
    return host;
}

void setTemporaryDirectory(const std::string& posixDirectory)
{
    const std::string_view wanted = beforeZero(posixDirectory);
    std::string directory = wanted.empty() ? std::string() : posixFromComponents(posixComponents(wanted));
    DataDirectoryState& state = dataDirectoryState();
    const std::lock_guard lock(state.mutex);
    state.temporary = std::move(directory);
}

std::string hostTemporaryDirectory()
{
    std::string directory;
    {
        DataDirectoryState& state = dataDirectoryState();
        const std::lock_guard lock(state.mutex);
        directory = state.temporary;
    }
    if (directory.empty())
    {
        directory = "/tmp";
        struct stat status;
        if (const char* tmpdir = std::getenv("TMPDIR");
            tmpdir && *tmpdir == '/' && stat(tmpdir, &status) == 0 && S_ISDIR(status.st_mode))
            directory = tmpdir;
    }
    std::string host = toHostPath(directory);
    if (host.back() != '\\')
        host += '\\';
    return host;
}

namespace detail
{
std::string resolveHostPath(std::string_view hostPath, struct stat* status, bool* exists)
{
    *exists = false;
    hostPath = beforeZero(hostPath);
    if (hostPath.empty())
        return {};

    // The path as spelled, built in place because profile reads come here on every call. The
    // drive's root is kept without a final slash ("" for "/") so that components join as "/name",
    // and ".." never removes any of it; a relative path may climb up to the POSIX root.
    std::string exact;
    size_t rootLength = 0;
    std::string_view rest = hostPath;
    const char first = hostPath[0];
    if (hasDriveLetter(hostPath))
    {
        const char letter = foldCase(first);
        if (letter == 'C')
            exact = dataDirectory();
        else if (letter != 'Z')
            exact = dataDirectory() + "/drives/" + static_cast<char>(letter - 'A' + 'a');
        if (exact == "/")
            exact.clear();
        rootLength = exact.size();
        rest = hostPath.substr(2);
    }
    else if (!isHostSeparator(first))
    {
        exact = posixFromComponents(posixComponents(currentDirectory()));
        if (exact == "/")
            exact.clear();
    }
    for (size_t i = 0; i < rest.size();)
    {
        while (i < rest.size() && isHostSeparator(rest[i]))
            ++i;
        size_t j = i;
        while (j < rest.size() && !isHostSeparator(rest[j]))
            ++j;
        const std::string_view comp = rest.substr(i, j - i);
        if (comp == "..")
        {
            const size_t slash = exact.rfind('/');
            exact.resize(std::max(rootLength, slash == std::string::npos ? 0 : slash));
        }
        else if (!comp.empty() && comp != ".")
            exact.append("/").append(comp);
        i = j;
    }
    const bool hasComponents = exact.size() > rootLength;
    const std::string root = rootLength == 0 ? "/" : exact.substr(0, rootLength);
    if (exact.empty())
        exact.push_back('/');
    if (hasComponents && !rest.empty() && isHostSeparator(rest.back()))
        exact += '/';

    // Most paths the engine uses exist exactly as spelled; one status call settles those.
    if (stat(exact.c_str(), status) == 0)
    {
        *exists = true;
        return exact;
    }

    std::vector<std::string> comps;
    appendComponents(comps, std::string_view(exact).substr(rootLength), isPosixSeparator);
    std::string path = root;
    bool existing = true;
    for (const std::string& comp : comps)
    {
        std::string next = joinPosix(path, comp);
        struct stat entry;
        if (existing && lstat(next.c_str(), &entry) != 0)
        {
            if (const std::optional<std::string> match = findNoCase(path, comp))
                next = joinPosix(path, *match);
            else
                existing = false;
        }
        path = std::move(next);
    }
    if (exact.size() > 1 && exact.back() == '/')
        path += '/';
    *exists = existing && stat(path.c_str(), status) == 0;
    return path;
}
} // namespace detail
} // namespace platform
