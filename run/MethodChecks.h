// The driver's checks of a method before it is used: its numbers within the ranges in which a run
// means something, and whether the file holds a method at all. method validate, optimise and run
// share them, so a method one of them refuses the others refuse too.
#pragma once

#include <string>
#include <vector>

class CBrenmoOptions;

namespace tessaly
{
/// The method values of options that a run would use outside the range in which they mean
/// something, one finding each: a value that is not finite; a cone voltage or collision energy
/// below 0 or above 200; a ramp step below 0 (0 is legal: that ramp is not optimised and its start
/// is used); a ramp whose step is above 0 and whose start is above its end; an injection volume
/// below 0; a cycle or dwell time not above 0, an inter-mode time below 0; a polarity ("Ion Mode
/// Options") other than 0, 1 or 2 and an "MSMS" other than 0 or 1. Each finding is one line
/// without a line end that names methodName, the key, its value and what was expected, e.g.
/// `Demo.tym: "Cone Voltage Step" is -5, below 0`: the values' in the method file's key order,
/// then the ramps'. A ramp with a value already refused gets no ramp finding. Empty when every
/// value is in range.
std::vector<std::string> checkMethodRanges(const CBrenmoOptions& options, const std::string& methodName);

/// True when the method file at hostMethod (a host path) gives none of the method's keys a value,
/// so that reading it gives the defaults throughout: an empty or missing file, binary data, a web
/// page, another program's INI file, a method section whose keys are all empty. A file the
/// driver may not read also holds none; callers refuse that first (requireReadableFile).
bool holdsNoMethodKey(const std::string& hostMethod);

/// The finding about a method file that holds none of the method's keys:
/// "NAME: holds none of the method's keys".
std::string noMethodKeyFinding(const std::string& methodName);

/// Throws BadInput, with one line, unless the method read from hostMethod into options can be run:
/// the file holds none of the method's keys (noMethodKeyFinding), or values lie outside their
/// ranges (checkMethodRanges' findings joined by "; "). What a run and an optimisation step call
/// once the method is read.
void requireUsableMethod(const std::string& hostMethod, const CBrenmoOptions& options, const std::string& methodName);
} // namespace tessaly
