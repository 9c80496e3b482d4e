// tessaly quan: the host's quantify step on a sample list, through the exported Quan* functions;
// tessaly samplelist convert: between the stand-in's two sample-list forms (CSV and .spl).
#include "apps/Commands.h"
#include "groups/QuanState.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/SampleListFiles.h"
#include "platform/UserInterface.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cstdlib>
#include <optional>

namespace tessaly
{
namespace
{
// Catches the window title that QuanSetTitle sets, so it can be printed.
class TitleCatcher final : public platform::UserInterface
{
  public:
    int showMessageBox(HWND, const char*, const char*, UINT) override
    {
        return IDOK;
    }
    bool setWindowText(HWND, const char* text) override
    {
        title = text;
        return true;
    }
    std::string title;
};

// Closes the quantify state's list however the command ends.
struct OpenQuanList
{
    ~OpenQuanList()
    {
        QuanCloseSampleList();
    }
};

kelvane::KelvaneHost* standIn()
{
    return dynamic_cast<kelvane::KelvaneHost*>(&host::Current());
}

std::string sampleListError()
{
    kelvane::KelvaneHost* host = standIn();
    return host && !host->GetSampleListError().empty() ? host->GetSampleListError() : "the host gave no reason";
}

// A path the user gave: a host path ("C:\...") is kept, a POSIX path becomes a host path.
std::string asHostPath(const std::string& path)
{
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || path.empty() ? path : platform::toHostPath(path);
}

int parseGroupNumber(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > 1000000000)
        throw BadInput("--group takes a group number from 1, not \"" + text + "\"");
    return static_cast<int>(value);
}

struct QuanOptions
{
    std::string list;
    std::optional<int> group;
    std::optional<std::string> method;
    bool chooseDumpFile = false;
    std::optional<std::string> dialogAnswer;
};

QuanOptions parseQuanOptions(const std::vector<std::string>& args)
{
    QuanOptions options;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw BadInput(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--group")
            options.group = parseGroupNumber(value());
        else if (arg == "--set-method")
            options.method = value();
        else if (arg == "--choose-dump-file")
            options.chooseDumpFile = true;
        else if (arg == "--dialog-answer")
            options.dialogAnswer = value();
        else if (arg.rfind("--", 0) == 0)
            throw BadInput("quan: unknown option " + arg);
        else if (options.list.empty())
            options.list = arg;
        else
            throw BadInput("quan takes one sample list");
    }
    if (options.list.empty())
        throw BadInput("quan takes one sample list");
    if (options.method && !options.group)
        throw BadInput("--set-method needs --group N");
    if (options.group && !options.method)
        throw BadInput("--group is only used with --set-method");
    if (options.dialogAnswer && !options.chooseDumpFile)
        throw BadInput("--dialog-answer is only used with --choose-dump-file");
    return options;
}

void printGroups(std::ostream& out)
{
    TitleCatcher catcher;
    platform::ScopedUserInterface installed(catcher);
    // Any non-null handle names "the window" to the title function.
    static int window;
    const HWND handle = reinterpret_cast<HWND>(&window);
    for (int g = 0; g < nQuanGroups; ++g)
    {
        if (!QuanChangeGroup(0, g, nullptr))
            throw Failure("group " + std::to_string(g + 1) + " could not be selected");
        QuanSetTitle(handle);
        // The step functions give the group's bounds: before the group, the next sample is its
        // first; at its first, the previous one wraps to its last.
        int first = 0;
        QuanIncrimentSample(&first);
        int last = first;
        QuanDecrimentSample(&last);
        out << catcher.title << '\n';
        out << "  samples: " << first << '-' << last << '\n';
        out << "  method: " << QuanGetCurrentMethod() << '\n';
        out << "  curve: " << QuanGetCurrentCurve() << '\n';
        out << "  dump file: " << QuanGetCurrentDump() << '\n';
    }
}
} // namespace

int quan(const std::vector<std::string>& args, std::ostream& out)
{
    const QuanOptions options = parseQuanOptions(args);
    requireFile(options.list);
    const std::string list = platform::toHostPath(options.list);

    OpenQuanList closer;
    if (!QuanOpenSampleList(list.c_str()))
    {
        if (*QuanGetCurrentSampleList() == '\0')
            throw BadInput(sampleListError());
        out << options.list << ": no samples\n";
        return kOk;
    }

    if (options.method)
    {
        if (*options.group > nQuanGroups)
            throw BadInput(options.list + ": there is no group " + std::to_string(*options.group) + " (the list has " +
                           std::to_string(nQuanGroups) + ")");
        if (!QuanChangeGroup(0, *options.group - 1, nullptr))
            throw Failure("group " + std::to_string(*options.group) + " could not be selected");
        const std::string method = asHostPath(*options.method);
        if (!QuanSetCurrentMethod(method.c_str()))
            throw Failure(options.list + ": the method could not be written: " + sampleListError());
    }

    if (options.chooseDumpFile)
    {
        kelvane::KelvaneHost* host = standIn();
        if (!host)
            throw Failure("the file dialog needs the host stand-in");
        if (options.dialogAnswer)
            host->SetNormalFileAnswer(asHostPath(*options.dialogAnswer));
        else
            host->ClearNormalFileAnswer();
        char chosen[MAX_PATH] = {};
        if (ChangeDumpFile(nullptr, chosen))
            out << "LIMS export file: " << chosen << '\n';
        else
            out << "LIMS export file: not changed (the dialog was cancelled)\n";
        host->ClearNormalFileAnswer();
    }

    printGroups(out);
    return kOk;
}

int sampleListConvert(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 2)
        throw BadInput("samplelist convert takes an input and an output list");
    const std::string& in = args[0];
    const std::string& to = args[1];
    requireFile(in);
    std::error_code ec;
    if (std::filesystem::exists(to, ec))
        throw BadInput(to + ": already exists; not replaced");

    kelvane::CsvTable table;
    std::string error;
    if (!kelvane::readSampleListTable(in, kelvane::sampleListFormatOf(in), table, error))
        throw BadInput(error);
    if (!kelvane::writeSampleListTable(to, kelvane::sampleListFormatOf(to), table, error))
        throw Failure(error);
    out << in << ": " << table.rows.size() << " rows written to " << to << '\n';
    return kOk;
}
} // namespace tessaly
