#include "gui/TessalyGui.h"

#include "apps/Commands.h"
#include "gui/QtDialogService.h"
#include "gui/QtUserInterface.h"
#include "host/host.h"
#include "kelvane/KelvaneHost.h"
#include "method/BrenmoOptions.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"
#include "ui/TessalyWizard.h"

#include <CLI/CLI.hpp>
#include <QApplication>
#include <cstdlib>
#include <memory>

namespace gui
{
namespace
{
enum ExitStatus
{
    kOk = 0,
    kFailed = 1,
    kBadInput = 2,
};

// Installs a dialog service for the lifetime of a scope.
class ScopedDialogService
{
  public:
    explicit ScopedDialogService(platform::DialogService& service) : previous_(platform::installDialogService(&service))
    {
    }
    ~ScopedDialogService()
    {
        platform::installDialogService(previous_);
    }
    ScopedDialogService(const ScopedDialogService&) = delete;
    ScopedDialogService& operator=(const ScopedDialogService&) = delete;

  private:
    platform::DialogService* previous_;
};

// The QApplication the windows need: the one that exists (the tests', or one a caller made), or
// one made here without Qt's command-line options (its environment variables still apply). Qt
// aborts the process when it finds no display, so that case is refused first with one line.
std::unique_ptr<QApplication> ensureApplication()
{
    if (QApplication::instance())
        return nullptr;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        throw tessaly::Failure("no display to show the window on (set DISPLAY, or QT_QPA_PLATFORM=offscreen)");
    static int argc = 1;
    static char name[] = "tessaly-gui";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// CLI11's messages are one line but for a stray line feed; ours are exactly one.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

int editMethod(const std::string& file)
{
    const std::string hostFile = tessaly::asHostPath(file);
    CTessalyOptionsSheet sheet(hostFile.c_str(), GetTotalSimultaneousSamples(), nullptr);
    return sheet.DoModal() == IDOK ? kOk : kFailed;
}

// The run options given on the command line, as the wizard starts with them. The project is the
// run's business, so the paths are taken as given rather than moved into it.
void presetRunOptions(const tessaly::RunOptions& run, const std::string& method, CBrenmoOptions& options)
{
    options.m_strMethodFile = tessaly::asHostPath(method).c_str();
    options.m_strCompoundList = tessaly::asHostPath(run.compounds).c_str();
    options.m_strAnalysisList = tessaly::asHostPath(run.analysis).c_str();
    options.m_bCompoundOptimisation = 1; // tessaly run always optimises the compounds
    options.m_bAnalysisAndQuantitation = run.noAnalysis ? 0 : 1;
    options.m_bRunUnattended = run.unattended ? 1 : 0;
    options.m_bAutoQuantifySamples = run.autoQuantify ? 1 : 0;
    options.m_bExportResultsToLims = run.exportLims ? 1 : 0;
    options.m_bConcatenateGroup = run.concatenateGroup ? 1 : 0;
    options.m_strLimsExportFile = tessaly::asHostPath(run.limsFile).c_str();
    options.m_strQuanCalibration = run.calibration.c_str();
    options.m_strBaseQuanMethod = tessaly::asHostPath(run.baseQuanMethod).c_str();
    options.m_bPreRun = run.preRunGiven ? 1 : 0;
    options.m_strPreRunProcess = run.preRunProcess.c_str();
    options.m_bPostRun = run.postRunGiven ? 1 : 0;
    options.m_strPostRunProcess = run.postRunProcess.c_str();
}

// The wizard's fields from the options, as the host fills them before showing it.
void fillWizard(const CBrenmoOptions& o, CTessalyWizard& wizard)
{
    wizard.m_strMethodFile = o.m_strMethodFile;
    wizard.m_strCompoundList = o.m_strCompoundList;
    wizard.m_strAnalysisList = o.m_strAnalysisList;
    wizard.m_bAnalysisAndQuantitation = o.m_bAnalysisAndQuantitation;
    wizard.m_bCompoundOptimisation = o.m_bCompoundOptimisation;
    wizard.m_bRunUnattended = o.m_bRunUnattended;
    wizard.m_CompoundListType = o.m_CompoundListType;
    wizard.m_AnalysisListType = o.m_AnalysisListType;
    wizard.m_strBaseQuanMethod = o.m_strBaseQuanMethod;
    wizard.m_bAcquireSampleData = o.m_bAcquireSampleData;
    wizard.m_bAutoProcessSamples = o.m_bAutoProcessSamples;
    wizard.m_bAutoQuantifySamples = o.m_bAutoQuantifySamples;
    wizard.m_bPreRun = o.m_bPreRun;
    wizard.m_bPostRun = o.m_bPostRun;
    wizard.m_strPreRunProcess = o.m_strPreRunProcess;
    wizard.m_strPostRunProcess = o.m_strPostRunProcess;
    wizard.m_bIntegrateSamples = o.m_bIntegrateSamples;
    wizard.m_bCalibrateStandards = o.m_bCalibrateStandards;
    wizard.m_bQuantifySamples = o.m_bQuantifySamples;
    wizard.m_bPrintQuantifyReports = o.m_bPrintQuantifyReports;
    wizard.m_bExportResultsToLims = o.m_bExportResultsToLims;
    wizard.m_bConcatenateGroup = o.m_bConcatenateGroup;
    wizard.m_strLimsExportFile = o.m_strLimsExportFile;
}

int runWizard(const std::string& method, const tessaly::RunOptions& run, const std::string& dataDirectory,
              std::ostream& out, std::ostream& err)
{
    CBrenmoOptions options;
    presetRunOptions(run, method, options);
    CTessalyWizard wizard(nullptr);
    fillWizard(options, wizard);
    if (wizard.DoModal() != ID_WIZFINISH)
        return kFailed;
    wizard.ReceiveDataFromPages();
    options = wizard;
    for (const std::string& note : choicesRunCannotTake(options))
        err << "tessaly-gui: note: " << note << '\n';
    out << runCommandLine(options, dataDirectory) << '\n';
    return kOk;
}

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CLI::App app("tessaly-gui: the method editor and the run wizard as windows, on the Kelvane host stand-in.",
                 "tessaly-gui");
    app.footer("Exit status: 0 saved, unchanged or finished; 1 changes declined, not written, or cancelled; "
               "2 bad arguments.");
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::string dataDirectory;
    app.add_option("--data-dir", dataDirectory, "host data directory, C:\\ to the engine")->envname("KELVANE_DATA");
    app.set_version_flag("--version", "tessaly-gui " BRENMO_VERSION, "prints the version and exits");
    app.require_subcommand(1);
    CLI::App* edit = app.add_subcommand("edit", "opens the method editor, on FILE or on a new method");
    std::string file;
    edit->add_option("FILE", file, "method file (.tym)");
    CLI::App* wizard =
        app.add_subcommand("wizard", "shows the run wizard; Finish prints the run as a tessaly run command line");
    std::string method;
    tessaly::RunOptions run;
    wizard->add_option("--method", method, "the optimisation method (.tym)");
    tessaly::addRunOptions(*wizard, run);
    try
    {
        // CLI11 takes the arguments last first.
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    }
    catch (const CLI::CallForVersion& e)
    {
        out << e.what() << '\n';
        return kOk;
    }
    catch (const CLI::Success&)
    {
        out << app.help();
        return kOk;
    }
    catch (const CLI::ParseError& e)
    {
        throw tessaly::BadInput(oneLine(e.what()));
    }

    const std::string data = dataDirectory.empty() ? platform::dataDirectory() : dataDirectory;
    if (!kelvane::install(data))
        throw tessaly::Failure(data + ": the host's data directory cannot be set up");
    // The run that is printed uses the same host, named absolutely.
    const std::string shownData = dataDirectory.empty() ? std::string() : platform::dataDirectory();
    const std::unique_ptr<QApplication> application = ensureApplication();
    QtUserInterface messages;
    platform::ScopedUserInterface shownInBoxes(messages);
    QtDialogService windows;
    ScopedDialogService shownInWindows(windows);
    if (edit->parsed())
        return editMethod(file);
    return runWizard(method, run, shownData, out, err);
}
} // namespace

int runTessalyGui(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try
    {
        return dispatch(args, out, err);
    }
    catch (const tessaly::BadInput& e)
    {
        err << "tessaly-gui: " << e.what() << '\n';
        return kBadInput;
    }
    catch (const std::exception& e)
    {
        err << "tessaly-gui: " << e.what() << '\n';
        return kFailed;
    }
    catch (...)
    {
        err << "tessaly-gui: unexpected failure\n";
        return kFailed;
    }
}

std::string shellQuoted(std::string_view text)
{
    const bool plain = !text.empty() && text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                               "0123456789@%+=:,./_-") == std::string_view::npos;
    if (plain)
        return std::string(text);
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string runCommandLine(const CBrenmoOptions& o, const std::string& dataDirectory)
{
    std::vector<std::string> words = {"tessaly"};
    if (!dataDirectory.empty())
        words.insert(words.end(), {"--data-dir", dataDirectory});
    words.emplace_back("run");
    const auto path = [&](const char* flag, const CString& hostPath) {
        if (!hostPath.IsEmpty())
            words.insert(words.end(), {flag, platform::toPosixPath(hostPath.GetString())});
    };
    const auto flag = [&](const char* name, BOOL on) {
        if (on)
            words.emplace_back(name);
    };
    path("--method", o.m_strMethodFile);
    path("--compounds", o.m_strCompoundList);
    path("--analysis", o.m_strAnalysisList);
    flag("--no-analysis", !o.m_bAnalysisAndQuantitation);
    flag("--auto-quantify", o.m_bAutoQuantifySamples);
    if (!o.m_strQuanCalibration.IsEmpty())
        words.insert(words.end(), {"--calibration", o.m_strQuanCalibration.GetString()});
    path("--base-quan-method", o.m_strBaseQuanMethod);
    flag("--export-lims", o.m_bExportResultsToLims);
    flag("--concatenate-group", o.m_bConcatenateGroup);
    path("--lims-file", o.m_strLimsExportFile);
    // A process is passed even when empty: the option given is what asks for the step.
    if (o.m_bPreRun)
        words.insert(words.end(), {"--pre-run", o.m_strPreRunProcess.GetString()});
    if (o.m_bPostRun)
        words.insert(words.end(), {"--post-run", o.m_strPostRunProcess.GetString()});
    flag("--unattended", o.m_bRunUnattended);
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + shellQuoted(word);
    return line;
}

std::vector<std::string> choicesRunCannotTake(const CBrenmoOptions& o)
{
    std::vector<std::string> notes;
    if (!o.m_bCompoundOptimisation)
        notes.emplace_back("\"Compound Optimisation\" is off, but tessaly run always optimises the compounds");
    if (o.m_bAnalysisAndQuantitation && !o.m_bAcquireSampleData)
        notes.emplace_back("\"Acquire Sample Data\" is off, but tessaly run always acquires the analysis samples");
    if (o.m_bAutoProcessSamples)
        notes.emplace_back("\"Auto Process Samples\" has no tessaly run option");
    if (o.m_bAutoQuantifySamples && !(o.m_bIntegrateSamples && o.m_bCalibrateStandards && o.m_bQuantifySamples))
        notes.emplace_back("tessaly run --auto-quantify integrates, calibrates and quantifies: the three steps "
                           "cannot be chosen one by one");
    if (o.m_bPrintQuantifyReports)
        notes.emplace_back("\"Print Quantify Reports\" has no tessaly run option");
    return notes;
}
} // namespace gui
