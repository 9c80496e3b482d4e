// tessaly methoddb ... and tessaly tune ...: quan method databases and the simulated instrument's
// tune, as the host sees them.
#include "apps/Commands.h"
#include "kelvane/KelvaneHost.h"
#include "method/BrenmoOptions.h"
#include "methodgen/Stage1QuanMethod.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tessaly
{
namespace
{
kelvane::KelvaneHost& standIn()
{
    auto* host = dynamic_cast<kelvane::KelvaneHost*>(&host::Current());
    if (!host)
        throw Failure("the Kelvane host is not installed");
    return *host;
}

std::string fixed(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Prints every record of the method database at posixPath, one tab-separated line each.
void printMethodDatabase(const std::string& posixPath, std::ostream& out)
{
    tag_HXFILE name;
    if (!ConvertPathToHxFile(&name, platform::toHostPath(posixPath).c_str()))
        throw BadInput(posixPath + ": path too long for the host");
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    descriptor.SetName(name);
    if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
        throw Failure(posixPath + ": not a method database");
    const int count = descriptor.RecordCount();
    out << "Record\tCompound\tFunction\tMass\tExpected Time\tWindow\tRange Start\tRange End\tUse Reference"
           "\tReference Record\n";
    for (int i = 1; i <= count; ++i)
    {
        tag_METHOD_RECORD r;
        if (!MethodGetRecord(&name, i, &r))
        {
            DmDB3Close(&descriptor);
            throw Failure(posixPath + ": record " + std::to_string(i) + " cannot be read");
        }
        out << i << '\t' << r.CompoundName().str() << '\t' << r.FunctionNumber() << '\t' << r.MassText().str() << '\t'
            << fixed(r.ExpectedTime()) << '\t' << fixed(r.TimeWindow()) << '\t' << fixed(r.RangeStart()) << '\t'
            << fixed(r.RangeEnd()) << '\t' << r.UseReference() << '\t' << r.ReferenceRecord() << '\n';
    }
    DmDB3Close(&descriptor);
}

int parseInt(const std::string& option, const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < -1000000 || value > 1000000)
        throw BadInput(option + " is \"" + text + "\", expected a whole number");
    return static_cast<int>(value);
}

float parseSpan(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0.0 || value > 1e6)
        throw BadInput("--span is \"" + text + "\", expected a time span above 0");
    return static_cast<float>(value);
}

void printTune(const std::string& hostPath, const kelvane::TuneSettings& tune, std::ostream& out)
{
    out << "Tune File=" << hostPath << '\n' << kelvane::formatTune(tune);
}
} // namespace

int methodDbShow(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 1)
        throw BadInput("methoddb show takes one method database");
    requireFile(args[0]);
    printMethodDatabase(args[0], out);
    return kOk;
}

int methodDbStage1(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.empty())
        throw BadInput("methoddb stage1 takes a method database and --mass TEXT --steps N --span W");
    std::string mass, templatePath;
    int steps = 0;
    float span = 0.0f;
    bool haveMass = false, haveSteps = false, haveSpan = false;
    for (std::size_t i = 1; i < args.size(); i += 2)
    {
        if (i + 1 >= args.size())
            throw BadInput(args[i] + " needs a value");
        const std::string& value = args[i + 1];
        if (args[i] == "--mass")
            mass = value, haveMass = true;
        else if (args[i] == "--steps")
            steps = parseInt("--steps", value), haveSteps = true;
        else if (args[i] == "--span")
            span = parseSpan(value), haveSpan = true;
        else if (args[i] == "--template")
            templatePath = value;
        else
            throw BadInput("unknown option \"" + args[i] + "\" of methoddb stage1");
    }
    if (!haveMass || !haveSteps || !haveSpan)
        throw BadInput("methoddb stage1 needs --mass, --steps and --span");
    if (mass.empty() || mass.size() > 80)
        throw BadInput("--mass must be 1 to 80 characters");
    if (!templatePath.empty())
        requireFile(templatePath);

    CBrenmoOptions options;
    options.m_pInstrument = &standIn().instrument();
    options.m_fStage1QuanValue = span;
    const CString database(platform::toHostPath(args[0]));
    const CString templateHost(templatePath.empty() ? std::string() : platform::toHostPath(templatePath));
    if (!CreateStage1QuanMethod(database, mass.c_str(), 1, options, templateHost, steps))
        throw Failure(args[0] + ": the stage-1 quan method could not be written");
    printMethodDatabase(args[0], out);
    return kOk;
}

int tuneShow(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() > 1)
        throw BadInput("tune show takes at most one tune file");
    if (args.empty())
    {
        // The tune the simulated instrument holds.
        const kelvane::SimulatedInstrument& instrument = standIn().instrument();
        if (!instrument.Tune())
        {
            out << "No tune is loaded\n";
            return kOk;
        }
        printTune(instrument.TunePath(), *instrument.Tune(), out);
        return kOk;
    }
    requireFile(args[0]);
    std::string error;
    const std::string hostPath = platform::toHostPath(args[0]);
    const auto tune = kelvane::readTuneFile(hostPath, &error);
    if (!tune)
        throw BadInput(error);
    printTune(hostPath, *tune, out);
    return kOk;
}

int tuneLoad(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.size() != 1)
        throw BadInput("tune load takes one tune file");
    requireFile(args[0]);
    const std::string hostPath = platform::toHostPath(args[0]);
    std::string error;
    if (!kelvane::readTuneFile(hostPath, &error))
        throw BadInput(error);
    kelvane::SimulatedInstrument& instrument = standIn().instrument();
    if (!instrument.LoadTune(0, hostPath.c_str(), 0) || !instrument.Tune())
        throw Failure(args[0] + ": the instrument did not load the tune");
    printTune(instrument.TunePath(), *instrument.Tune(), out);
    return kOk;
}
} // namespace tessaly
