#include "apps/Tessaly.h"

#include "apps/Commands.h"
#include "apps/ConsoleUserInterface.h"
#include "kelvane/KelvaneHost.h"
#include "platform/WinPath.h"

namespace tessaly
{
namespace
{
// The driver's commands, in the order --help lists them.
constexpr AddCommand kCommands[] = {
    addMethodCommand, addGroupsCommand, addQuanCommand, addSampleListCommand, addMethodDbCommand, addTuneCommand,
    addMassCommand, addRawCommand, addOptimiseCommand, addFinalCommand, addRunCommand, addExportCommand,
};

// The command words that lead to command, "method show"; empty for the driver itself.
std::string wordsOf(const CLI::App* command)
{
    std::string words;
    for (; command->get_parent(); command = command->get_parent())
        words = command->get_name() + (words.empty() ? "" : " " + words);
    return words;
}

// The last command word the parser reached; the driver itself when it reached none.
const CLI::App* deepest(const CLI::App& tessaly)
{
    const CLI::App* at = &tessaly;
    while (!at->get_subcommands().empty())
        at = at->get_subcommands().front();
    return at;
}

// Why a command line that parsed does not name one command: no command, a word no command takes,
// or a command word such as "method" without its subcommand, whose subcommands the message
// names. Empty when it names one (chosen) and holds no stray word.
std::string unnamedCommand(const CLI::App& tessaly, bool chosen)
{
    // The first command word followed by a word it does not take, else the last one given.
    const CLI::App* at = &tessaly;
    while (at->remaining().empty() && !at->get_subcommands().empty())
        at = at->get_subcommands().front();
    const std::vector<std::string> stray = at->remaining();
    if (stray.empty() && chosen)
        return "";
    if (at == &tessaly)
        return stray.empty() ? "no command given (tessaly --help lists them)"
                             : "unknown command \"" + stray.front() + "\" (tessaly --help lists them)";
    const auto subcommands = at->get_subcommands([](const CLI::App*) { return true; });
    std::string names;
    for (size_t i = 0; i < subcommands.size(); ++i)
        names += (i == 0 ? "" : i + 1 == subcommands.size() ? " or " : ", ") + subcommands[i]->get_name();
    const std::string words = wordsOf(at);
    return words + ": " + (stray.empty() ? "" : "unknown subcommand \"" + stray.front() + "\"; ") + "expected " +
           names + " (tessaly " + words + " --help)";
}

// CLI11's messages are one line but for a stray line feed; the driver's are exactly one.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CLI::App tessaly("tessaly, the command-line host driver: the engine's method files, sample lists, "
                     "method databases and tune files on the Kelvane host stand-in.",
                     "tessaly");
    tessaly.footer("Exit status: 0 done, 1 the command failed, 2 bad arguments or input (nothing written).");
    // An option given twice takes its last value, so a script can override an earlier one.
    tessaly.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::string dataDirectory;
    tessaly.add_option("--data-dir", dataDirectory, "host data directory, C:\\ to the engine")->envname("KELVANE_DATA");
    tessaly.set_version_flag("--version", "tessaly " BRENMO_VERSION, "prints the version and exits");
    Action action;
    for (const AddCommand add : kCommands)
        add(tessaly, action);
    // Words no command takes stay with the command word before them, so that missingCommand can
    // name the command that was meant rather than CLI11 only refusing the word.
    tessaly.allow_extras();
    const auto every = [](CLI::App*) { return true; };
    for (CLI::App* command : tessaly.get_subcommands(every))
        if (!command->get_subcommands(every).empty())
            command->allow_extras();

    try
    {
        // CLI11 takes the arguments last first.
        tessaly.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    }
    catch (const CLI::CallForVersion& e)
    {
        out << e.what() << '\n';
        return kOk;
    }
    catch (const CLI::Success&)
    {
        out << tessaly.help();
        return kOk;
    }
    catch (const CLI::ParseError& e)
    {
        const std::string words = wordsOf(deepest(tessaly));
        throw BadInput((words.empty() ? "" : words + ": ") + oneLine(e.what()));
    }
    if (const std::string unnamed = unnamedCommand(tessaly, static_cast<bool>(action)); !unnamed.empty())
        throw BadInput(unnamed);

    kelvane::install(dataDirectory.empty() ? platform::dataDirectory() : dataDirectory);
    // The engine's message boxes reach the person at the terminal as lines on the error stream.
    ConsoleUserInterface console(err);
    platform::ScopedUserInterface shownOnConsole(console);
    setErrorStream(err);
    return action(out);
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
    catch (const Interrupted& e)
    {
        err << "tessaly: " << e.what() << '\n';
        return 128 + e.signal;
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
