// tessaly quan: the host's quantify step on a sample list, through the exported Quan* functions.
#include "apps/Commands.h"
#include "groups/QuanState.h"
#include "kelvane/KelvaneHost.h"
#include "platform/UserInterface.h"

#include <memory>

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

struct QuanOptions
{
    std::string list;
    int group = 0; // from 1; set together with method
    bool setMethod = false;
    std::string method;
    bool chooseDumpFile = false;
    bool answerDialog = false;
    std::string dialogAnswer;
};

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

int quan(const QuanOptions& options, std::ostream& out)
{
    requireFile(options.list);
    const std::string list = asHostPath(options.list);

    // A change of the list waits for other editors of it, from the read to the write.
    platform::FileLock editing;
    if (options.setMethod || options.chooseDumpFile)
        editing = lockForEdit(options.list);
    OpenQuanList closer;
    if (!QuanOpenSampleList(list.c_str()))
    {
        if (*QuanGetCurrentSampleList() == '\0')
            throw BadInput(sampleListError());
        // Nothing to set a method in, or a dump file for: saying so is the only honest answer.
        if (options.setMethod || options.chooseDumpFile)
            throw BadInput(options.list + ": no samples, so no group to " +
                           (options.setMethod ? "set a method for" : "choose a dump file for"));
        out << options.list << ": no samples\n";
        return kOk;
    }

    if (options.setMethod)
    {
        if (options.group > nQuanGroups)
            throw BadInput(options.list + ": there is no group " + std::to_string(options.group) + " (the list has " +
                           std::to_string(nQuanGroups) + ")");
        if (!QuanChangeGroup(0, options.group - 1, nullptr))
            throw Failure("group " + std::to_string(options.group) + " could not be selected");
        if (!QuanSetCurrentMethod(asHostPath(options.method).c_str()))
            throw Failure(options.list + ": the method could not be written: " + sampleListError());
    }

    if (options.chooseDumpFile)
    {
        kelvane::KelvaneHost& host = standIn();
        if (options.answerDialog)
            host.SetNormalFileAnswer(asHostPath(options.dialogAnswer));
        else
            host.ClearNormalFileAnswer();
        char chosen[MAX_PATH] = {};
        if (ChangeDumpFile(nullptr, chosen))
            out << "LIMS export file: " << chosen << '\n';
        else
            out << "LIMS export file: not changed (the dialog was cancelled)\n";
        host.ClearNormalFileAnswer();
    }

    printGroups(out);
    return kOk;
}
} // namespace

void addQuanCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* command = tessaly.add_subcommand(
        "quan", "opens LIST as the quantify step does and prints each group's title, samples (from 1), method, "
                "curve and dump file");
    auto o = std::make_shared<QuanOptions>();
    command->add_option("LIST", o->list, "sample list (.csv, .txt, .spl, .olb, .sdb)")->required();
    CLI::Option* group = command->add_option("--group", o->group, "the group (from 1) whose method --set-method sets")
                             ->check(wholeNumber(1, 1000000000, "a group number (from 1)"));
    CLI::Option* method =
        command->add_option("--set-method", o->method, "writes PATH into LIST as the group's quan method");
    group->needs(method);
    method->needs(group);
    CLI::Option* choose =
        command->add_flag("--choose-dump-file", o->chooseDumpFile, "asks for the LIMS export file in the file dialog");
    CLI::Option* answer =
        command
            ->add_option("--dialog-answer", o->dialogAnswer, "the dialog's answer; without it the dialog is cancelled")
            ->needs(choose);
    // The counts tell an option given empty from one not given; the parser outlives the action.
    onParsed(*command, action, [o, method, answer](std::ostream& out) {
        o->setMethod = method->count() > 0;
        o->answerDialog = answer->count() > 0;
        return quan(*o, out);
    });
}
} // namespace tessaly
