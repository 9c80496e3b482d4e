// Runs part of a test as an ordinary user. Permission bits do not bind root, and CI runs as root,
// so a test of what a user may not read or write runs that part in a forked child that switches
// to "nobody" when the test runs as root, and as the test's own user otherwise.
#pragma once

#include <functional>
#include <string>

namespace testkit
{
/// Runs body in a forked child, as "nobody" when the caller is root. Returns body's result (its
/// exit status, so keep it within 0..255), or -1 when the child could not switch user or died.
int runUnprivileged(const std::function<int()>& body);

/// Makes path and every folder above it up to "/" searchable by everyone, so the unprivileged
/// child can reach files in a test's private temporary directory.
void openToEveryone(const std::string& path);
} // namespace testkit
