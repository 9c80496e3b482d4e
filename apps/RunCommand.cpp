// tessaly run: the whole optimisation run, with its progress on the error stream, its final table
// on the output, and the signals that end a run.
#include "apps/Commands.h"
#include "run/Session.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <iterator>
#include <limits>
#include <memory>
#include <unistd.h>

namespace tessaly
{
namespace
{
// Ctrl-C, a hang-up, a termination or a closed pipe asks the run to stop between two steps; what
// it made is then cleaned up as at the end of any run, and the driver exits 128 + signal.
std::atomic<int> stopSignal{0};

extern "C" void onStopSignal(int signal)
{
    stopSignal = signal;
}

// The signals that end a run, caught for the run's lifetime. SA_RESTART keeps file writes and
// reads going; the run looks at the flag between steps.
class StopSignals
{
  public:
    StopSignals()
    {
        stopSignal = 0;
        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        // A signal ignored when the run started (nohup, a background job) stays ignored.
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            if (sigaction(kSignals[i], nullptr, &previous_[i]) == 0 && previous_[i].sa_handler != SIG_IGN)
                sigaction(kSignals[i], &action, nullptr);
    }
    ~StopSignals()
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &previous_[i], nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
    struct sigaction previous_[std::size(kSignals)] = {};
};

// The run on the terminal: progress and messages on the error stream, the table on the output. On
// a terminal one progress bar is rewritten in place; elsewhere (a log file, a pipe) each step is a
// line of its own.
class ConsoleRun : public RunObserver
{
  public:
    ConsoleRun(std::ostream& out, std::ostream& err) : out_(out), err_(err), terminal_(::isatty(2) != 0)
    {
    }
    void progress(std::size_t done, std::size_t total, const std::string& what) override
    {
        constexpr std::size_t kWidth = 24;
        const std::size_t filled = total == 0 ? kWidth : std::min(kWidth, done * kWidth / total);
        err_ << (terminal_ ? "\r[" : "[") << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] "
             << done << '/' << total << ' ' << what.substr(0, 60) << (terminal_ ? "\x1b[K" : "\n") << std::flush;
    }
    void progressEnded(bool early) override
    {
        if (terminal_)
            err_ << '\n';
        if (early)
            err_ << '\n';
    }
    void message(const std::string& line) override
    {
        err_ << line << std::flush;
    }
    void table(const std::vector<ResultRow>& rows, const std::vector<std::string>& atEdge) override
    {
        out_ << writeResultsTable(rows, atEdge) << std::flush;
    }

  private:
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
};
} // namespace

void addRunCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* command = tessaly.add_subcommand(
        "run", "runs the whole optimisation on the simulated instrument: every compound, then the final quan "
               "methods of the analysis groups; prints the final table");
    auto a = std::make_shared<RunSettings>();
    command->add_option("--method", a->method, "the optimisation method (.tym) in its project (.PRO)")->required();
    addRunOptions(*command, a->run);
    command->get_option("--compounds")->required();
    command->add_option("--seed", a->seed, "the simulated instrument's seed (default 1)")
        ->check(wholeNumber(0, std::numeric_limits<long>::max(), "a seed from 0 to 9223372036854775807"));
    command->add_option("--spectra", a->spectra, "folder of measured fragmentation series NAME.tsv");
    command->add_option("--report", a->report, "write the run's report (HTML) here");
    command->add_flag("--wait", a->wait, "wait for another run using the data directory to end, instead of refusing");
    onParsed(*command, action, [a](std::ostream& out) {
        ConsoleRun console(out, errorStream());
        RunSession session(*a, console);
        const StopSignals signals;
        session.run([] { return stopSignal.load(); });
        return kOk;
    });
}
} // namespace tessaly
