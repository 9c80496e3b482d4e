// tessaly, the command-line host driver: what its main() runs, as a library the tests call too.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tessaly
{
/// Exit statuses of the driver.
enum ExitStatus
{
    kOk = 0,
    kFailed = 1,   // the command ran and reports failure (a check failed, a file could not be written)
    kBadInput = 2, // the command line or an input file is not acceptable; nothing was written
};

/// Runs the driver with the arguments after the program name, writing results to out and one-line
/// errors to err. Installs the Kelvane host stand-in on the data directory the arguments or the
/// environment choose. Never throws.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
} // namespace tessaly
