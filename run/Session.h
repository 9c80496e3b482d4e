// A whole optimisation run on the simulated instrument, as one session that a driver or a window
// starts. Each compound of the compound list is injected once per stage with one acquisition
// function per ramp step; the engine finds its parent ion and cone voltage, then its daughter ion
// and collision energy. Each sample group of the analysis list then gets its final quan method,
// its samples are acquired, the method is narrowed from the group's reference sample, and the
// quantify state of the list records it.
#pragma once

#include "run/Inputs.h"
#include "run/ResultsTable.h"
#include "run/RunReport.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tessaly
{
/// What a run is asked to do.
struct RunSettings
{
    std::string method;  // the optimisation method (.tym) in its project (.PRO)
    RunOptions run;      // the lists and what follows the optimisation
    unsigned long long seed = 1; // the simulated instrument's
    std::string spectra; // folder of measured fragmentation series NAME.tsv; empty: none
    std::string report;  // where the HTML report goes; empty: none
    bool wait = false;   // wait for another run using the data directory instead of refusing
};

/// What a run tells as it works, from the thread that runs it.
class RunObserver
{
  public:
    virtual ~RunObserver() = default;
    /// The run has done done of total steps (a compound's stage or a group's method) and is at
    /// what, such as "Caffeine: cone voltage"; "done" at the end.
    virtual void progress(std::size_t done, std::size_t total, const std::string& what) = 0;
    /// No more progress comes: early when the run failed or was stopped.
    virtual void progressEnded(bool early) = 0;
    /// One line for the person running it, ending in "\n": a warning ("warning: ..."), the method's
    /// findings, where the report went, the time taken. A line may be empty ("\n").
    virtual void message(const std::string& line) = 0;
    /// A compound whose optimisation has ended, with its line of the table and its curves.
    virtual void compoundFinished(const CompoundRun& compound);
    /// The final table: every compound when the run completes; when it fails or is stopped, the
    /// compounds whose optimisation had ended, so that nothing found is lost.
    virtual void table(const std::vector<ResultRow>& rows, const std::vector<std::string>& atEdge) = 0;
};

/// One run. Between its steps it can be stopped, from any thread.
class RunSession
{
  public:
    /// Both must outlive the session.
    RunSession(const RunSettings& settings, RunObserver& observer);

    /// Runs the whole job and returns when it is complete. Throws BadInput, before anything is
    /// written, for inputs it refuses; Failure when it could not finish; Interrupted when it was
    /// stopped (stop, or alsoStopWhen giving a number other than 0). In every case the tune in
    /// force before the run is put back and the run's private folder removed.
    void run(const std::function<int()>& alsoStopWhen = {});

    /// Asks the run to stop at its next step. code is the signal that asked (SIGINT for a Stop
    /// button); Interrupted carries it.
    void stop(int code);

  private:
    const RunSettings& settings_;
    RunObserver& observer_;
    std::atomic<int> stopCode_{0};
};
} // namespace tessaly
