// tessaly optimise parent|daughter: one optimisation step on an injection acquired earlier, so a
// compound can be analysed again without acquiring it again.
#include "analysis/MassStrings.h"
#include "analysis/Optimise.h"
#include "apps/Commands.h"
#include "apps/MethodChecks.h"
#include "apps/WorkFolder.h"
#include "fileutil/FileUtil.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/RawData.h"
#include "method/IonMode.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace tessaly
{
namespace
{
struct OptimiseOptions
{
    bool daughter = false;
    std::string raw;
    std::string method;
    std::string mass;
    std::string mode;     // empty: the method's
    std::string polarity; // empty: the method's
    double parent = 0.0;
    int coneVoltage = 0;
};

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

int optimise(const OptimiseOptions& o, std::ostream& out)
{
    requireDirectory(o.raw);
    requireReadableFile(o.method);
    const std::string rawHost = asHostPath(o.raw);
    const std::string methodHost = asHostPath(o.method);
    CBrenmoOptions options;
    options = CTessalyOptionsSheet::OpenFile(methodHost.c_str());
    requireUsableMethod(methodHost, options, o.method);
    options.m_pInstrument = &standIn().instrument();
    options.m_bRunUnattended = 1;
    // The stage-1 method looks for the compound anywhere in the injection: from 0 to its last scan.
    kelvane::RawData data;
    std::string error;
    // The reason names the directory or the file in it already.
    if (!kelvane::readRawData(o.raw, data, error))
        throw BadInput(error);
    double lastScan = 0.0;
    for (const kelvane::RawFunction& function : data.functions)
        for (const kelvane::RawScan& scan : function.scans)
            lastScan = std::max(lastScan, scan.time);
    if (!(lastScan > 0.0))
        throw BadInput(o.raw + ": the injection has no scans after its start");
    options.m_fStage1QuanValue = static_cast<float>(lastScan);

    tag_SCAN_PARAMS params{};
    params.IonMode = String2IONMODE(o.mode.empty() ? options.m_strIonMode.GetString() : o.mode.c_str());
    params.IonModeOpt = o.polarity.empty() ? options.m_eIonModeOpt : String2IONMODEOPT(o.polarity.c_str());
    params.nLine = 1;
    const double base = ConvertStringToMass(o.mass.c_str());
    if (!(base > 0.0))
        throw BadInput("--mass: \"" + o.mass + "\" gives no mass");
    params.dParentMass = base;
    if (o.daughter)
    {
        // The daughter step takes the parent step's outcome from the record.
        params.dParentMass = o.parent;
        params.nConeVoltage = o.coneVoltage;
        params.nMaxFunction = 0;
    }

    // The step names its temporary method in the host's system list and makes temporaries, as a
    // run does: it takes the data directory as a run does and keeps them in a private folder.
    const std::string dataDirectory = platform::dataDirectory();
    const DataDirectoryLock lock(dataDirectory, false, nullptr);
    kelvane::SimulatedInstrument& instrument = standIn().instrument();
    const WorkFolder work(dataDirectory,
                          [&](const std::string& saved) { restoreSavedTune(instrument, saved, errorStream()); });
    // The host writes the step's peak database in a "PeakDB" folder beside the raw data's folder:
    // the injection is measured through a link in the private folder, so that folder is the one
    // beside the private folder's, not one beside wherever the user keeps the raw data.
    std::string name = rawHost;
    while (!name.empty() && name.back() == '\\')
        name.pop_back();
    const std::string linked = work.path() + "/tmp/" + name.substr(name.rfind('\\') + 1);
    std::error_code linking;
    std::filesystem::create_directory_symlink(platform::toPosixPath(name), linked, linking);
    if (linking)
        throw Failure(linked + ": the injection cannot be linked into the private folder: " + linking.message());
    const std::string measured = platform::toHostPath(linked);
    const OneRowList list(measured);
    const std::string listHost = list.hostPath();
    const int done = o.daughter ? GetMaxScanDaughter(measured.c_str(), params, options, listHost.c_str(), 1)
                                : GetMaxScanParent(measured.c_str(), params, options, listHost.c_str(), 1);
    // The temporary quan methods of the step go with it, as at the end of a run.
    DeleteTempFiles();
    if (!done)
    {
        const std::string& reason = kelvane::lastMeasureError();
        throw Failure(o.raw + ": the injection could not be measured: " +
                      (reason.empty() ? std::string("the host gave no reason") : reason));
    }
    printRecord(params, out);
    if (params.nMaxFunction < 0)
        throw Failure(o.raw + (o.daughter ? ": no daughter ion found" : ": no parent ion found"));
    return kOk;
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
        auto o = std::make_shared<OptimiseOptions>();
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
        onParsed(*command, action, [o](std::ostream& out) { return optimise(*o, out); });
    }
}
} // namespace tessaly
