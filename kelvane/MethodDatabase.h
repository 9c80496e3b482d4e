// The check of a method database file as a whole, beyond the records the host's method calls
// read: what the driver reports before it shows a method, so a damaged file is never shown as sound.
#pragma once

#include "host/host.h"

#include <string>

namespace kelvane
{
/// What is wrong with the method database at posixPath, as words to follow "FILE: ", e.g. "the
/// header counts 0 records but 2 are stored"; empty when it is sound. Sound means: SQLite finds
/// the file whole, the header holds one record count from 0 up, the records are numbered 1, 2, ...
/// without a gap, each a BLOB of a method record's size, and the count is not below the records
/// stored (it may be above them: stage-1 and final methods count records they do not hold). A file
/// that does not open or is not a method database of this host gives "not a method database".
/// Nothing in the file is changed.
HOST_API std::string methodDatabaseFault(const std::string& posixPath);
} // namespace kelvane
