// The mapping of the Windows file namespace onto the POSIX file system, shared by the platform
// stand-ins and the host stand-in: Z:\ is the POSIX root, C:\ the host's data directory, and
// existing components are found whatever their letter case.
#pragma once

#include "platform/Export.h"

#include <string>
#include <string_view>

namespace platform
{
/// Sets the POSIX directory that C:\ names; a relative directory is taken against the current
/// directory. It is created (with its parents) when missing; failure to create it is not reported
/// here but shows as failing file operations later.
PLATFORM_API void setDataDirectory(const std::string& posixDirectory);

/// The POSIX directory that C:\ names, absolute and without a trailing slash: the one set, or by
/// default $HOME/.local/share/kelvane, which is created at the first call when missing.
PLATFORM_API std::string dataDirectory();

/// The POSIX path of a host path. Both separators are accepted; "Z:" maps to "/", "C:" to the data
/// directory, other drive letters (either case) to "<data directory>/drives/<letter in lower case>".
/// A path that starts with a separator but has no drive is taken from the POSIX root, so POSIX
/// paths pass through; any other path without a drive is relative to the current directory.
/// Each existing component is matched without regard to case (an exact match wins; among other
/// matches the first in byte order); the first component that does not exist, and all after it,
/// are kept as spelled. "." and ".." are resolved textually and never climb above a drive's root.
/// A trailing separator is kept, except on a drive's root, which maps to its directory itself.
/// Text after a zero byte is ignored. Returns the empty string for an empty path.
PLATFORM_API std::string toPosixPath(std::string_view hostPath);

/// The host path of a POSIX path: an absolute path under the data directory becomes C:\..., any
/// other absolute path Z:\...; a relative path is made absolute against the current directory.
/// "." and ".." are resolved textually; a trailing slash is kept as a trailing backslash. Returns
/// the empty string for an empty path.
PLATFORM_API std::string toHostPath(std::string_view posixPath);

/// The host's temporary directory in host form, ending with a backslash as the platform's
/// temporary-path query returns it: the one set with setTemporaryDirectory, else the POSIX
/// temporary directory ($TMPDIR when it names an existing directory, else /tmp).
PLATFORM_API std::string hostTemporaryDirectory();

/// Makes posixDirectory (a relative one is taken against the current directory) the host's
/// temporary directory from now on, so that a run can keep its temporaries in a private folder;
/// the empty text goes back to the POSIX temporary directory. The directory is not created.
PLATFORM_API void setTemporaryDirectory(const std::string& posixDirectory);
} // namespace platform
