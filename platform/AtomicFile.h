// Replacing a file whole without ever leaving a truncated one: the profile writer, the results
// log and the benchmarks write through this, so a crash or a full disk leaves the old or the new file.
#pragma once

#include "platform/Export.h"

#include <string>
#include <string_view>

namespace platform
{
/// Replaces (or creates) the file at posixPath with content: writes a temporary file in the same
/// directory, flushes it to disk and renames it over the file, so that readers and a crash see
/// either the old or the new content. A replaced file keeps its permission bits; a new one gets
/// those of a freshly created file (0666 less the umask). A symbolic link is followed and its
/// target replaced. Returns false, with the old file untouched and no temporary file left, when
/// any step fails (missing or unwritable directory, full disk, a directory at posixPath).
PLATFORM_API bool writeFileAtomically(const std::string& posixPath, std::string_view content);
} // namespace platform
