// Internal form of the host-path mapping for the platform stand-ins that go on to use the file:
// it hands back the status of the resolved path, which the mapping has often just asked for, so
// that a profile read costs one system call when nothing changed.
#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>

namespace platform::detail
{
/// As platform::toPosixPath; when the resolved path exists (following symbolic links) its status
/// is stored in *status and true is put in *exists, else *exists is false.
std::string resolveHostPath(std::string_view hostPath, struct stat* status, bool* exists);
} // namespace platform::detail
