// The temporaries of writers that publish a file by rename: one naming for every such writer, so
// that a later writer can tell the leftovers of a killed one and remove them.
#pragma once

#include "platform/Export.h"

#include <string>
#include <string_view>

namespace platform
{
/// A temporary's name for the file named name (no folder): ".NAME.tmpPID_COUNTER_ATTEMPT",
/// hidden, unique within the process by a counter and across processes by the process id. Long
/// names are cut so that the suffix still fits in the file system's 255-byte name limit.
PLATFORM_API std::string temporaryName(std::string_view name, unsigned attempt);

/// Removes, from the folder open as the descriptor folder, the temporaries of the file named name
/// whose writer no longer runs. A running writer's temporary, anything not named exactly as a
/// temporary and anything but a regular file are left alone. A writer this process cannot see
/// (another machine, another PID namespace) may lose its temporary: its rename then fails and it
/// reports the failure, and no file is damaged.
PLATFORM_API void removeDeadTemporaries(int folder, std::string_view name);
} // namespace platform
