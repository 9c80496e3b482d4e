// tessaly method ...: showing and editing optimisation method files, checking a method and its
// run options against a project before a run, and moving a method's files into another project.
#include "apps/Commands.h"
#include "run/MethodChecks.h"
#include "host/host.h"
#include "method/MethodFileKeys.h"
#include "method/TessalyOptionsSheet.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace tessaly
{
namespace
{
// A key's value as the engine writes it: two decimals by the host's ftoa, decimal digits, or the
// text itself.
std::string valueText(const method::MethodFileKey& key, const CBrenmoOptions& options)
{
    switch (key.type)
    {
    case method::MethodKeyType::kDouble: {
        // The host renders any double into the 64 bytes its ftoa asks for.
        char text[64] = {};
        ftoa(key.getDouble(options), text, 2);
        text[sizeof text - 1] = '\0';
        return text;
    }
    case method::MethodKeyType::kInt:
        return std::to_string(key.getInt(options));
    case method::MethodKeyType::kString:
        return key.getText(options).GetString();
    }
    return "";
}

int show(const std::string& file, std::ostream& out)
{
    requireReadableFile(file);
    const std::string hostFile = asHostPath(file);
    // A file that is no method reads as the defaults; the values are still shown, but not silently.
    if (holdsNoMethodKey(hostFile))
        errorStream() << "warning: " << noMethodKeyFinding(file) << "; showing the defaults\n";
    const CBrenmoOptions& options = CTessalyOptionsSheet::OpenFile(hostFile.c_str());
    for (const auto& key : method::kMethodFileKeys)
        out << key.name << '=' << valueText(key, options) << '\n';
    return kOk;
}

// The value text of a Key=Value argument, checked against the key's type.
void assignValue(const method::MethodFileKey& key, const std::string& text, CBrenmoOptions& options)
{
    const std::string where = std::string("\"") + key.name + "\": ";
    if (text.find_first_of("\r\n") != std::string::npos)
        throw BadInput(where + "a value cannot hold a line break");
    char* end = nullptr;
    errno = 0;
    switch (key.type)
    {
    case method::MethodKeyType::kString:
        key.setText(options, text.c_str());
        return;
    case method::MethodKeyType::kInt: {
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
            throw BadInput(where + "\"" + text + "\" is not a whole number");
        key.setInt(options, static_cast<int>(value));
        return;
    }
    case method::MethodKeyType::kDouble: {
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(value))
            throw BadInput(where + "\"" + text + "\" is not a number");
        key.setDouble(options, value);
        return;
    }
    }
}

struct SetArguments
{
    std::string file;
    std::vector<std::string> keyValues;
};

int set(const SetArguments& a, std::ostream& out)
{
    requireReadableFile(a.file);
    const CString file = asHostPath(a.file).c_str();

    // Every change is checked on a copy before the file is touched, so bad input writes nothing;
    // another editor of the file waits from the read to the write, so no change is lost.
    const platform::FileLock editing = lockForEdit(a.file);
    CBrenmoOptions options;
    options = CTessalyOptionsSheet::OpenFile(file);
    for (const std::string& keyValue : a.keyValues)
    {
        const auto equals = keyValue.find('=');
        if (equals == std::string::npos)
            throw BadInput("\"" + keyValue + "\": expected Key=Value");
        const std::string name = keyValue.substr(0, equals);
        const method::MethodFileKey* key = method::findMethodFileKey(name.c_str());
        if (!key)
            throw BadInput("\"" + name + "\": not a method key");
        assignValue(*key, keyValue.substr(equals + 1), options);
    }
    if (!CTessalyOptionsSheet::SaveFile(file, options))
        throw Failure(a.file + ": the method could not be written");
    out << "saved " << a.file << '\n';
    return kOk;
}

// The arguments of method validate and method move: the method file, the project and the run
// options (validate only).
struct ValidateArguments
{
    std::string method;
    std::string project;
    RunOptions run;
};

// The host path of a project directory, without a trailing backslash.
std::string projectHostPath(const std::string& posixDirectory)
{
    std::string project = asHostPath(posixDirectory);
    while (project.size() > 1 && project.back() == '\\')
        project.pop_back();
    return project;
}

// The engine's findings, then the driver's: a file that holds no method (an error), and values
// out of the range a run can use (bad input, exit status 2).
int validate(const ValidateArguments& a, std::ostream& out)
{
    requireReadableFile(a.method);
    requireDirectory(a.project);
    CBrenmoOptions options;
    const CString method = asHostPath(a.method).c_str();
    options = CTessalyOptionsSheet::OpenFile(method);
    applyRunOptions(a.run, method.GetString(), projectHostPath(a.project), options);
    CString messages;
    bool valid = CTessalyOptionsSheet::Validate(messages, options) != 0;
    out << messages.GetString();
    if (holdsNoMethodKey(method.GetString()))
    {
        out << noMethodKeyFinding(a.method) << '\n';
        valid = false;
    }
    const std::vector<std::string> outOfRange = checkMethodRanges(options, a.method);
    for (const std::string& finding : outOfRange)
        out << finding << '\n';
    if (!outOfRange.empty())
        return kBadInput;
    return valid ? kOk : kFailed;
}

int move(const ValidateArguments& a, std::ostream& out)
{
    requireReadableFile(a.method);
    requireDirectory(a.project);
    const CString method = asHostPath(a.method).c_str();
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

// The method file and --project DIR of validate and move.
void addMethodAndProject(CLI::App& command, ValidateArguments& a)
{
    command.add_option("FILE", a.method, "method file (.tym)")->required();
    command.add_option("--project", a.project, "project directory (.PRO)")->required();
}
} // namespace

void addMethodCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* method = tessaly.add_subcommand("method", "optimisation method files (.tym)");

    CLI::App* command = method->add_subcommand("show", "prints the method's 50 keys as the engine writes them");
    auto file = std::make_shared<std::string>();
    command->add_option("FILE", *file, "method file")->required();
    onParsed(*command, action, [file](std::ostream& out) { return show(*file, out); });

    command = method->add_subcommand("set", "changes keys through the options record and saves the method");
    auto s = std::make_shared<SetArguments>();
    command->add_option("FILE", s->file, "method file")->required();
    command->add_option("KEY=VALUE", s->keyValues, "a key and its new value, e.g. \"Cone Voltage Step=3\"")->required();
    onParsed(*command, action, [s](std::ostream& out) { return set(*s, out); });

    command = method->add_subcommand(
        "validate", "checks the method and its run options against the project; prints the findings and exits 0 "
                    "when valid (warnings only), 1 on errors, 2 when a value lies outside the range a run can use");
    auto v = std::make_shared<ValidateArguments>();
    addMethodAndProject(*command, *v);
    addRunOptions(*command, v->run);
    onParsed(*command, action, [v](std::ostream& out) { return validate(*v, out); });

    command = method->add_subcommand("move", "rewrites the method's tune, quan and LC method paths into the project");
    auto m = std::make_shared<ValidateArguments>();
    addMethodAndProject(*command, *m);
    onParsed(*command, action, [m](std::ostream& out) { return move(*m, out); });
}
} // namespace tessaly
