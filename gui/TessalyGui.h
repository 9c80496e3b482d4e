// tessaly-gui: the method editor and the run wizard as real windows on the Kelvane host stand-in,
// as a library that its main() and the tests call. The wizard's Finish prints the chosen run as a
// tessaly run command line, so the command-line driver can run it.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class CBrenmoOptions;

namespace gui
{
/// Runs tessaly-gui with the arguments after the program name: "[--data-dir D] edit [FILE]" shows
/// the method editor (exit 0 when it ends with the method saved or unchanged, 1 when changes were
/// declined or could not be written); "[--data-dir D] wizard [--method F] [run options]" shows the
/// run wizard with those choices, and on Finish prints the run on out (exit 0), on Cancel nothing
/// (exit 1). Bad arguments exit 2. Uses the QApplication that exists, or makes one. Errors and
/// notes go to err, one line each. Never throws.
int runTessalyGui(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The tessaly run command line for the run options of options, with the flags tessaly run takes
/// and POSIX paths, each word quoted for a POSIX shell where it needs it. A non-empty
/// dataDirectory is passed on with --data-dir.
std::string runCommandLine(const CBrenmoOptions& options, const std::string& dataDirectory);

/// The choices of options that tessaly run has no option for and would not make as chosen, one
/// sentence each; empty when the command line says everything.
std::vector<std::string> choicesRunCannotTake(const CBrenmoOptions& options);

/// text as one word of a POSIX shell: as it is when it holds only characters no shell treats
/// specially, else in single quotes (a quote inside written '\'').
std::string shellQuoted(std::string_view text);
} // namespace gui
