#include "apps/Tessaly.h"

#include "apps/Commands.h"
#include "apps/ConsoleUserInterface.h"
#include "kelvane/KelvaneHost.h"
#include "platform/WinPath.h"

#include <cstdlib>
#include <string_view>

namespace tessaly
{
namespace
{
constexpr const char* kUsage = "usage: tessaly [--data-dir DIR] method show FILE.tym\n"
                               "       tessaly [--data-dir DIR] method set FILE.tym Key=Value...\n"
                               "       tessaly [--data-dir DIR] method validate FILE.tym --project DIR.PRO\n"
                               "                   [--compounds LIST] [--analysis LIST] [run options]\n"
                               "           prints the findings; exit 0 when valid (warnings only), 1 on errors\n"
                               "           run options: --no-analysis (optimise only, no acquisition and\n"
                               "           quantitation), --auto-quantify (integrate, calibrate, quantify),\n"
                               "           --calibration NAME, --base-quan-method FILE, --export-lims,\n"
                               "           --concatenate-group (export per group to a base name),\n"
                               "           --lims-file FILE, --pre-run PROCESS, --post-run PROCESS, --unattended\n"
                               "       tessaly [--data-dir DIR] method move FILE.tym --project DIR.PRO\n"
                               "           rewrites the method's tune, quan and LC method paths into DIR.PRO\n"
                               "       tessaly [--data-dir DIR] groups LIST.csv\n"
                               "       tessaly [--data-dir DIR] quan LIST [--group N --set-method PATH]\n"
                               "                   [--choose-dump-file [--dialog-answer PATH]]\n"
                               "           opens LIST (.csv, .txt, .spl, .olb, .sdb) as the quantify step does and\n"
                               "           prints each group's title, samples (from 1), method, curve and dump\n"
                               "           file; --set-method writes the method of group N (from 1) into LIST\n"
                               "       tessaly [--data-dir DIR] samplelist convert IN OUT\n"
                               "           converts a sample list between CSV and .spl (by extension)\n"
                               "       tessaly [--data-dir DIR] methoddb show FILE.mdb\n"
                               "           prints every record of a quan method database, tab-separated\n"
                               "       tessaly [--data-dir DIR] methoddb stage1 FILE.mdb --mass TEXT --steps N --span W\n"
                               "                   [--template T.mdb]\n"
                               "           writes the stage-1 quan method of an optimisation injection and prints it\n"
                               "       tessaly [--data-dir DIR] tune show [FILE] | tune load FILE\n"
                               "           shows a tune file (or the tune loaded), or loads one into the instrument\n";

// The driver's commands: one or two command words, then the command's own arguments.
struct Entry
{
    std::string_view words;
    Command run;
};
constexpr Entry kCommands[] = {
    {"method show", methodShow},
    {"method set", methodSet},
    {"method validate", methodValidate},
    {"method move", methodMove},
    {"groups", groups},
    {"quan", quan},
    {"samplelist convert", sampleListConvert},
    {"methoddb show", methodDbShow},
    {"methoddb stage1", methodDbStage1},
    {"tune show", tuneShow},
    {"tune load", tuneLoad},
};

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> rest = args;
    std::string dataDirectory;
    if (rest.size() >= 2 && rest[0] == "--data-dir")
    {
        dataDirectory = rest[1];
        rest.erase(rest.begin(), rest.begin() + 2);
    }
    else if (const char* fromEnvironment = std::getenv("KELVANE_DATA"))
        dataDirectory = fromEnvironment;
    if (rest.empty())
        throw BadInput("no command given (tessaly help lists them)");

    if (rest[0] == "help" || rest[0] == "--help")
    {
        out << kUsage;
        return kOk;
    }
    kelvane::install(dataDirectory.empty() ? platform::dataDirectory() : dataDirectory);
    // The engine's message boxes reach the person at the terminal as lines on the error stream.
    ConsoleUserInterface console(err);
    platform::ScopedUserInterface shownOnConsole(console);

    const std::string oneWord = rest[0];
    const std::string twoWords = rest.size() > 1 ? rest[0] + " " + rest[1] : oneWord;
    for (const auto& entry : kCommands)
    {
        if (rest.size() > 1 && entry.words == twoWords)
            return entry.run({rest.begin() + 2, rest.end()}, out);
        if (entry.words == oneWord)
            return entry.run({rest.begin() + 1, rest.end()}, out);
    }
    throw BadInput("unknown command \"" + twoWords + "\" (tessaly help lists them)");
}
} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try
    {
        return dispatch(args, out, err);
    }
    catch (const BadInput& e)
    {
        err << "tessaly: " << e.what() << '\n';
        return kBadInput;
    }
    catch (const std::exception& e)
    {
        err << "tessaly: " << e.what() << '\n';
        return kFailed;
    }
    catch (...)
    {
        err << "tessaly: unexpected failure\n";
        return kFailed;
    }
}
} // namespace tessaly
