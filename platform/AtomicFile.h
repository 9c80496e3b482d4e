// Replacing a file whole without ever leaving a truncated one: the profile writer, the results
// log and the benchmarks write through this, so a crash or a full disk leaves the old or the new file.
#pragma once

#include "platform/Export.h"

#include <string>
#include <string_view>

namespace platform
{
/// Replaces (or creates) the file at posixPath with content, as the caller's own write would:
/// a file the caller may not write is refused and left untouched, whatever its folder allows.
/// Normally it writes a temporary file in the same folder, flushes it to disk and renames it over
/// the file, so that readers and a crash see either the old or the new content; temporaries that
/// earlier, killed writers left for this file are removed first. When the folder may not be
/// written, or the new file could not get the old one's owner and group, a file the caller may
/// write is instead rewritten in place (same inode, cut to the new length, flushed): that cannot
/// survive a crash half-way, but a full disk is found before anything is changed where the file
/// system can reserve the space. A replaced file keeps its owner, group and permission bits; a new
/// one gets those of a freshly created file (0666 less the umask). A symbolic link is followed and
/// its target replaced. Returns false, with no temporary file left, when any step fails (missing
/// or unwritable folder, full disk, a directory at posixPath); errno then says why, EACCES
/// whenever the caller may not write the file or create it in its folder.
PLATFORM_API bool writeFileAtomically(const std::string& posixPath, std::string_view content);
} // namespace platform
