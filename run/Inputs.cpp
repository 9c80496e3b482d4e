// What a run takes from its user, checked and made host paths, and the host operations it works
// through.
#include "run/Inputs.h"

#include "groups/QuanState.h"
#include "kelvane/KelvaneHost.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/Ascii.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tessaly
{
void requireFile(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        throw BadInput(path + ": no such file");
    if (!S_ISREG(info.st_mode))
        throw BadInput(path + ": not a regular file");
}

void requireReadableFile(const std::string& path)
{
    requireFile(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
    {
        std::string reason = std::strerror(errno);
        if (!reason.empty())
            reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
        throw BadInput(path + ": cannot be read: " + reason);
    }
    ::close(fd);
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

platform::FileLock lockForEdit(const std::string& path)
{
    // The folder the file really is in: editors naming it through a symbolic link meet there too.
    platform::FileLock lock;
    if (!lock.lockFolderOf(resolved(path)))
        throw Failure(path + ": its folder cannot be locked for the change: " + std::strerror(errno));
    return lock;
}

void refuseOutputOverInput(const std::string& outputPath, const std::string& what,
                           const std::vector<std::string>& inputs)
{
    struct stat output = {};
    const bool exists = ::stat(outputPath.c_str(), &output) == 0;
    for (const std::string& input : inputs)
    {
        if (input.empty())
            continue;
        struct stat in = {};
        const bool same = exists ? ::stat(input.c_str(), &in) == 0 && in.st_dev == output.st_dev &&
                                       in.st_ino == output.st_ino
                                 : resolved(input) == resolved(outputPath);
        if (same)
            throw BadInput(outputPath + ": " + what + " would overwrite the input " + input +
                           "; choose another file");
    }
}

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
void applyRunOptions(const RunOptions& o, const std::string& hostMethod, const std::string& hostProject,
                     CBrenmoOptions& options)
{
    options.m_strMethodFile = hostMethod.c_str();
    options.m_strCompoundList = asHostPath(o.compounds).c_str();
    options.m_strAnalysisList = asHostPath(o.analysis).c_str();
    options.m_bAnalysisAndQuantitation = o.noAnalysis ? 0 : 1;
    options.m_bRunUnattended = o.unattended ? 1 : 0;
    // Automatic quantification is asked for as a whole: integrate, calibrate and quantify.
    options.m_bAutoQuantifySamples = o.autoQuantify ? 1 : 0;
    options.m_bIntegrateSamples = 1;
    options.m_bCalibrateStandards = 1;
    options.m_bQuantifySamples = 1;
    options.m_bExportResultsToLims = o.exportLims ? 1 : 0;
    options.m_bConcatenateGroup = o.concatenateGroup ? 1 : 0;
    options.m_strLimsExportFile = asHostPath(o.limsFile).c_str();
    options.m_strQuanCalibration = o.calibration.c_str();
    options.m_strBaseQuanMethod = asHostPath(o.baseQuanMethod).c_str();
    options.m_bPreRun = o.preRunGiven ? 1 : 0;
    options.m_strPreRunProcess = o.preRunProcess.c_str();
    options.m_bPostRun = o.postRunGiven ? 1 : 0;
    options.m_strPostRunProcess = o.postRunProcess.c_str();
    // The project as the host holds it: the ".PRO" directory and a backslash, without which the
    // directory itself would not count as a project.
    CTessalyOptionsSheet::SetProjectPaths((hostProject + '\\').c_str(), options);
}
std::string projectOfMethod(const std::string& hostMethod)
{
    std::string folder = hostMethod.substr(0, hostMethod.find_last_of('\\') + 1);
    while (!folder.empty() && folder.back() == '\\')
    {
        folder.pop_back();
        const std::string_view name = std::string_view(folder).substr(folder.find_last_of('\\') + 1);
        if (name.size() > 4 && platform::detail::equalsNoCase(name.substr(name.size() - 4), ".PRO"))
            return folder + '\\';
        folder.resize(folder.size() - name.size());
    }
    return "";
}

double lcRunTime(const CString& lcMethod)
{
    if (lcMethod.IsEmpty())
        return 0.0;
    char text[64] = {};
    GetPrivateProfileStringA("Inlet Method", "Run Time min", "", text, sizeof text, lcMethod.GetString());
    char* end = nullptr;
    const double minutes = std::strtod(text, &end);
    const bool number = text[0] != '\0' && *end == '\0' && std::isfinite(minutes);
    return number && minutes > 0.0 && minutes <= 1e6 ? minutes : 0.0;
}

OneRowList::OneRowList(const std::string& rawHostPath)
{
    const std::string folder = platform::toPosixPath(platform::hostTemporaryDirectory());
    std::string name = folder + "/tessaly-optimise-XXXXXX.csv";
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0)
        throw Failure(folder + ": the injection's sample list cannot be written there");
    const std::string text = "FILE_NAME,FILE_TEXT\r\n\"" + rawHostPath + "\",optimise\r\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    path_ = name;
    if (!written)
        throw Failure(name + ": the injection's sample list cannot be written");
}

OneRowList::~OneRowList()
{
    ::unlink(path_.c_str());
}

std::string OneRowList::hostPath() const
{
    return platform::toHostPath(path_);
}
} // namespace tessaly
