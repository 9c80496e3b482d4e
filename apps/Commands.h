// What the driver's commands share: how a command registers with the parser, checks of option
// texts, and where a command reports. Each command lives in its own file.
#pragma once

#include "apps/Tessaly.h"
#include "run/Errors.h"
#include "run/Inputs.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaly
{
/// The work of the command given: run once the whole command line has parsed and the host is
/// installed. It returns the exit status, or throws BadInput or Failure.
using Action = std::function<int(std::ostream& out)>;

/// Adds one top-level command (and its subcommands) to the parser; the callback of the command
/// given sets action.
using AddCommand = void (*)(CLI::App& tessaly, Action& action);

void addMethodCommand(CLI::App& tessaly, Action& action);
void addGroupsCommand(CLI::App& tessaly, Action& action);
void addQuanCommand(CLI::App& tessaly, Action& action);
void addSampleListCommand(CLI::App& tessaly, Action& action);
void addMethodDbCommand(CLI::App& tessaly, Action& action);
void addTuneCommand(CLI::App& tessaly, Action& action);
void addMassCommand(CLI::App& tessaly, Action& action);
void addRawCommand(CLI::App& tessaly, Action& action);
void addOptimiseCommand(CLI::App& tessaly, Action& action);
void addFinalCommand(CLI::App& tessaly, Action& action);
void addRunCommand(CLI::App& tessaly, Action& action);
void addExportCommand(CLI::App& tessaly, Action& action);

/// Makes run the action once command has parsed. Nothing runs while the line is still being
/// parsed, so a later parse error leaves everything untouched.
void onParsed(CLI::App& command, Action& action, Action run);

/// A check of an option's text: a whole number from min to max. Its message quotes the text and
/// names what was expected, e.g. "\"two\" is not a whole number".
CLI::Validator wholeNumber(long min, long max, const std::string& what = "a whole number");

/// A check of an option's text: a time span, a finite number above 0 and at most 1000000.
CLI::Validator timeSpan();

/// Prints every record of the method database at posixPath, one tab-separated line each after a
/// header line; when the records use a reference compound, a last line "Reference compound: NAME
/// (record R)" names the record that uses it and points to none. Throws BadInput when there is no
/// such file, Failure when it is not a method database, when it is damaged (a header count
/// below the records stored, a gap in the records, a record of the wrong size, a page SQLite finds
/// broken) or when a record cannot be read.
int showMethodDatabase(const std::string& posixPath, std::ostream& out);

/// Adds the run options to command.
void addRunOptions(CLI::App& command, RunOptions& o);

/// Where a command shows progress and warnings: the driver's error stream while a command runs.
std::ostream& errorStream();
/// Makes err the error stream of the command about to run.
void setErrorStream(std::ostream& err);

} // namespace tessaly
