// Reads the dynamic symbol table of an ELF shared library: the names another module can link to.
#pragma once

#include <set>
#include <string>

namespace tests
{
/// The defined, globally visible symbols of the dynamic symbol table of the 64-bit ELF file at
/// path, as their mangled names. Throws std::runtime_error with the reason when the file cannot
/// be read or is not a 64-bit ELF file.
std::set<std::string> definedDynamicSymbols(const std::string& path);

/// The demangled form of a C++ symbol name; other names are returned as they are.
std::string demangle(const std::string& name);
} // namespace tests
