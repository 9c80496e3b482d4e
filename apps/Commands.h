// What the driver's commands share: how a command registers with the parser, the two ways a
// command fails, and small helpers for files and the host. Each command lives in its own file.
#pragma once

#include "apps/Tessaly.h"
#include "platform/FileLock.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
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
/// The work of the command given: run once the whole command line has parsed and the host is
/// installed. It returns the exit status, or throws BadInput or Failure.
using Action = std::function<int(std::ostream& out)>;

/// Adds one top-level command (and its subcommands) to the parser; the callback of the command
/// given sets action.
using AddCommand = void (*)(CLI::App& tessaly, Action& action);

void addMethodCommand(CLI::App& tessaly, Action& action);
void addGroupsCommand(CLI::App& tessaly, Action& action);
void addQuanCommand(CLI::App& tessaly, Action& action);
void addSampleListCommand(CLI::App& tessaly, Action& action);
void addMethodDbCommand(CLI::App& tessaly, Action& action);
void addTuneCommand(CLI::App& tessaly, Action& action);
void addMassCommand(CLI::App& tessaly, Action& action);
void addRawCommand(CLI::App& tessaly, Action& action);
void addOptimiseCommand(CLI::App& tessaly, Action& action);
void addFinalCommand(CLI::App& tessaly, Action& action);
void addRunCommand(CLI::App& tessaly, Action& action);
void addExportCommand(CLI::App& tessaly, Action& action);

/// Input the driver refuses: a one-line message and exit status 2, before anything is written.
struct BadInput : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// A command that ran but could not finish: a one-line message and exit status 1.
struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// A command stopped by a signal (Ctrl-C, a hang-up, a termination, a closed pipe) after it
/// cleaned up: a one-line message and exit status 128 + the signal's number, as a shell reports it.
struct Interrupted : Failure
{
    Interrupted(const std::string& message, int signal) : Failure(message), signal(signal)
    {
    }
    int signal;
};

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

/// Makes run the action once command has parsed. Nothing runs while the line is still being
/// parsed, so a later parse error leaves everything untouched.
void onParsed(CLI::App& command, Action& action, Action run);

/// A check of an option's text: a whole number from min to max. Its message quotes the text and
/// names what was expected, e.g. "\"two\" is not a whole number".
CLI::Validator wholeNumber(long min, long max, const std::string& what = "a whole number");

/// A check of an option's text: a time span, a finite number above 0 and at most 1000000.
CLI::Validator timeSpan();

/// Prints every record of the method database at posixPath, one tab-separated line each after a
/// header line; when the records use a reference compound, a last line "Reference compound: NAME
/// (record R)" names the record that uses it and points to none. Throws BadInput when there is no
/// such file, Failure when it is not a method database, when it is damaged (a header count
/// below the records stored, a gap in the records, a record of the wrong size, a page SQLite finds
/// broken) or when a record cannot be read.
int showMethodDatabase(const std::string& posixPath, std::ostream& out);

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
    CLI::Option* preRun = nullptr; // given, even with an empty process
    CLI::Option* postRun = nullptr;
};

/// Adds the run options to command.
void addRunOptions(CLI::App& command, RunOptions& o);

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

/// Where a command shows progress and warnings: the driver's error stream while a command runs.
std::ostream& errorStream();
/// Makes err the error stream of the command about to run.
void setErrorStream(std::ostream& err);

/// The installed Kelvane host stand-in; throws Failure when another host is installed.
kelvane::KelvaneHost& standIn();
/// Why the host's last sample-list read or write failed, or "the host gave no reason".
std::string sampleListError();
} // namespace tessaly
