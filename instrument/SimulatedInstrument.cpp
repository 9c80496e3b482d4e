#include "instrument/SimulatedInstrument.h"

#include "platform/Profile.h"
#include "platform/WinPath.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace instrument
{
namespace detail
{
constexpr const char* kTuneSection = "Tune";
constexpr const char* kInstrumentSection = "Instrument";
constexpr const char* kMassLimitKey = "Mass Limit";
constexpr const char* kCurrentTuneKey = "Current Tune";
// Stands for a key that is not in the file; '<' cannot start a value that the format accepts.
constexpr const char* kMissing = "<missing>";

struct NumberKey
{
    const char* key;
    double TuneSettings::*field;
};
constexpr NumberKey kNumberKeys[] = {
    {"Capillary kV", &TuneSettings::capillaryKv},
    {"Source Temperature", &TuneSettings::sourceTemperature},
    {"Desolvation Temperature", &TuneSettings::desolvationTemperature},
    {"Cone Gas Flow", &TuneSettings::coneGasFlow},
    {"Desolvation Gas Flow", &TuneSettings::desolvationGasFlow},
};

std::string fileLabel(const std::string& hostPath)
{
    const std::size_t cut = hostPath.find_last_of("\\/");
    return cut == std::string::npos ? hostPath : hostPath.substr(cut + 1);
}

bool fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

// The profile reader cannot tell a missing file from an empty one, so the file is checked here.
bool readable(const std::string& hostPath)
{
    const std::string posix = platform::toPosixPath(hostPath);
    std::error_code ec;
    if (posix.empty() || !std::filesystem::is_regular_file(posix, ec))
        return false;
    return std::ifstream(posix).good();
}

std::string value(const std::string& hostPath, const char* section, const char* key)
{
    // Longer than any tune value; a longer one is cut and then fails its check.
    char text[256] = {};
    GetPrivateProfileStringA(section, key, kMissing, text, sizeof text, hostPath.c_str());
    return text;
}

// How a value appears in a message: quoted, or "missing" for a key the file lacks.
std::string shown(const std::string& text)
{
    return text == kMissing ? std::string("missing") : "\"" + text + "\"";
}

bool parseNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

int parseMassLimit(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    // An instrument outside this range is not one the engine's mass checks were made for.
    if (text.empty() || *end != '\0' || errno != 0 || v < 100 || v > 100000)
        return SimulatedInstrument::kDefaultMassLimit;
    return static_cast<int>(v);
}
} // namespace detail

std::optional<TuneSettings> readTuneFile(const std::string& hostPath, std::string* error)
{
    try
    {
        const std::string label = detail::fileLabel(hostPath);
        if (hostPath.empty() || !detail::readable(hostPath))
        {
            detail::fail(error, (label.empty() ? std::string("(no file)") : label) + ": cannot read the tune file");
            return std::nullopt;
        }
        TuneSettings tune;
        tune.ionMode = detail::value(hostPath, detail::kTuneSection, "Ion Mode");
        if (tune.ionMode != "ESP" && tune.ionMode != "APcI")
        {
            detail::fail(error, label + ": \"Ion Mode\" is " + detail::shown(tune.ionMode) + ", expected ESP or APcI");
            return std::nullopt;
        }
        tune.polarity = detail::value(hostPath, detail::kTuneSection, "Polarity");
        if (tune.polarity != "+" && tune.polarity != "-")
        {
            detail::fail(error, label + ": \"Polarity\" is " + detail::shown(tune.polarity) + ", expected + or -");
            return std::nullopt;
        }
        for (const auto& number : detail::kNumberKeys)
        {
            const std::string text = detail::value(hostPath, detail::kTuneSection, number.key);
            if (!detail::parseNumber(text, tune.*number.field))
            {
                detail::fail(error,
                             label + ": \"" + number.key + "\" is " + detail::shown(text) + ", expected a number");
                return std::nullopt;
            }
        }
        return tune;
    }
    catch (...)
    {
        detail::fail(error, "cannot read the tune file");
        return std::nullopt;
    }
}

std::string formatTune(const TuneSettings& tune)
{
    std::string text = "Ion Mode=" + tune.ionMode + "\nPolarity=" + tune.polarity + "\n";
    for (const auto& number : detail::kNumberKeys)
    {
        char value[64];
        std::snprintf(value, sizeof value, "%g", tune.*number.field);
        text += std::string(number.key) + "=" + value + "\n";
    }
    return text;
}

SimulatedInstrument::SimulatedInstrument()
{
    const std::string current = detail::value(kConfigurationFile, detail::kTuneSection, detail::kCurrentTuneKey);
    if (current != detail::kMissing && !current.empty())
    {
        if (auto tune = readTuneFile(current))
        {
            tune_ = std::move(tune);
            tunePath_ = current;
            recorded_ = true;
        }
    }
}

SimulatedInstrument::~SimulatedInstrument() = default;

int SimulatedInstrument::LoadTune(int, const char* path, int)
{
    if (!path)
        return 0;
    try
    {
        auto tune = readTuneFile(path);
        if (!tune)
            return 0;
        tune_ = std::move(tune);
        tunePath_ = path;
        committed_ = false;
        // Remembered for the next session; a configuration that cannot be written costs only that,
        // and TuneRecorded tells.
        recorded_ = WritePrivateProfileStringA(detail::kTuneSection, detail::kCurrentTuneKey, tunePath_.c_str(),
                                               kConfigurationFile) != 0;
        return 1;
    }
    catch (...)
    {
        return 0;
    }
}

int SimulatedInstrument::GetTuneState()
{
    return tune_ ? 1 : 0;
}

int SimulatedInstrument::CloseTune()
{
    tune_.reset();
    tunePath_.clear();
    committed_ = false;
    try
    {
        WritePrivateProfileStringA(detail::kTuneSection, detail::kCurrentTuneKey, nullptr, kConfigurationFile);
    }
    catch (...)
    {
    }
    return 1;
}

int SimulatedInstrument::CommitTune()
{
    if (!tune_)
        return 0;
    committed_ = true;
    return 1;
}

int SimulatedInstrument::GetMassLimit()
{
    try
    {
        return detail::parseMassLimit(
            detail::value(kConfigurationFile, detail::kInstrumentSection, detail::kMassLimitKey));
    }
    catch (...)
    {
        return kDefaultMassLimit;
    }
}
} // namespace instrument
