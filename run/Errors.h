// The ways a run, or any work on the user's files, fails: refused input, work that could not
// finish, and work stopped on request. The driver turns them into exit statuses.
#pragma once

#include <stdexcept>
#include <string>

namespace tessaly
{
/// Input refused: a one-line message and exit status 2, before anything is written.
struct BadInput : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// Work that began but could not finish: a one-line message and exit status 1.
struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// Work stopped on request (Ctrl-C, a hang-up, a termination, a closed pipe, a Stop button) after
/// it cleaned up: a one-line message; the driver exits 128 + signal, as a shell reports it.
struct Interrupted : Failure
{
    Interrupted(const std::string& message, int signal) : Failure(message), signal(signal)
    {
    }
    int signal;
};
} // namespace tessaly
