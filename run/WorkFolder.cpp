#include "run/WorkFolder.h"

#include "host/host.h"
#include "instrument/SimulatedInstrument.h"
#include "platform/AtomicFile.h"
#include "platform/WinPath.h"
#include "run/Inputs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace tessaly
{
namespace
{
namespace fs = std::filesystem;

constexpr const char* kLockFile = "tessaly.lock";
constexpr const char* kWorkFolder = "Work";
constexpr const char* kFolderPrefix = "tessaly-";
constexpr const char* kSavedTune = "tune-before-run";

std::string reason()
{
    return std::strerror(errno);
}
} // namespace

DataDirectoryLock::DataDirectoryLock(const std::string& posixDirectory, bool wait,
                                     const std::function<bool()>& interrupted)
{
    const std::string file = posixDirectory + "/" + kLockFile;
    if (lock_.lockFile(file, wait, interrupted))
        return;
    if (errno == EWOULDBLOCK)
    {
        const long holder = platform::FileLock::holderOf(file);
        throw Failure(posixDirectory + ": another run" +
                      (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
                      " is using this data directory; give --wait to wait for it");
    }
    if (errno == EINTR)
        throw Failure(posixDirectory + ": interrupted while waiting for the run using this data directory");
    throw Failure(file + ": the data directory's lock cannot be taken: " + reason());
}

WorkFolder::WorkFolder(const std::string& dataDirectory, const std::function<void(const std::string&)>& restoreTune)
{
    const fs::path work = fs::path(dataDirectory) / kWorkFolder;
    if (::mkdir(work.c_str(), 0700) != 0 && errno != EEXIST)
        throw Failure(work.string() + ": the runs' work folder cannot be made: " + reason());
    struct stat status;
    if (::lstat(work.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        throw Failure(work.string() + ": not a folder; the runs keep their temporary files there");

    // What killed runs left: only one run holds the data directory, so every folder here is
    // abandoned. The oldest saved tune is the one in force before the first of them, so it is put
    // back last.
    std::vector<std::pair<fs::file_time_type, fs::path>> left;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(work, error))
        if (entry.path().filename().string().rfind(kFolderPrefix, 0) == 0)
            left.emplace_back(entry.last_write_time(error), entry.path());
    std::sort(left.rbegin(), left.rend());
    for (const auto& [time, folder] : left)
    {
        std::ifstream saved(folder / kSavedTune);
        if (saved)
        {
            std::ostringstream text;
            text << saved.rdbuf();
            restoreTune(text.str());
        }
        fs::remove_all(folder, error);
    }

    std::string name = (work / (std::string(kFolderPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(name.data()))
        throw Failure(work.string() + ": the run's private folder cannot be made: " + reason());
    path_ = name;
    for (const char* sub : {"tmp", "PeakDB"})
        if (::mkdir((path_ + "/" + sub).c_str(), 0700) != 0)
        {
            const std::string why = reason();
            fs::remove_all(path_, error);
            throw Failure(path_ + "/" + sub + ": cannot be made: " + why);
        }
    platform::setTemporaryDirectory(path_ + "/tmp");
}

WorkFolder::~WorkFolder()
{
    platform::setTemporaryDirectory("");
    std::error_code error;
    fs::remove_all(path_, error);
}

// The tune in force before a run, as a killed run leaves it for the next one to put back: the
// instrument's tune file (empty: none open) and the system list's tune entry.
std::string savedTuneText(instrument::SimulatedInstrument& instrument)
{
    tag_HXFILE entry;
    char tuneDb[1024] = {};
    if (GetSystemListValue("SystemList", "TUNE_DB", 0, &entry))
        ConvertHxFileToPath(tuneDb, sizeof tuneDb, &entry);
    return "TunePath=" + (instrument.GetTuneState() ? instrument.TunePath() : std::string()) +
           "\nTuneDb=" + tuneDb + "\n";
}

void recordTuneInForce(instrument::SimulatedInstrument& instrument)
{
    tag_HXFILE entry;
    if (instrument.GetTuneState() && !instrument.TunePath().empty() &&
        ConvertPathToHxFile(&entry, instrument.TunePath().c_str()))
        SetSystemListValue("SystemList", "TUNE_DB", &entry, 0);
}

void restoreSavedTune(instrument::SimulatedInstrument& instrument, const std::string& text, std::ostream& err)
{
    std::string tunePath, tuneDb;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
    {
        if (line.rfind("TunePath=", 0) == 0)
            tunePath = line.substr(9);
        else if (line.rfind("TuneDb=", 0) == 0)
            tuneDb = line.substr(7);
    }
    tag_HXFILE entry;
    if (tuneDb.empty() || !ConvertPathToHxFile(&entry, tuneDb.c_str()))
        entry.clear();
    SetSystemListValue("SystemList", "TUNE_DB", &entry, 0);
    if (tunePath.empty())
        instrument.CloseTune();
    else if (!instrument.LoadTune(0, tunePath.c_str(), 1))
        err << "warning: the tune " << tunePath << " in force before an interrupted run cannot be loaded again\n";
    err << "note: an earlier run was stopped before it could clean up; its temporary files were removed and the "
           "tune in force before it put back\n";
}

void WorkFolder::saveTune(const std::string& text) const
{
    if (!platform::writeFileAtomically(path_ + "/" + kSavedTune, text))
        throw Failure(path_ + "/" + kSavedTune + ": cannot be written: " + reason());
}

void WorkFolder::forgetTune() const
{
    ::unlink((path_ + "/" + kSavedTune).c_str());
}
} // namespace tessaly
