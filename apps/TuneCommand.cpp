// tessaly tune ...: tune files, and the tune the simulated instrument holds.
#include "apps/Commands.h"
#include "kelvane/KelvaneHost.h"

#include <memory>

namespace tessaly
{
namespace
{
void printTune(const std::string& hostPath, const instrument::TuneSettings& tune, std::ostream& out)
{
    out << "Tune File=" << hostPath << '\n' << instrument::formatTune(tune);
}

// The tune file's settings; throws BadInput when it is missing or not a tune file.
instrument::TuneSettings readTune(const std::string& file, const std::string& hostPath)
{
    requireFile(file);
    std::string error;
    const auto tune = instrument::readTuneFile(hostPath, &error);
    if (!tune)
        throw BadInput(error);
    return *tune;
}

int show(const std::string& file, std::ostream& out)
{
    if (file.empty())
    {
        const instrument::SimulatedInstrument& instrument = standIn().instrument();
        if (!instrument.Tune())
            out << "No tune is loaded\n";
        else
            printTune(instrument.TunePath(), *instrument.Tune(), out);
        return kOk;
    }
    const std::string hostPath = asHostPath(file);
    printTune(hostPath, readTune(file, hostPath), out);
    return kOk;
}

int load(const std::string& file, std::ostream& out)
{
    const std::string hostPath = asHostPath(file);
    readTune(file, hostPath);
    instrument::SimulatedInstrument& instrument = standIn().instrument();
    if (!instrument.LoadTune(0, hostPath.c_str(), 0) || !instrument.Tune())
        throw Failure(file + ": the instrument did not load the tune");
    // Each run of the driver is a session of its own: a tune that is not recorded is gone at exit.
    if (!instrument.TuneRecorded())
        throw Failure(file + ": the tune was loaded but could not be recorded for later commands (" +
                      std::string(instrument::SimulatedInstrument::kConfigurationFile) + " cannot be written)");
    printTune(instrument.TunePath(), *instrument.Tune(), out);
    return kOk;
}
} // namespace

void addTuneCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* tune = tessaly.add_subcommand("tune", "tune files and the simulated instrument's tune");

    CLI::App* command = tune->add_subcommand("show", "shows a tune file, or without FILE the tune loaded");
    auto shown = std::make_shared<std::string>();
    command->add_option("FILE", *shown, "tune file");
    onParsed(*command, action, [shown](std::ostream& out) { return show(*shown, out); });

    command = tune->add_subcommand("load", "loads a tune file into the simulated instrument and shows it");
    auto loaded = std::make_shared<std::string>();
    command->add_option("FILE", *loaded, "tune file")->required();
    onParsed(*command, action, [loaded](std::ostream& out) { return load(*loaded, out); });
}
} // namespace tessaly
