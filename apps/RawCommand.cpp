// tessaly raw ...: what a raw-data directory holds, as the host's raw-data library reads it.
#include "apps/Commands.h"
#include "instrument/RawData.h"
#include "platform/WinPath.h"

#include <memory>
#include <sstream>

namespace tessaly
{
namespace
{
std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

// One line per function: its number, scan count, scan type and the setting that an optimisation
// ramps over it (the cone voltage of a full-scan function, the collision energy of a product-ion
// one), taken from its first scan.
int show(const std::string& raw, std::ostream& out)
{
    requireDirectory(raw);
    const std::string posix = platform::toPosixPath(asHostPath(raw));
    instrument::RawData data;
    std::string error;
    if (!instrument::readRawData(posix, data, error))
        throw BadInput(error);
    out << "Function\tScans\tType\tCone Voltage\tCollision Energy\n";
    for (const instrument::RawFunction& function : data.functions)
    {
        if (function.scans.empty())
            continue;
        const instrument::RawScan& first = function.scans.front();
        const bool product = first.msLevel > 1;
        out << function.number << '\t' << function.scans.size() << '\t' << (product ? "MS/MS" : "MS") << '\t'
            << (product ? "-" : number(first.coneVoltage)) << '\t'
            << (product ? number(first.collisionEnergy) : "-") << '\n';
    }
    return kOk;
}
} // namespace

void addRawCommand(CLI::App& tessaly, Action& action)
{
    CLI::App* raw = tessaly.add_subcommand("raw", "raw data (NAME.RAW directories of mzML)");
    CLI::App* command =
        raw->add_subcommand("show", "lists the functions of raw data: scans, type, and cone voltage or collision energy");
    auto shown = std::make_shared<std::string>();
    command->add_option("RAW", *shown, "raw-data directory (NAME.RAW)")->required();
    onParsed(*command, action, [shown](std::ostream& out) { return show(*shown, out); });
}
} // namespace tessaly
