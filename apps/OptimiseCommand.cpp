// tessaly optimise parent|daughter: one optimisation step on an injection acquired earlier.
#include "apps/Commands.h"
#include "method/IonMode.h"
#include "run/OptimiseStep.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tessaly
{
namespace
{
void printRecord(const tag_SCAN_PARAMS& p, std::ostream& out)
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "Ion Mode\t%s\nPolarity\t%s\nCone Voltage\t%d\nCollision Energy\t%d\nParent Mass\t%.4f\n"
                  "Daughter Mass\t%.4f\nResponse\t%.6g\nMax Function\t%d\n",
                  IONMODE2String(p.IonMode), IONMODEOPT2String(p.IonModeOpt), p.nConeVoltage, p.nCollisionEnergy,
                  p.dParentMass, p.dDaughterMass, static_cast<double>(p.fResponse), p.nMaxFunction);
    out << line;
}

CLI::Validator finiteNumber(const std::string& what)
{
    return CLI::Validator(
        [what](std::string& text) -> std::string {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0.0 || value > 1e6)
                return "\"" + text + "\" is not " + what;
            return "";
        },
        "");
}
} // namespace

void addOptimiseCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* steps = tessaly.add_subcommand("optimise", "one optimisation step on an injection acquired earlier");
    for (const bool daughter : {false, true})
    {
        CLI::App* command = steps->add_subcommand(
            daughter ? "daughter" : "parent",
            daughter ? "finds the daughter ion and collision energy of greatest response in NAME.RAW and prints the "
                       "compound's record"
                     : "finds the parent ion and cone voltage of greatest response in NAME.RAW and prints the "
                       "compound's record");
        auto o = std::make_shared<OptimiseStep>();
        o->daughter = daughter;
        command->add_option("RAW", o->raw, "the injection's raw data (a NAME.RAW directory)")->required();
        command->add_option("--method", o->method, "the optimisation method (.tym): ramps and adducts")->required();
        command->add_option("--mass", o->mass, "the compound's mass or formula")->required();
        command->add_option("--mode", o->mode, "ion source, ESP or APcI (default: the method's)")
            ->check(CLI::IsMember({"ESP", "APcI"}));
        command->add_option("--polarity", o->polarity, "+ or - (default: the method's)")
            ->check(CLI::IsMember({"+", "-"}));
        if (daughter)
        {
            command->add_option("--parent", o->parent, "the parent ion's m/z found by the parent step")
                ->required()
                ->check(finiteNumber("an m/z above 0"));
            command->add_option("--cone-voltage", o->coneVoltage, "the cone voltage found by the parent step")
                ->required()
                ->check(wholeNumber(0, 1000, "a cone voltage from 0 to 1000"));
        }
        onParsed(*command, action, [o](std::ostream& out) {
            const tag_SCAN_PARAMS params = optimiseStep(*o, errorStream());
            printRecord(params, out);
            if (params.nMaxFunction < 0)
                throw Failure(o->raw + (o->daughter ? ": no daughter ion found" : ": no parent ion found"));
            return kOk;
        });
    }
}
} // namespace tessaly
