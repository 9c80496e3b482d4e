// tessaly mass TEXT...: the mass the engine takes for each compound-list mass text, a number or an
// elemental formula (its most abundant isotopic peak, from the host's isotope model).
#include "analysis/MassStrings.h"
#include "apps/Commands.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace tessaly
{
namespace
{
// One "TEXT<tab>MASS" line per text that has a mass; the texts without one are left out and the
// first of them named in the failure, after every other line has been printed.
int mass(const std::vector<std::string>& texts, std::ostream& out)
{
    const std::string* noMass = nullptr;
    for (const std::string& text : texts)
    {
        const double value = ConvertStringToMass(text.c_str());
        if (value == 0.0)
        {
            if (!noMass)
                noMass = &text;
            continue;
        }
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.3f", value);
        out << text << '\t' << printed << '\n';
    }
    if (noMass)
        throw Failure(*noMass + ": no mass");
    return kOk;
}
} // namespace

void addMassCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* command = tessaly.add_subcommand(
        "mass", "prints the mass of each TEXT (a number, or a formula's most abundant isotopic peak) "
                "with three decimals");
    auto texts = std::make_shared<std::vector<std::string>>();
    command->add_option("TEXT", *texts, "mass text: a number such as 301.2, or a formula such as C8H10N4O2")
        ->required();
    onParsed(*command, action, [texts](std::ostream& out) { return mass(*texts, out); });
}
} // namespace tessaly
