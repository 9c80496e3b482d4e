// What a run takes from its user: files that must exist, paths as the host names them, the sample
// lists, the run options and the project they belong to; and the host operations a run works
// through (the stand-in host, a one-row list for measuring an injection).
#pragma once

#include "platform/FileLock.h"
#include "run/Errors.h"

#include <memory>
#include <string>
#include <vector>

class CSampleListMem;
class CBrenmoOptions;
class CString;

namespace kelvane
{
class KelvaneHost;
}

namespace tessaly
{
/// Throws BadInput when the output file at outputPath is the same file as one of inputs (the
/// same device and inode; for an output that does not exist yet, the same path once both are
/// resolved through symbolic links): "OUTPUT: WHAT would overwrite the input INPUT; choose another
/// file", where what names the output ("the report"). Empty inputs are skipped.
void refuseOutputOverInput(const std::string& outputPath, const std::string& what,
                           const std::vector<std::string>& inputs);

/// The lock an edit of the file at path holds across reading, changing and writing it, so that
/// concurrent editors (other commands, a run's quantify step) wait for each other instead of
/// losing one another's changes. Throws Failure when the file's folder cannot be locked.
platform::FileLock lockForEdit(const std::string& path);

/// Throws BadInput unless path names an existing regular file.
void requireFile(const std::string& path);
/// Throws BadInput unless path names an existing regular file the caller may read:
/// "PATH: cannot be read: permission denied" (the system's reason) for one it may not.
void requireReadableFile(const std::string& path);
/// Throws BadInput unless path names an existing directory.
void requireDirectory(const std::string& path);

/// A path the user gave as the host sees it: a host path ("C:\...") is kept, a POSIX path is made
/// absolute, resolved through symbolic links as the kernel resolves it, and converted; the empty
/// text stays empty. Throws BadInput for a POSIX path that the host cannot name as the same file:
/// a backslash in it (the host's separator), or a new name the host would match, without regard
/// to case, to another file.
std::string asHostPath(const std::string& path);

/// The rows of the sample list at the POSIX path list, opened as the quantify step opens it: a
/// database (.spl), a loaded list (.olb, .sdb) or a formatted list (anything else). Throws BadInput
/// with the host's reason when it does not open.
std::unique_ptr<CSampleListMem> openSampleList(const std::string& list);

/// The run options a run takes, as method validate checks them and run uses them: the lists and
/// what the run does after the optimisation.
struct RunOptions
{
    std::string compounds;
    std::string analysis;
    bool noAnalysis = false;
    bool autoQuantify = false;
    bool exportLims = false;
    bool concatenateGroup = false;
    bool unattended = false;
    std::string limsFile;
    std::string calibration;
    std::string baseQuanMethod;
    std::string preRunProcess;
    std::string postRunProcess;
    bool preRunGiven = false; // given, even with an empty process
    bool postRunGiven = false;
};

/// Fills options from o (POSIX paths made host paths), records hostMethod as the method file, and
/// sets the project paths of the project at hostProject (a host path without a trailing
/// backslash).
void applyRunOptions(const RunOptions& o, const std::string& hostMethod, const std::string& hostProject,
                     CBrenmoOptions& options);

/// The project that holds the method at hostMethod: the nearest of its folders whose name ends in
/// ".PRO" (in any case), as a host path ending in a backslash; empty when there is none.
std::string projectOfMethod(const std::string& hostMethod);

/// The run time in minutes of the LC method at the host path lcMethod: "Run Time min" of its
/// "[Inlet Method]"; 0 when the file, the key or a number from above 0 to 1e6 is missing.
double lcRunTime(const CString& lcMethod);

/// The host measures an injection through a row of a sample list: a one-row list naming the raw
/// data, in the temporary directory, removed when the object goes.
class OneRowList
{
  public:
    /// Writes the list; throws Failure when it cannot.
    explicit OneRowList(const std::string& rawHostPath);
    ~OneRowList();
    OneRowList(const OneRowList&) = delete;
    OneRowList& operator=(const OneRowList&) = delete;

    std::string hostPath() const;

  private:
    std::string path_;
};

/// The installed Kelvane host stand-in; throws Failure when another host is installed.
kelvane::KelvaneHost& standIn();
/// Why the host's last sample-list read or write failed, or "the host gave no reason".
std::string sampleListError();
} // namespace tessaly
