// _splitpath: the C runtime's split of a Windows path into drive, directory, name and extension.
#pragma once

#include "platform/Export.h"

constexpr int _MAX_DRIVE = 3;
constexpr int _MAX_DIR = 256;
constexpr int _MAX_FNAME = 256;
constexpr int _MAX_EXT = 256;

/// Splits path into its drive ("C:"), directory (up to and including the last '\' or '/'),
/// file name and extension (from the last '.' of the name, dot included). Any output pointer may
/// be null. Each part is cut to its buffer size (_MAX_DRIVE, _MAX_DIR, _MAX_FNAME, _MAX_EXT)
/// including the terminator, so the outputs are never written past.
extern "C" PLATFORM_API void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
