#include "apps/Commands.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>

namespace tessaly
{
void onParsed(CLI::App& command, Action& action, Action run)
{
    command.callback([&action, run = std::move(run)] { action = run; });
}

CLI::Validator wholeNumber(long min, long max, const std::string& what)
{
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            char* end = nullptr;
            errno = 0;
            const long value = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || errno != 0 || value < min || value > max)
                return "\"" + text + "\" is not " + what;
            return "";
        },
        "");
}

void addRunOptions(CLI::App& command, RunOptions& o)
{
    command.add_option("--compounds", o.compounds, "compound list");
    command.add_option("--analysis", o.analysis, "analysis list");
    command.add_flag("--no-analysis", o.noAnalysis, "optimise only, no acquisition and quantitation");
    command.add_flag("--auto-quantify", o.autoQuantify, "integrate, calibrate and quantify");
    command.add_option("--calibration", o.calibration, "quan calibration name");
    command.add_option("--base-quan-method", o.baseQuanMethod, "base quan method");
    command.add_flag("--export-lims", o.exportLims, "export the results to LIMS");
    command.add_flag("--concatenate-group", o.concatenateGroup, "export per group to a base name");
    command.add_option("--lims-file", o.limsFile, "LIMS export file");
    // Given empty is not the same as not given: the callbacks record that each was given.
    command.add_option_function<std::string>(
        "--pre-run", [&o](const std::string& process) { o.preRunProcess = process, o.preRunGiven = true; },
        "process run before the run");
    command.add_option_function<std::string>(
        "--post-run", [&o](const std::string& process) { o.postRunProcess = process, o.postRunGiven = true; },
        "process run after the run");
    command.add_flag("--unattended", o.unattended, "run unattended");
}

namespace
{
std::ostream* commandErrors = &std::cerr;
}

std::ostream& errorStream()
{
    return *commandErrors;
}

void setErrorStream(std::ostream& err)
{
    commandErrors = &err;
}
} // namespace tessaly
