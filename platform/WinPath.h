// The mapping of the Windows file namespace onto the POSIX file system, shared by the platform
// stand-ins and the host stand-in: Z:\ is the POSIX root, C:\ the host's data directory, and
// existing components are found whatever their letter case.
#pragma once

#include "platform/Export.h"

#include <string>
#include <string_view>

namespace platform
{
/// Sets the POSIX directory that C:\ names. It is created when missing.
PLATFORM_API void setDataDirectory(const std::string& posixDirectory);

/// The POSIX directory that C:\ names: the one set, or by default $HOME/.local/share/kelvane.
PLATFORM_API std::string dataDirectory();

/// The POSIX path of a host path. Both separators are accepted; "Z:" maps to "/", "C:" to the data
/// directory, other drive letters to "<data directory>/drives/<letter>". A path without a drive
/// is relative to the current directory. Each existing component is matched without regard to case
/// (an exact match wins); the first component that does not exist, and all after it, are kept as
/// spelled. "." and ".." are resolved textually. Returns the empty string for an empty path.
PLATFORM_API std::string toPosixPath(std::string_view hostPath);

/// The host path of a POSIX path: an absolute path under the data directory becomes C:\..., any
/// other absolute path Z:\...; a relative path is made absolute against the current directory.
PLATFORM_API std::string toHostPath(std::string_view posixPath);
} // namespace platform
