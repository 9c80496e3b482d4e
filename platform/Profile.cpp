// The profile functions over a per-file parse cache. A method file is read one key per call, 50
// calls in a row, so the parsed file is kept and only checked against the file's status on each
// call; the writer replaces files atomically and puts what it wrote into the cache.
#include "platform/Profile.h"

#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "platform/LastError.h"
#include "platform/WinPathDetail.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace
{
using platform::detail::IniDocument;

// Profile files are small; the limit keeps a stray huge file from exhausting memory.
constexpr size_t kMaxFileSize = size_t{16} << 20;
// Larger files are parsed again on each call rather than held in memory.
constexpr size_t kMaxCachedFileSize = size_t{1} << 20;
constexpr size_t kMaxCachedFiles = 16;
// File times move in steps of a clock tick (up to 10 ms on Linux), so a file changed in the same
// tick as it was read can keep its size and time. A parse is trusted without looking at the bytes
// only when the file's time is this much older than the moment it was read. File systems that
// keep whole seconds (ext3, FAT keeps two) show a time with no nanoseconds and get a wider margin.
constexpr std::int64_t kRacyWindowNs = 20'000'000;
constexpr std::int64_t kCoarseRacyWindowNs = 2'000'000'000;

bool isRacy(std::int64_t modifiedNs, std::int64_t readAtNs)
{
    const std::int64_t window = modifiedNs % 1'000'000'000 == 0 ? kCoarseRacyWindowNs : kRacyWindowNs;
    return modifiedNs >= readAtNs - window;
}

std::int64_t nanoseconds(const timespec& t)
{
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

std::int64_t now()
{
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return nanoseconds(t);
}

// What identifies one version of a file without reading it.
struct Stamp
{
    dev_t device;
    ino_t inode;
    off_t size;
    std::int64_t modifiedNs;

    explicit Stamp(const struct stat& status)
        : device(status.st_dev), inode(status.st_ino), size(status.st_size), modifiedNs(nanoseconds(status.st_mtim))
    {
    }
    bool operator==(const Stamp&) const = default;
};

struct FileContent
{
    std::string text;
    struct stat status;
};

// The bytes of a regular file of at most kMaxFileSize bytes; nullopt otherwise or on any error.
std::optional<FileContent> readFile(const std::string& path)
{
    // Non-blocking, so that a FIFO at the path is refused rather than waited on.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    FileContent content;
    bool ok = fstat(fd, &content.status) == 0 && S_ISREG(content.status.st_mode) &&
              static_cast<std::uint64_t>(content.status.st_size) <= kMaxFileSize;
    if (ok)
    {
        // Read to the end rather than trust the size: the file may grow while it is read.
        content.text.resize(static_cast<size_t>(content.status.st_size) + 1);
        size_t used = 0;
        for (;;)
        {
            if (used == content.text.size())
            {
                if (used > kMaxFileSize)
                {
                    ok = false;
                    break;
                }
                content.text.resize(std::min(used * 2, kMaxFileSize + 1));
            }
            const ssize_t n = read(fd, content.text.data() + used, content.text.size() - used);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
            {
                ok = n == 0;
                break;
            }
            used += static_cast<size_t>(n);
        }
        content.text.resize(used);
    }
    close(fd);
    if (!ok)
        return std::nullopt;
    return content;
}

class ProfileCache
{
  public:
    std::mutex& mutex()
    {
        return mutex_;
    }

    // The parsed file at path, whose status the caller has just taken; null when the file cannot
    // be read as a profile (missing, not a regular file, unreadable, too large).
    std::shared_ptr<const IniDocument> document(const std::string& path, const struct stat& status, bool exists)
    {
        if (!exists || !S_ISREG(status.st_mode))
        {
            files_.erase(path);
            return nullptr;
        }
        const auto it = files_.find(path);
        const bool stampMatches = it != files_.end() && it->second.stamp == Stamp(status);
        if (stampMatches && !isRacy(it->second.stamp.modifiedNs, it->second.readAtNs))
        {
            it->second.lastUse = ++useClock_;
            return it->second.document;
        }

        const std::int64_t readAt = now(); // before the bytes are read, so a later change counts as later
        std::optional<FileContent> content = readFile(path);
        if (!content)
        {
            files_.erase(path);
            return nullptr;
        }
        if (stampMatches && it->second.stamp == Stamp(content->status) && it->second.document->text() == content->text)
        {
            it->second.readAtNs = readAt;
            it->second.lastUse = ++useClock_;
            return it->second.document;
        }
        const Stamp stamp(content->status);
        auto document = std::make_shared<const IniDocument>(std::move(content->text));
        remember(path, stamp, readAt, document);
        return document;
    }

    // Puts the parse of a file just written (or read) into the cache.
    void remember(const std::string& path, const Stamp& stamp, std::int64_t readAtNs,
                  std::shared_ptr<const IniDocument> document)
    {
        if (document->text().size() > kMaxCachedFileSize)
        {
            files_.erase(path);
            return;
        }
        if (files_.size() >= kMaxCachedFiles && !files_.contains(path))
        {
            auto oldest = files_.begin();
            for (auto it = files_.begin(); it != files_.end(); ++it)
                if (it->second.lastUse < oldest->second.lastUse)
                    oldest = it;
            files_.erase(oldest);
        }
        files_.insert_or_assign(path, Entry{stamp, readAtNs, ++useClock_, std::move(document)});
    }

    void forget(const std::string& path)
    {
        files_.erase(path);
    }

  private:
    struct Entry
    {
        Stamp stamp;
        std::int64_t readAtNs; // when the bytes behind the parse were last read or written
        std::uint64_t lastUse;
        std::shared_ptr<const IniDocument> document;
    };

    std::mutex mutex_;
    std::unordered_map<std::string, Entry> files_;
    std::uint64_t useClock_ = 0;
};

ProfileCache& cache()
{
    static ProfileCache instance;
    return instance;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The platform drops the quotes of a value that starts and ends with the same quote character.
std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Copies text up to its first zero byte, cut to size - 1 characters, and terminates it.
DWORD copyText(LPSTR buffer, DWORD size, std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    const size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// Copies names as a list of zero-terminated strings ended by one more zero; a list that does not
// fit is cut and ended with two zeros, and size - 2 is returned, as the platform does.
DWORD copyList(LPSTR buffer, DWORD size, const std::vector<std::string_view>& names)
{
    if (size < 2)
    {
        buffer[0] = '\0';
        return 0;
    }
    size_t used = 0; // bytes of names and terminators so far; one more zero must follow them
    for (std::string_view name : names)
    {
        name = name.substr(0, name.find('\0'));
        if (used + name.size() + 1 > size - 1)
        {
            const size_t n = used < size - 2 ? std::min<size_t>(name.size(), size - 2 - used) : 0;
            std::memcpy(buffer + used, name.data(), n);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + used, name.data(), name.size());
        used += name.size();
        buffer[used++] = '\0';
    }
    buffer[used] = '\0';
    return static_cast<DWORD>(used);
}

// The files a read batch has checked, by the file name as the caller gave it; a null document
// stands for a file that could not be read as a profile.
struct ReadBatch
{
    int depth = 0;
    std::unordered_map<std::string, std::shared_ptr<const IniDocument>> documents;
};

ReadBatch& readBatch()
{
    thread_local ReadBatch batch;
    return batch;
}

// Writes a write batch holds back: the new text of each file, by resolved path, in the order of
// the first write to it; written to disk when the outermost batch commits.
struct WriteBatch
{
    int depth = 0;
    bool failed = false; // a held write could not be written
    std::vector<std::pair<std::string, std::shared_ptr<const IniDocument>>> pending;

    std::shared_ptr<const IniDocument>* find(const std::string& path)
    {
        for (auto& [held, document] : pending)
            if (held == path)
                return &document;
        return nullptr;
    }
};

WriteBatch& writeBatch()
{
    thread_local WriteBatch batch;
    return batch;
}

// Replaces the file at path with text and keeps its parse; false, with the last error set, when it
// could not be written.
bool writeThrough(ProfileCache& files, const std::string& path, std::shared_ptr<const IniDocument> document)
{
    const std::int64_t writtenAt = now();
    if (!platform::writeFileAtomically(path, document->text()))
    {
        const int error = errno;
        SetLastError(error == EACCES                       ? ERROR_ACCESS_DENIED
                     : error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                           : ERROR_GEN_FAILURE);
        files.forget(path);
        return false;
    }
    struct stat written;
    if (stat(path.c_str(), &written) == 0)
        files.remember(path, Stamp(written), writtenAt, std::move(document));
    else
        files.forget(path);
    return true;
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

DWORD getProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR buffer, DWORD size,
                       LPCSTR lpFileName)
{
    std::string_view fallback = lpDefault ? lpDefault : "";
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);

    std::shared_ptr<const IniDocument> document;
    ProfileCache& files = cache();
    const std::lock_guard lock(files.mutex());
    if (lpFileName)
    {
        ReadBatch& batch = readBatch();
        const auto seen = batch.depth > 0 ? batch.documents.find(lpFileName) : batch.documents.end();
        if (seen != batch.documents.end())
            document = seen->second;
        else
        {
            struct stat status;
            bool exists = false;
            const std::string path = platform::detail::resolveHostPath(lpFileName, &status, &exists);
            document = files.document(path, status, exists);
            if (auto* held = writeBatch().find(path))
                document = *held;
            if (batch.depth > 0)
                batch.documents.emplace(lpFileName, document);
        }
    }

    if (!lpAppName)
        return copyList(buffer, size, document ? document->sectionNames() : std::vector<std::string_view>());
    const std::string_view section = trimBlanks(lpAppName);
    if (!lpKeyName)
        return copyList(buffer, size, document ? document->keyNames(section) : std::vector<std::string_view>());
    if (document)
        if (const std::optional<std::string_view> value = document->value(section, trimBlanks(lpKeyName)))
            return copyText(buffer, size, unquote(*value));
    return copyText(buffer, size, fallback);
}

BOOL writeProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName)
{
    if (!lpAppName)
        return !lpKeyName && !lpString ? TRUE : FALSE;
    if (!lpFileName)
        return FALSE;
    const std::string_view section = trimBlanks(lpAppName);
    const std::string_view key = lpKeyName ? trimBlanks(lpKeyName) : std::string_view();
    const std::string_view value = lpString ? lpString : "";
    // Refuse what would not read back as written, or would even add lines of its own.
    if (hasLineBreak(section) || section.find(']') != std::string_view::npos)
        return FALSE;
    if (lpKeyName &&
        (hasLineBreak(key) || key.find('=') != std::string_view::npos || key.starts_with('[') || key.starts_with(';')))
        return FALSE;
    if (hasLineBreak(value))
        return FALSE;

    // Another name may spell the same file, so a write makes a batch forget everything it saw.
    readBatch().documents.clear();
    ProfileCache& files = cache();
    const std::lock_guard lock(files.mutex());
    struct stat status;
    bool exists = false;
    const std::string path = platform::detail::resolveHostPath(lpFileName, &status, &exists);
    std::shared_ptr<const IniDocument> document = files.document(path, status, exists);
    WriteBatch& held = writeBatch();
    std::shared_ptr<const IniDocument>* pending = held.depth > 0 ? held.find(path) : nullptr;
    if (pending)
    {
        document = *pending;
        exists = true;
    }
    if (exists && !document)
        return FALSE;
    if (!document && (!lpKeyName || !lpString))
        return TRUE; // nothing to remove from a file that does not exist
    if (!document)
        document = std::make_shared<const IniDocument>(std::string());

    std::string text = !lpKeyName  ? document->withoutSection(section)
                       : !lpString ? document->withoutKey(section, key)
                                   : document->withValue(section, key, value);
    if (exists && text == document->text())
    {
        // Nothing to change, but a file the caller may not write still refuses the write, as a
        // rewrite of it would: the caller is told it cannot save there, not that it saved.
        if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ||
            (errno != EACCES && errno != EPERM && errno != EROFS))
            return TRUE;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (text.size() > kMaxFileSize)
        return FALSE;

    auto written = std::make_shared<const IniDocument>(std::move(text));
    if (held.depth > 0)
    {
        if (pending)
            *pending = std::move(written);
        else
            held.pending.emplace_back(path, std::move(written));
        return TRUE;
    }
    return writeThrough(files, path, std::move(written)) ? TRUE : FALSE;
}
} // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    try
    {
        return getProfileString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
    }
    catch (...)
    {
        // Only allocation can fail here; the platform's function has no error result either.
        lpReturnedString[0] = '\0';
        return 0;
    }
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName)
{
    try
    {
        return writeProfileString(lpAppName, lpKeyName, lpString, lpFileName);
    }
    catch (...)
    {
        return FALSE;
    }
}

namespace platform
{
ProfileReadBatch::ProfileReadBatch()
{
    ++readBatch().depth;
}

ProfileReadBatch::~ProfileReadBatch()
{
    ReadBatch& batch = readBatch();
    if (--batch.depth == 0)
        batch.documents.clear();
}
} // namespace platform

namespace platform
{
ProfileWriteBatch::ProfileWriteBatch()
{
    ++writeBatch().depth;
}

ProfileWriteBatch::~ProfileWriteBatch()
{
    commit();
    --writeBatch().depth;
}

bool ProfileWriteBatch::commit()
{
    WriteBatch& batch = writeBatch();
    if (batch.depth > 1)
        return !batch.failed; // the outermost batch writes
    ProfileCache& files = cache();
    const std::lock_guard lock(files.mutex());
    for (auto& [path, document] : batch.pending)
        if (!writeThrough(files, path, std::move(document)))
            batch.failed = true;
    batch.pending.clear();
    const bool ok = !batch.failed;
    batch.failed = false;
    return ok;
}
} // namespace platform
