// Where a run keeps what it makes along the way: one private folder per run inside the host's data
// directory, and the lock that lets only one run at a time use that directory.
#pragma once

#include "platform/FileLock.h"

#include <functional>
#include <ostream>
#include <string>

namespace instrument
{
class SimulatedInstrument;
}

namespace tessaly
{
/// The exclusive right of one run to a host data directory: its state (the system list's
/// method and tune entries, the instrument's tune, the results log) is the run's alone while the
/// object lives. The lock file is "tessaly.lock" in the data directory.
class DataDirectoryLock
{
  public:
    /// Takes the lock of the data directory posixDirectory. Without wait, throws Failure at once
    /// when another run holds it, naming that run's process; with wait, waits for it, and throws
    /// Failure when interrupted (a signal for which interrupted() then says true) or when the lock
    /// file cannot be made.
    DataDirectoryLock(const std::string& posixDirectory, bool wait, const std::function<bool()>& interrupted = {});

  private:
    platform::FileLock lock_;
};

/// A private folder of one run, "Work/tessaly-XXXXXX" in the data directory (mode 0700, made
/// with mkdtemp): the host's temporary directory is its "tmp" folder for the object's lifetime,
/// so the run's acquisitions, temporary methods and sample lists land there, and the peak
/// databases the host writes beside them land in its "PeakDB". Made only under the data
/// directory's lock, it first sweeps the folders that killed runs left; the tune a killed run
/// saved is handed to restoreTune before its folder goes, so the instrument gets back the tune it
/// had before that run. The folder and all in it are removed when the object goes.
class WorkFolder
{
  public:
    /// Throws Failure, naming the folder, when it cannot be made.
    WorkFolder(const std::string& dataDirectory, const std::function<void(const std::string&)>& restoreTune);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    /// The folder's POSIX path.
    const std::string& path() const
    {
        return path_;
    }
    /// Records text (what restoreTune needs to put the tune back) in the folder, so that the
    /// next run can restore it should this one be killed before it does so itself.
    void saveTune(const std::string& text) const;
    /// Forgets the saved tune once the run has put it back itself.
    void forgetTune() const;

  private:
    std::string path_;
};

/// The tune in force now, as WorkFolder::saveTune keeps it: the instrument's open tune file (none
/// when no tune is open) and the system list's tune entry.
std::string savedTuneText(instrument::SimulatedInstrument& instrument);

/// Makes the system list's tune entry name the tune the instrument holds, when it holds one: the
/// entry from which a run learns the tune to put back at its end, whoever loaded the tune.
void recordTuneInForce(instrument::SimulatedInstrument& instrument);

/// Puts back the tune that text (from savedTuneText) describes, on the instrument and in the system
/// list, and says so on err: what a run does for an earlier one that was killed before it could.
void restoreSavedTune(instrument::SimulatedInstrument& instrument, const std::string& text, std::ostream& err);
} // namespace tessaly
