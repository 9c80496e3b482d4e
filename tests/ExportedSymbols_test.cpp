// Checks libbrenmo.so's dynamic symbol table against the list of names the host links to.
#include "tests/DynamicSymbols.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
struct Expected
{
    std::string name;
    bool plainC; // must appear undecorated, exactly as spelled
};

std::vector<Expected> readExpected(const std::string& path)
{
    std::ifstream in(path);
    std::vector<Expected> names;
    const std::string cPrefix = "C ";
    for (std::string line; std::getline(in, line);)
    {
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind(cPrefix, 0) == 0)
            names.push_back({line.substr(cPrefix.size()), true});
        else
            names.push_back({line, false});
    }
    return names;
}

class ExportedSymbols : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        raw_ = tests::definedDynamicSymbols(BRENMO_LIBRARY);
        for (const auto& name : raw_)
            demangled_.insert(tests::demangle(name));
        expected_ = readExpected(EXPECTED_SYMBOLS);
        ASSERT_FALSE(expected_.empty()) << "no names read from " << EXPECTED_SYMBOLS;
    }

    std::set<std::string> raw_;
    std::set<std::string> demangled_;
    std::vector<Expected> expected_;
};

TEST_F(ExportedSymbols, EveryInterfaceNameIsExported)
{
    for (const auto& e : expected_)
    {
        if (e.plainC)
        {
            EXPECT_TRUE(raw_.count(e.name)) << e.name << " is not exported as an undecorated name";
        }
        else
        {
            EXPECT_TRUE(demangled_.count(e.name)) << e.name << " is not exported";
        }
    }
}

TEST_F(ExportedSymbols, InternalHelpersStayHidden)
{
    // Helpers of the engine's subsystems live in detail namespaces; the standard library's own
    // std::__detail templates, which instances over our types may carry, are not ours to judge.
    for (const auto& name : demangled_)
    {
        for (auto at = name.find("detail::"); at != std::string::npos; at = name.find("detail::", at + 1))
        {
            EXPECT_TRUE(at > 0 && name[at - 1] == '_') << name << " is an internal helper but is exported";
        }
    }
}
} // namespace
