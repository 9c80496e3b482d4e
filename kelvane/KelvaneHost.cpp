#include "kelvane/KelvaneHost.h"
#include "kelvane/PeakDatabase.h"
#include "kelvane/RawDataHost.h"

#include "platform/Ascii.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace kelvane
{
namespace detail
{
// The three texts of a host path form.
struct PathParts
{
    std::string directory;
    std::string name;
    std::string extension;
};

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// A path that names its drive and its root ("C:\x") or a network share ("\\server\x"); anything
// else depends on a current directory.
bool isAbsolute(const std::string& path)
{
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]))
        return true;
    return platform::detail::hasDriveLetter(path) && path.size() >= 3 && isSeparator(path[2]);
}

// Splits a host path textually: the directory up to and including the last separator (with
// backslashes only), then the name and the extension after the name's last full stop. A drive
// without a separator ("C:name") counts as the drive's root.
PathParts split(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    PathParts parts;
    std::string rest;
    const std::size_t cut = path.rfind('\\');
    if (cut != std::string::npos)
    {
        parts.directory = path.substr(0, cut + 1);
        rest = path.substr(cut + 1);
    }
    else if (platform::detail::hasDriveLetter(path))
    {
        parts.directory = path.substr(0, 2) + "\\";
        rest = path.substr(2);
    }
    else
    {
        rest = path;
    }
    const std::size_t dot = rest.rfind('.');
    if (dot == std::string::npos)
    {
        parts.name = rest;
    }
    else
    {
        parts.name = rest.substr(0, dot);
        parts.extension = rest.substr(dot + 1);
    }
    return parts;
}

bool fits(const PathParts& parts)
{
    return parts.directory.size() < tag_HXFILE::kDirectoryWidth && parts.name.size() < tag_HXFILE::kFileNameWidth &&
           parts.extension.size() < tag_HXFILE::kExtensionWidth;
}

void store(tag_HXFILE& out, const PathParts& parts)
{
    out.SetDirectory(parts.directory.c_str());
    out.SetFileName(parts.name.c_str());
    out.SetExtension(parts.extension.c_str());
}

std::string join(const tag_HXFILE& in)
{
    std::string path = in.Directory().str();
    const std::string name = in.FileName().str();
    const std::string extension = in.Extension().str();
    if (!path.empty() && !isSeparator(path.back()) && !(name.empty() && extension.empty()))
        path += '\\';
    path += name;
    if (!extension.empty())
        path += '.' + extension;
    return path;
}

// The profile reader drops blanks around a value and one pair of matching quotes, so a value that
// would lose characters that way is written inside quotes.
std::string quoteForProfile(const std::string& value)
{
    if (value.empty())
        return value;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (blank(value.front()) || blank(value.back()) || quoted)
        return '"' + value + '"';
    return value;
}

// Reads a positive count; anything else (missing, not a number, below 1) is 1.
int parseCount(const char* text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < 1 || value > 1024)
        return 1;
    return static_cast<int>(value);
}
} // namespace detail

KelvaneHost::KelvaneHost()
    : rawData_(std::make_unique<detail::RawDataState>()), peakDatabases_(std::make_unique<detail::PeakDatabaseState>())
{
}

KelvaneHost::~KelvaneHost() = default;

char* KelvaneHost::ftoa(double value, char* buffer, int precision)
{
    // Callers hand a buffer of at least this size; every form below is cut to it.
    constexpr std::size_t kBuffer = 64;
    if (!buffer)
        return buffer;
    precision = std::clamp(precision, 0, 30);
    if (std::isnan(value))
    {
        std::snprintf(buffer, kBuffer, "nan");
        return buffer;
    }
    if (std::isinf(value))
    {
        std::snprintf(buffer, kBuffer, value < 0 ? "-inf" : "inf");
        return buffer;
    }
    const int length = std::snprintf(buffer, kBuffer, "%.*f", precision, value);
    if (length < 0 || static_cast<std::size_t>(length) >= kBuffer)
    {
        // Fixed point would be cut, which reads back as a different number. The shortest
        // exponent form that reads back exactly fits easily (17 digits at most).
        for (int digits = 15; digits <= 17; ++digits)
        {
            std::snprintf(buffer, kBuffer, "%.*g", digits, value);
            if (std::strtod(buffer, nullptr) == value)
                break;
        }
        return buffer;
    }
    // -0.001 at two decimals prints "-0.00"; a method file should read "0.00".
    if (buffer[0] == '-' && std::strspn(buffer + 1, "0.") == static_cast<std::size_t>(length - 1))
        std::memmove(buffer, buffer + 1, static_cast<std::size_t>(length));
    return buffer;
}

int KelvaneHost::GetTotalSimultaneousSamples()
{
    if (configuredSamples_ >= 1)
        return configuredSamples_;
    try
    {
        char text[32] = {};
        GetPrivateProfileStringA(kInletSection, kSimultaneousSamplesKey, "", text, sizeof text, kConfigurationFile);
        return detail::parseCount(text);
    }
    catch (...)
    {
        return 1;
    }
}

void KelvaneHost::SetTotalSimultaneousSamples(int count)
{
    configuredSamples_ = std::max(count, 1);
}

int KelvaneHost::ConvertPathToHxFile(tag_HXFILE& out, const char* path)
{
    if (!path)
        return 0;
    try
    {
        std::string text(path);
        if (!text.empty() && !detail::isAbsolute(text))
        {
            text = platform::toHostPath(platform::toPosixPath(text));
            if (text.empty())
                return 0;
        }
        const detail::PathParts parts = detail::split(text);
        if (!detail::fits(parts))
            return 0;
        detail::store(out, parts);
        return 1;
    }
    catch (...)
    {
        return 0;
    }
}

int KelvaneHost::ConvertHxFileToPath(char* out, int limit, const tag_HXFILE& in)
{
    if (!out || limit <= 0)
        return 0;
    try
    {
        const std::string path = detail::join(in);
        const std::size_t room = static_cast<std::size_t>(limit) - 1;
        const std::size_t n = std::min(path.size(), room);
        std::memcpy(out, path.data(), n);
        out[n] = '\0';
        return path.size() <= room ? 1 : 0;
    }
    catch (...)
    {
        out[0] = '\0';
        return 0;
    }
}

int KelvaneHost::SecurityEnquireNoAudit(int, int right)
{
    return refusedRights_.count(right) != 0 ? 0 : 1;
}

void KelvaneHost::SetRefusedRights(std::set<int> rights)
{
    refusedRights_ = std::move(rights);
}

int KelvaneHost::GetSystemListValue(const char* section, const char* key, int, tag_HXFILE& out)
{
    // Stands for a key that is not in the file: '<' and '>' cannot occur in a host path, so no
    // stored value reads back as this.
    static constexpr const char* kUnset = "<unset>";
    out.clear();
    if (!section || !key || !*section || !*key)
        return 0;
    try
    {
        // Large enough for the longest path a host path form can hold.
        char value[1024] = {};
        GetPrivateProfileStringA(section, key, kUnset, value, sizeof value, kSystemListFile);
        if (std::strcmp(value, kUnset) == 0)
            return 0;
        const detail::PathParts parts = detail::split(value);
        if (!detail::fits(parts))
            return 0;
        detail::store(out, parts);
        return 1;
    }
    catch (...)
    {
        out.clear();
        return 0;
    }
}

int KelvaneHost::SetSystemListValue(const char* section, const char* key, const tag_HXFILE& value, int)
{
    if (!section || !key || !*section || !*key)
        return 0;
    try
    {
        const std::string path = detail::quoteForProfile(detail::join(value));
        return WritePrivateProfileStringA(section, key, path.c_str(), kSystemListFile) ? 1 : 0;
    }
    catch (...)
    {
        return 0;
    }
}

namespace
{
// The host that install made. Uninstalled before it is destroyed, also at unload, so the
// dispatch never reaches a destroyed host.
struct InstalledHost
{
    std::unique_ptr<KelvaneHost> host;

    ~InstalledHost()
    {
        reset();
    }
    void reset()
    {
        if (host && &host::Current() == host.get())
            host::Install(nullptr);
        host.reset();
    }
};

InstalledHost& installedHost()
{
    static InstalledHost installed;
    return installed;
}
} // namespace

KelvaneHost* install(const std::string& dataDirectory)
{
    try
    {
        platform::setDataDirectory(dataDirectory);
        auto fresh = std::make_unique<KelvaneHost>();
        host::Install(fresh.get());
        installedHost().host = std::move(fresh);
        return installedHost().host.get();
    }
    catch (...)
    {
        return nullptr;
    }
}

void uninstall()
{
    installedHost().reset();
}

instrument::SimulatedInstrument& KelvaneHost::instrument()
{
    // Made at first use, after install has set the data directory its configuration lives in.
    if (!instrument_)
        instrument_ = std::make_unique<instrument::SimulatedInstrument>();
    return *instrument_;
}
} // namespace kelvane
