// tessaly export transitions: the optimised compounds of a results table as a transition list.
#include "apps/Commands.h"
#include "run/TransitionList.h"

#include <memory>

namespace tessaly
{
void addExportCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* exporter = tessaly.add_subcommand("export", "results in the formats other tools read");
    CLI::App* command = exporter->add_subcommand(
        "transitions", "writes the ok compounds of a results table as a small-molecule transition list (CSV)");
    auto a = std::make_shared<TransitionExport>();
    command->add_option("OUT", a->out, "the transition list to write (.csv)")->required();
    command->add_option("--compounds", a->compounds, "the results table of the optimised compounds (.tsv)")->required();
    command->add_option("--list", a->list, "the compound list, whose masses name each precursor's adduct");
    command
        ->add_option("--final", a->finals,
                     "a group's final quan method (.mdb): its compounds form one list named after the file, "
                     "with their expected times once the method is narrowed (may be given more than once)")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    onParsed(*command, action, [a](std::ostream& out) {
        const std::size_t transitions = writeTransitionList(*a);
        out << "wrote " << a->out << " (" << transitions << (transitions == 1 ? " transition)" : " transitions)")
            << '\n';
        return kOk;
    });
}
} // namespace tessaly
