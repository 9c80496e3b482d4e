// tessaly method validate / method move: checking a method and its run options against a project
// before a run, and moving a method's files into another project.
#include "apps/Commands.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"

#include <sys/stat.h>

namespace tessaly
{
namespace
{
// The arguments of method validate and method move: the method file, the project and the options.
struct ValidateArguments
{
    std::string method;
    std::string project;
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
    bool preRun = false;
    std::string preRunProcess;
    bool postRun = false;
    std::string postRunProcess;
};

// Throws BadInput unless path names an existing directory.
void requireDirectory(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        throw BadInput(path + ": no such directory");
    if (!S_ISDIR(info.st_mode))
        throw BadInput(path + ": not a directory");
}

// Parses "FILE --project DIR" followed, when runOptions is set, by the run options.
ValidateArguments parse(const std::vector<std::string>& args, const char* command, bool runOptions)
{
    ValidateArguments parsed;
    const auto value = [&](size_t& i) -> const std::string& {
        if (i + 1 >= args.size())
            throw BadInput(std::string(command) + ": " + args[i] + " needs a value");
        return args[++i];
    };
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--project")
            parsed.project = value(i);
        else if (runOptions && arg == "--compounds")
            parsed.compounds = value(i);
        else if (runOptions && arg == "--analysis")
            parsed.analysis = value(i);
        else if (runOptions && arg == "--no-analysis")
            parsed.noAnalysis = true;
        else if (runOptions && arg == "--auto-quantify")
            parsed.autoQuantify = true;
        else if (runOptions && arg == "--export-lims")
            parsed.exportLims = true;
        else if (runOptions && arg == "--concatenate-group")
            parsed.concatenateGroup = true;
        else if (runOptions && arg == "--unattended")
            parsed.unattended = true;
        else if (runOptions && arg == "--lims-file")
            parsed.limsFile = value(i);
        else if (runOptions && arg == "--calibration")
            parsed.calibration = value(i);
        else if (runOptions && arg == "--base-quan-method")
            parsed.baseQuanMethod = value(i);
        else if (runOptions && arg == "--pre-run")
        {
            parsed.preRun = true;
            parsed.preRunProcess = value(i);
        }
        else if (runOptions && arg == "--post-run")
        {
            parsed.postRun = true;
            parsed.postRunProcess = value(i);
        }
        else if (arg.starts_with("--"))
            throw BadInput(std::string(command) + ": unknown option " + arg);
        else if (parsed.method.empty())
            parsed.method = arg;
        else
            throw BadInput(std::string(command) + " takes one method file, not also \"" + arg + "\"");
    }
    if (parsed.method.empty())
        throw BadInput(std::string(command) + " needs a method file");
    if (parsed.project.empty())
        throw BadInput(std::string(command) + " needs --project DIR");
    requireFile(parsed.method);
    requireDirectory(parsed.project);
    return parsed;
}

// The host path of a POSIX path given on the command line; the empty text stays empty.
CString hostPath(const std::string& posixPath)
{
    return platform::toHostPath(posixPath).c_str();
}

// The host path of a project directory, without a trailing backslash.
std::string projectHostPath(const std::string& posixDirectory)
{
    std::string project = platform::toHostPath(posixDirectory);
    while (project.size() > 1 && project.back() == '\\')
        project.pop_back();
    return project;
}
} // namespace

int methodValidate(const std::vector<std::string>& args, std::ostream& out)
{
    const ValidateArguments a = parse(args, "method validate", true);

    CBrenmoOptions options;
    const CString method = hostPath(a.method);
    options = CTessalyOptionsSheet::OpenFile(method);
    options.m_strMethodFile = method;
    options.m_strCompoundList = hostPath(a.compounds);
    options.m_strAnalysisList = hostPath(a.analysis);
    options.m_bAnalysisAndQuantitation = a.noAnalysis ? 0 : 1;
    options.m_bRunUnattended = a.unattended ? 1 : 0;
    // Automatic quantification is asked for as a whole: integrate, calibrate and quantify.
    options.m_bAutoQuantifySamples = a.autoQuantify ? 1 : 0;
    options.m_bIntegrateSamples = 1;
    options.m_bCalibrateStandards = 1;
    options.m_bQuantifySamples = 1;
    options.m_bExportResultsToLims = a.exportLims ? 1 : 0;
    options.m_bConcatenateGroup = a.concatenateGroup ? 1 : 0;
    options.m_strLimsExportFile = hostPath(a.limsFile);
    options.m_strQuanCalibration = a.calibration.c_str();
    options.m_strBaseQuanMethod = hostPath(a.baseQuanMethod);
    options.m_bPreRun = a.preRun ? 1 : 0;
    options.m_strPreRunProcess = a.preRunProcess.c_str();
    options.m_bPostRun = a.postRun ? 1 : 0;
    options.m_strPostRunProcess = a.postRunProcess.c_str();

    // The project as the host holds it: the ".PRO" directory and a backslash, without which the
    // directory itself would not count as a project.
    CTessalyOptionsSheet::SetProjectPaths((projectHostPath(a.project) + '\\').c_str(), options);

    CString messages;
    const int valid = CTessalyOptionsSheet::Validate(messages, options);
    out << messages.GetString();
    return valid ? kOk : kFailed;
}

int methodMove(const std::vector<std::string>& args, std::ostream& out)
{
    const ValidateArguments a = parse(args, "method move", false);
    const CString method = hostPath(a.method);

    CBrenmoOptions options;
    options = CTessalyOptionsSheet::OpenFile(method);
    // Without a trailing backslash: the project text is put in front of the "\..." that follows
    // ".PRO" in each path, and a trailing one would double the separator in the saved method.
    CTessalyOptionsSheet::SetProjectPaths(projectHostPath(a.project).c_str(), options);
    if (!CTessalyOptionsSheet::SaveFile(method, options))
        throw Failure(a.method + ": the method could not be written");
    out << "moved " << a.method << " into " << a.project << '\n';
    return kOk;
}
} // namespace tessaly
