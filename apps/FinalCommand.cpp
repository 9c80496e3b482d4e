// tessaly final: the final quan method of one sample group from the results table of an earlier run.
#include "apps/Commands.h"
#include "run/FinalMethod.h"

#include <climits>
#include <memory>

namespace tessaly
{
void addFinalCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* command = tessaly.add_subcommand(
        "final", "writes the final quan method of one sample group of LIST from a results table and prints it");
    auto a = std::make_shared<FinalMethodRequest>();
    command->add_option("--method", a->method, "the optimisation method (.tym)")->required();
    command->add_option("--analysis", a->analysis, "the analysis list (.csv, .txt, .spl, .olb, .sdb)")->required();
    command->add_option("--group", a->group, "the sample group, from 1 (tessaly groups LIST lists them)")
        ->required()
        ->check(wholeNumber(INT_MIN, INT_MAX));
    command->add_option("--compounds", a->compounds, "the results table of the optimised compounds (.tsv)")->required();
    command->add_option("--base-quan-method", a->baseQuanMethod,
                        "base quan method (default: the project's MethDB/LIST.mdb); the group's label is added to "
                        "its name");
    command
        ->add_option("--span", a->span,
                     "time span of every record, minutes (default: the run time of the stage-2 LC method)")
        ->check(timeSpan());
    onParsed(*command, action, [a](std::ostream& out) {
        const FinalMethodWritten written = writeFinalMethod(*a);
        out << "wrote " << written.path << '\n';
        showMethodDatabase(written.path, out);
        out << written.unmatched;
        return kOk;
    });
}
} // namespace tessaly
