// Checks libbrenmo.so's dynamic symbol table against the list of names the host links to.
#include "tests/DynamicSymbols.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace
{
// Every name of the list is exported: a line "C name" undecorated, exactly as spelled, any other
// line as a demangled name. No helper of a detail namespace is; the standard library's own
// std::__detail templates, which instances over our types may carry, are not ours to judge.
TEST(ExportedSymbols, EveryInterfaceNameIsExportedAndInternalHelpersStayHidden)
{
    const std::set<std::string> raw = tests::definedDynamicSymbols(BRENMO_LIBRARY);
    std::set<std::string> demangled;
    for (const auto& name : raw)
        demangled.insert(tests::demangle(name));

    std::ifstream in(EXPECTED_SYMBOLS);
    int names = 0;
    for (std::string line; std::getline(in, line);)
    {
        if (line.empty() || line[0] == '#')
            continue;
        ++names;
        const bool plainC = line.rfind("C ", 0) == 0;
        EXPECT_TRUE(plainC ? raw.count(line.substr(2)) : demangled.count(line))
            << line << (plainC ? " is not exported as an undecorated name" : " is not exported");
    }
    EXPECT_GT(names, 0) << "no names read from " << EXPECTED_SYMBOLS;

    for (const auto& name : demangled)
        for (auto at = name.find("detail::"); at != std::string::npos; at = name.find("detail::", at + 1))
            EXPECT_TRUE(at > 0 && name[at - 1] == '_') << name << " is an internal helper but is exported";
}
} // namespace
