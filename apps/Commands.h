// What the driver's commands share: their signature, the two ways a command fails, and small
// helpers for files. Each group of commands lives in its own file and is listed in Tessaly.cpp.
#pragma once

#include "apps/Tessaly.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaly
{
/// A command: its arguments (after the command words) and the stream for its results. It returns
/// the exit status, or throws BadInput or Failure.
using Command = int (*)(const std::vector<std::string>& args, std::ostream& out);

/// Input the driver refuses: a one-line message and exit status 2, before anything is written.
struct BadInput : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// A command that ran but could not finish: a one-line message and exit status 1.
struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// Throws BadInput unless path names an existing regular file.
void requireFile(const std::string& path);

/// A scratch directory that is removed with everything in it when it goes out of scope.
class ScratchDirectory
{
  public:
    /// Creates the directory in the POSIX temporary directory; throws Failure when it cannot.
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::filesystem::path operator/(const char* name) const
    {
        return path_ / name;
    }

  private:
    std::filesystem::path path_;
};

// The commands, by group.
int methodShow(const std::vector<std::string>& args, std::ostream& out);
int methodSet(const std::vector<std::string>& args, std::ostream& out);
int methodValidate(const std::vector<std::string>& args, std::ostream& out);
int methodMove(const std::vector<std::string>& args, std::ostream& out);
int groups(const std::vector<std::string>& args, std::ostream& out);
int quan(const std::vector<std::string>& args, std::ostream& out);
int sampleListConvert(const std::vector<std::string>& args, std::ostream& out);
int methodDbShow(const std::vector<std::string>& args, std::ostream& out);
int methodDbStage1(const std::vector<std::string>& args, std::ostream& out);
int tuneShow(const std::vector<std::string>& args, std::ostream& out);
int tuneLoad(const std::vector<std::string>& args, std::ostream& out);
} // namespace tessaly
