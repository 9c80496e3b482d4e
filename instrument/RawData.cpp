// Reading and writing the mzML file of a raw-data directory. The whole file is parsed with
// pugixml; each binary array is base64-decoded (and inflated) straight into the scan's vectors.
#include "instrument/RawData.h"

#include "platform/Ascii.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <zlib.h>

namespace instrument
{
namespace
{
using namespace std::string_view_literals;

static_assert(std::endian::native == std::endian::little, "mzML arrays are little-endian, read in place");

// No instrument writes a spectrum of more points; a file that claims more is refused before
// anything is allocated for it.
constexpr std::uint64_t kMaxPoints = 1u << 24;
// Deflate cannot expand data by more than about 1032 to 1, so compressed text that claims to
// inflate further is damaged (or hostile) and is refused before its buffer is allocated.
constexpr std::uint64_t kMaxInflateRatio = 1032;
// Function numbers travel in 16-bit fields of the host's records.
constexpr int kMaxFunction = 32767;

// PSI-MS and unit-ontology accessions read and written.
namespace cv
{
constexpr std::string_view kMsLevel = "MS:1000511";
constexpr std::string_view kMs1Spectrum = "MS:1000579";
constexpr std::string_view kMsnSpectrum = "MS:1000580";
constexpr std::string_view kScanStartTime = "MS:1000016";
constexpr std::string_view kPresetScanConfiguration = "MS:1000616";
constexpr std::string_view kCollisionEnergy = "MS:1000045";
constexpr std::string_view kSelectedIonMz = "MS:1000744";
constexpr std::string_view kIsolationTarget = "MS:1000827";
constexpr std::string_view kMzArray = "MS:1000514";
constexpr std::string_view kIntensityArray = "MS:1000515";
constexpr std::string_view kFloat32 = "MS:1000521";
constexpr std::string_view kFloat64 = "MS:1000523";
constexpr std::string_view kZlib = "MS:1000574";
constexpr std::string_view kNoCompression = "MS:1000576";
constexpr std::string_view kMinute = "UO:0000031";
constexpr std::string_view kSecond = "UO:0000010";
} // namespace cv
constexpr std::string_view kConeVoltageName = "cone voltage";

// A reason the file cannot be read; caught at the reader's boundary and turned into its error.
struct BadMzml : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

bool endsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           platform::detail::equalsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

// ---- Parameters ------------------------------------------------------------------------------

// The cvParams and userParams of an element, those of the param groups it refers to included.
class Params
{
  public:
    using Groups = std::map<std::string, pugi::xml_node, std::less<>>;

    explicit Params(const Groups& groups) : groups_(groups)
    {
    }
    void add(pugi::xml_node element)
    {
        for (pugi::xml_node child : element.children())
        {
            const std::string_view name = child.name();
            if (name == "cvParam"sv || name == "userParam"sv)
                nodes_.push_back(child);
            else if (name == "referenceableParamGroupRef"sv)
            {
                const auto group = groups_.find(std::string_view(child.attribute("ref").value()));
                if (group == groups_.end())
                    throw BadMzml(std::string("unknown referenceableParamGroup \"") + child.attribute("ref").value() +
                                  "\"");
                add(group->second);
            }
        }
    }
    pugi::xml_node byAccession(std::string_view accession) const
    {
        for (pugi::xml_node node : nodes_)
            if (accession == std::string_view(node.attribute("accession").value()))
                return node;
        return {};
    }
    pugi::xml_node byName(std::string_view name) const
    {
        for (pugi::xml_node node : nodes_)
            if (platform::detail::equalsNoCase(name, node.attribute("name").value()))
                return node;
        return {};
    }
    const std::vector<pugi::xml_node>& nodes() const
    {
        return nodes_;
    }

  private:
    const Groups& groups_;
    std::vector<pugi::xml_node> nodes_;
};

// The finite number a parameter's value holds.
double numberOf(pugi::xml_node param)
{
    const std::string_view text = trimmed(param.attribute("value").value());
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        throw BadMzml(std::string("\"") + param.attribute("name").value() + "\" is \"" +
                      param.attribute("value").value() + "\", not a number");
    return value;
}

// A whole number from min to max in a parameter's value or an attribute's text.
long long wholeNumber(std::string_view text, long long min, long long max, const std::string& what)
{
    const std::string_view digits = trimmed(text);
    long long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value < min || value > max)
        throw BadMzml(what + " is \"" + std::string(text) + "\", not a whole number from " + std::to_string(min) +
                      " to " + std::to_string(max));
    return value;
}

// A scan start time in minutes; minutes are assumed when the unit is not given.
double minutesOf(pugi::xml_node param)
{
    const double value = numberOf(param);
    const std::string_view unit = param.attribute("unitAccession").value();
    const std::string_view unitName = param.attribute("unitName").value();
    if (unit == cv::kSecond || (unit.empty() && unitName == "second"sv))
        return value / 60.0;
    if (unit == cv::kMinute || (unit.empty() && (unitName == "minute"sv || unitName.empty())))
        return value;
    throw BadMzml("scan start time in unknown unit \"" + std::string(unitName.empty() ? unit : unitName) + "\"");
}

// ---- Binary arrays -----------------------------------------------------------------------------

int base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool isSpace(unsigned char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The number of bytes that base64 text holds; white space is skipped, anything else not of the
// alphabet, and padding anywhere but at the end, is refused.
std::size_t base64Size(std::string_view text)
{
    std::size_t characters = 0;
    std::size_t padding = 0;
    for (const char ch : text)
    {
        const auto c = static_cast<unsigned char>(ch);
        if (isSpace(c))
            continue;
        if (c == '=')
            ++padding;
        else if (base64Value(c) < 0 || padding > 0)
            throw BadMzml("binary text is not base64");
        else
            ++characters;
    }
    // A final group of 2 or 3 characters carries 1 or 2 bytes; padding may complete it to 4.
    const std::size_t held = characters % 4;
    if (held == 1 || padding > 2 || (padding > 0 && held + padding != 4))
        throw BadMzml("binary text is not base64");
    return characters / 4 * 3 + (held == 0 ? 0 : held - 1);
}

// Decodes base64 text that base64Size accepted into out, which holds base64Size(text) bytes.
void base64Decode(std::string_view text, unsigned char* out)
{
    std::uint32_t bits = 0;
    int held = 0;
    for (const char ch : text)
    {
        const int value = base64Value(static_cast<unsigned char>(ch));
        if (value < 0)
            continue;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        if (++held == 4)
        {
            *out++ = static_cast<unsigned char>(bits >> 16);
            *out++ = static_cast<unsigned char>(bits >> 8);
            *out++ = static_cast<unsigned char>(bits);
            held = 0;
            bits = 0;
        }
    }
    if (held == 2)
        *out = static_cast<unsigned char>(bits >> 4);
    else if (held == 3)
    {
        *out++ = static_cast<unsigned char>(bits >> 10);
        *out = static_cast<unsigned char>(bits >> 2);
    }
}

enum class ArrayKind
{
    kMz,
    kIntensity,
    kOther
};

// What the parameters of one binaryDataArray say about it.
struct ArrayFormat
{
    ArrayKind kind = ArrayKind::kOther;
    std::size_t width = 0; // 4 or 8 bytes per value
    bool zlib = false;
};

ArrayFormat formatOf(const Params& params)
{
    ArrayFormat format;
    if (params.byAccession(cv::kMzArray))
        format.kind = ArrayKind::kMz;
    else if (params.byAccession(cv::kIntensityArray))
        format.kind = ArrayKind::kIntensity;
    else
        return format;
    const char* array = format.kind == ArrayKind::kMz ? "m/z array" : "intensity array";
    if (params.byAccession(cv::kFloat32))
        format.width = 4;
    else if (params.byAccession(cv::kFloat64))
        format.width = 8;
    format.zlib = static_cast<bool>(params.byAccession(cv::kZlib));
    for (pugi::xml_node param : params.nodes())
    {
        const std::string_view accession = param.attribute("accession").value();
        const std::string name = param.attribute("name").value();
        const std::string lower = [&] {
            std::string l = name;
            for (char& c : l)
                c = platform::detail::lowerCase(c);
            return l;
        }();
        if (accession == cv::kZlib || accession == cv::kNoCompression)
            continue;
        if (lower.find("compression") != std::string::npos || lower.find("numpress") != std::string::npos)
            throw BadMzml(std::string(array) + ": unsupported compression \"" + name + "\"");
        if (format.width == 0 && (lower.find("integer") != std::string::npos || lower.find("float") != std::string::npos ||
                                  lower.find("string") != std::string::npos))
            throw BadMzml(std::string(array) + ": unsupported data type \"" + name + "\" (32- or 64-bit float expected)");
    }
    if (format.width == 0)
        throw BadMzml(std::string(array) + " has no data type (32- or 64-bit float expected)");
    return format;
}

// Decodes the array's text into out: count values of the array's format, as floats. 32-bit
// values go straight into out; 64-bit ones, and compressed text, pass through one buffer.
void decodeArray(std::string_view text, const ArrayFormat& format, std::uint64_t count, std::vector<float>& out)
{
    const std::string array = format.kind == ArrayKind::kMz ? "m/z array" : "intensity array";
    out.clear();
    if (count == 0 && trimmed(text).empty())
        return;
    const std::uint64_t bytes = count * format.width;
    const std::size_t encoded = base64Size(text);
    std::vector<unsigned char> buffer;
    if (format.zlib)
    {
        if (bytes > encoded * kMaxInflateRatio + 64)
            throw BadMzml(array + ": " + std::to_string(encoded) + " compressed bytes cannot hold " +
                          std::to_string(count) + " values");
        std::vector<unsigned char> packed(encoded);
        base64Decode(text, packed.data());
        unsigned char* target = nullptr;
        if (format.width == 4)
        {
            out.resize(count);
            target = reinterpret_cast<unsigned char*>(out.data());
        }
        else
        {
            buffer.resize(bytes);
            target = buffer.data();
        }
        uLongf produced = static_cast<uLongf>(bytes);
        unsigned char spare = 0;
        const int status = uncompress(bytes ? target : &spare, &produced, packed.data(), static_cast<uLong>(encoded));
        if (status != Z_OK || produced != bytes)
        {
            out.clear();
            throw BadMzml(array + (status == Z_OK || status == Z_BUF_ERROR
                                       ? " does not inflate to " + std::to_string(count) + " values"
                                       : " is not valid zlib data"));
        }
        if (format.width == 4)
            return;
    }
    else
    {
        if (encoded != bytes)
            throw BadMzml(array + " holds " + std::to_string(encoded) + " bytes, expected " + std::to_string(bytes) +
                          " for " + std::to_string(count) + " values");
        if (format.width == 4)
        {
            out.resize(count);
            base64Decode(text, reinterpret_cast<unsigned char*>(out.data()));
            return;
        }
        buffer.resize(bytes);
        base64Decode(text, buffer.data());
    }
    out.resize(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        double value;
        std::memcpy(&value, buffer.data() + i * 8, 8);
        out[i] = static_cast<float>(value);
    }
}

// ---- Spectra -----------------------------------------------------------------------------------

// One spectrum as a scan of its function.
RawScan readSpectrum(pugi::xml_node spectrum, const Params::Groups& groups, int& function)
{
    RawScan scan;
    Params params(groups);
    params.add(spectrum);
    const pugi::xml_node scanElement = spectrum.child("scanList").child("scan");
    params.add(scanElement);

    if (const pugi::xml_node level = params.byAccession(cv::kMsLevel))
        scan.msLevel = static_cast<int>(wholeNumber(level.attribute("value").value(), 1, 100, "ms level"));
    else if (params.byAccession(cv::kMsnSpectrum))
        scan.msLevel = 2;
    else
        scan.msLevel = 1;
    function = 1;
    if (const pugi::xml_node preset = params.byAccession(cv::kPresetScanConfiguration))
        function = static_cast<int>(
            wholeNumber(preset.attribute("value").value(), 1, kMaxFunction, "preset scan configuration"));
    if (const pugi::xml_node time = params.byAccession(cv::kScanStartTime))
        scan.time = minutesOf(time);
    if (const pugi::xml_node cone = params.byName(kConeVoltageName))
        scan.coneVoltage = numberOf(cone);

    const pugi::xml_node precursor = spectrum.child("precursorList").child("precursor");
    if (precursor)
    {
        Params activation(groups);
        activation.add(precursor.child("activation"));
        if (const pugi::xml_node energy = activation.byAccession(cv::kCollisionEnergy))
            scan.collisionEnergy = numberOf(energy);
        Params ion(groups);
        ion.add(precursor.child("selectedIonList").child("selectedIon"));
        Params window(groups);
        window.add(precursor.child("isolationWindow"));
        if (const pugi::xml_node mz = ion.byAccession(cv::kSelectedIonMz))
            scan.precursorMz = numberOf(mz);
        else if (const pugi::xml_node target = window.byAccession(cv::kIsolationTarget))
            scan.precursorMz = numberOf(target);
    }

    const pugi::xml_attribute lengthAttribute = spectrum.attribute("defaultArrayLength");
    if (!lengthAttribute)
        throw BadMzml("no defaultArrayLength");
    const auto count = static_cast<std::uint64_t>(
        wholeNumber(lengthAttribute.value(), 0, static_cast<long long>(kMaxPoints), "defaultArrayLength"));
    bool haveMz = false;
    bool haveIntensity = false;
    for (pugi::xml_node array : spectrum.child("binaryDataArrayList").children("binaryDataArray"))
    {
        Params arrayParams(groups);
        arrayParams.add(array);
        const ArrayFormat format = formatOf(arrayParams);
        if (format.kind == ArrayKind::kOther)
            continue;
        bool& have = format.kind == ArrayKind::kMz ? haveMz : haveIntensity;
        if (have)
            throw BadMzml(format.kind == ArrayKind::kMz ? "two m/z arrays" : "two intensity arrays");
        have = true;
        if (const pugi::xml_attribute own = array.attribute("arrayLength");
            own && wholeNumber(own.value(), 0, static_cast<long long>(kMaxPoints), "arrayLength") !=
                       static_cast<long long>(count))
            throw BadMzml(std::string(format.kind == ArrayKind::kMz ? "m/z" : "intensity") + " array length " +
                          own.value() + " is not the defaultArrayLength " + std::to_string(count));
        decodeArray(array.child_value("binary"), format, count,
                    format.kind == ArrayKind::kMz ? scan.mz : scan.intensity);
    }
    if (count > 0 && (!haveMz || !haveIntensity))
        throw BadMzml(haveMz ? "no intensity array" : "no m/z array");
    for (std::size_t i = 0; i < scan.mz.size(); ++i)
    {
        if (!std::isfinite(scan.mz[i]) || (i > 0 && !(scan.mz[i] >= scan.mz[i - 1])))
            throw BadMzml("m/z values are not finite and ascending (at point " + std::to_string(i + 1) + ")");
        if (!std::isfinite(scan.intensity[i]))
            throw BadMzml("intensity of point " + std::to_string(i + 1) + " is not finite");
    }
    return scan;
}

void readDocument(const pugi::xml_document& document, RawData& data)
{
    pugi::xml_node mzml = document.document_element();
    if (std::string_view(mzml.name()) == "indexedmzML"sv)
        mzml = mzml.child("mzML");
    if (std::string_view(mzml.name()) != "mzML"sv)
        throw BadMzml(std::string("not mzML (root element <") + document.document_element().name() + ">)");
    Params::Groups groups;
    for (pugi::xml_node group : mzml.child("referenceableParamGroupList").children("referenceableParamGroup"))
        groups.emplace(group.attribute("id").value(), group);
    const pugi::xml_node run = mzml.child("run");
    if (!run)
        throw BadMzml("no <run>");

    std::map<int, RawFunction> functions;
    std::size_t index = 0;
    for (pugi::xml_node spectrum : run.child("spectrumList").children("spectrum"))
    {
        ++index;
        int function = 1;
        RawScan scan;
        try
        {
            scan = readSpectrum(spectrum, groups, function);
        }
        catch (const BadMzml& e)
        {
            throw BadMzml("spectrum " + std::to_string(index) + " (\"" + spectrum.attribute("id").value() +
                          "\"): " + e.what());
        }
        RawFunction& f = functions[function];
        f.number = function;
        scan.scan = static_cast<int>(f.scans.size()) + 1;
        f.scans.push_back(std::move(scan));
    }
    for (auto& [number, function] : functions)
        data.functions.push_back(std::move(function));
}

// ---- Writing -----------------------------------------------------------------------------------

std::string numberText(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "0";
}

std::string base64Encode(const unsigned char* bytes, std::size_t size)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (std::size_t i = 0; i < size; i += 3)
    {
        const std::uint32_t n = (std::uint32_t{bytes[i]} << 16) | (i + 1 < size ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                (i + 2 < size ? std::uint32_t{bytes[i + 2]} : 0);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += i + 1 < size ? kAlphabet[(n >> 6) & 63] : '=';
        out += i + 2 < size ? kAlphabet[n & 63] : '=';
    }
    return out;
}

void addCv(pugi::xml_node parent, std::string_view accession, const char* name, const std::string& value = "",
           const char* unitAccession = nullptr, const char* unitName = nullptr)
{
    pugi::xml_node param = parent.append_child("cvParam");
    param.append_attribute("cvRef") = "MS";
    param.append_attribute("accession") = std::string(accession).c_str();
    param.append_attribute("name") = name;
    param.append_attribute("value") = value.c_str();
    if (unitAccession)
    {
        param.append_attribute("unitCvRef") = std::string_view(unitAccession).substr(0, 2) == "UO"sv ? "UO" : "MS";
        param.append_attribute("unitAccession") = unitAccession;
        param.append_attribute("unitName") = unitName;
    }
}

void addArray(pugi::xml_node list, const std::vector<float>& values, bool mz)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
    const uLong size = static_cast<uLong>(values.size() * sizeof(float));
    std::vector<unsigned char> packed(compressBound(size));
    uLongf packedSize = static_cast<uLongf>(packed.size());
    if (compress2(packed.data(), &packedSize, values.empty() ? reinterpret_cast<const Bytef*>("") : bytes, size,
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw BadMzml("zlib could not compress an array");
    const std::string text = base64Encode(packed.data(), packedSize);
    pugi::xml_node array = list.append_child("binaryDataArray");
    array.append_attribute("encodedLength") = static_cast<unsigned long long>(text.size());
    addCv(array, cv::kFloat32, "32-bit float");
    addCv(array, cv::kZlib, "zlib compression");
    if (mz)
        addCv(array, cv::kMzArray, "m/z array", "", "MS:1000040", "m/z");
    else
        addCv(array, cv::kIntensityArray, "intensity array", "", "MS:1000131", "number of detector counts");
    array.append_child("binary").text().set(text.c_str());
}

void addSpectrum(pugi::xml_node list, std::size_t index, int function, const RawScan& scan)
{
    pugi::xml_node spectrum = list.append_child("spectrum");
    spectrum.append_attribute("index") = static_cast<unsigned long long>(index);
    const std::string id =
        "function=" + std::to_string(function) + " process=0 scan=" + std::to_string(scan.scan);
    spectrum.append_attribute("id") = id.c_str();
    spectrum.append_attribute("defaultArrayLength") = static_cast<unsigned long long>(scan.mz.size());
    addCv(spectrum, cv::kMsLevel, "ms level", std::to_string(scan.msLevel));
    if (scan.msLevel == 1)
        addCv(spectrum, cv::kMs1Spectrum, "MS1 spectrum");
    else
        addCv(spectrum, cv::kMsnSpectrum, "MSn spectrum");
    addCv(spectrum, "MS:1000127", "centroid spectrum");

    pugi::xml_node scanList = spectrum.append_child("scanList");
    scanList.append_attribute("count") = 1;
    addCv(scanList, "MS:1000795", "no combination");
    pugi::xml_node scanElement = scanList.append_child("scan");
    addCv(scanElement, cv::kScanStartTime, "scan start time", numberText(scan.time), "UO:0000031", "minute");
    addCv(scanElement, cv::kPresetScanConfiguration, "preset scan configuration", std::to_string(function));
    pugi::xml_node cone = scanElement.append_child("userParam");
    cone.append_attribute("name") = std::string(kConeVoltageName).c_str();
    cone.append_attribute("value") = numberText(scan.coneVoltage).c_str();
    cone.append_attribute("type") = "xsd:double";
    cone.append_attribute("unitCvRef") = "UO";
    cone.append_attribute("unitAccession") = "UO:0000218";
    cone.append_attribute("unitName") = "volt";

    if (scan.msLevel > 1 || scan.collisionEnergy != 0.0 || scan.precursorMz != 0.0)
    {
        pugi::xml_node precursorList = spectrum.append_child("precursorList");
        precursorList.append_attribute("count") = 1;
        pugi::xml_node precursor = precursorList.append_child("precursor");
        pugi::xml_node ions = precursor.append_child("selectedIonList");
        ions.append_attribute("count") = 1;
        addCv(ions.append_child("selectedIon"), cv::kSelectedIonMz, "selected ion m/z", numberText(scan.precursorMz),
              "MS:1000040", "m/z");
        pugi::xml_node activation = precursor.append_child("activation");
        addCv(activation, "MS:1000133", "collision-induced dissociation");
        addCv(activation, cv::kCollisionEnergy, "collision energy", numberText(scan.collisionEnergy), "UO:0000266",
              "electronvolt");
    }

    pugi::xml_node arrays = spectrum.append_child("binaryDataArrayList");
    arrays.append_attribute("count") = 2;
    addArray(arrays, scan.mz, true);
    addArray(arrays, scan.intensity, false);
}

// Why data could not be read back as it is; empty when it could.
std::string unwritable(const RawData& data)
{
    int last = 0;
    for (const RawFunction& function : data.functions)
    {
        const std::string where = "function " + std::to_string(function.number);
        if (function.number <= last || function.number > kMaxFunction)
            return where + ": function numbers must rise, from 1 to " + std::to_string(kMaxFunction);
        last = function.number;
        for (std::size_t i = 0; i < function.scans.size(); ++i)
        {
            const RawScan& scan = function.scans[i];
            const std::string at = where + ", scan " + std::to_string(i + 1);
            if (scan.scan != static_cast<int>(i) + 1)
                return at + ": numbered " + std::to_string(scan.scan);
            if (scan.mz.size() != scan.intensity.size())
                return at + ": " + std::to_string(scan.mz.size()) + " m/z values but " +
                       std::to_string(scan.intensity.size()) + " intensities";
            if (scan.mz.size() > kMaxPoints)
                return at + ": more than " + std::to_string(kMaxPoints) + " points";
            if (scan.msLevel < 1 || scan.msLevel > 100)
                return at + ": ms level " + std::to_string(scan.msLevel);
            if (!std::isfinite(scan.time) || !std::isfinite(scan.coneVoltage) || !std::isfinite(scan.collisionEnergy) ||
                !std::isfinite(scan.precursorMz))
                return at + ": a setting is not a finite number";
            for (std::size_t p = 0; p < scan.mz.size(); ++p)
                if (!std::isfinite(scan.mz[p]) || !std::isfinite(scan.intensity[p]) ||
                    (p > 0 && !(scan.mz[p] >= scan.mz[p - 1])))
                    return at + ": m/z values must be finite and ascending, intensities finite";
        }
    }
    return "";
}

// The scans of all functions in acquisition order: by start time, ties to the lower function,
// and each function's scans kept in their order whatever their times.
std::vector<std::pair<int, const RawScan*>> acquisitionOrder(const RawData& data)
{
    std::vector<std::pair<int, const RawScan*>> order;
    std::vector<std::size_t> next(data.functions.size(), 0);
    for (;;)
    {
        std::size_t best = data.functions.size();
        for (std::size_t f = 0; f < data.functions.size(); ++f)
            if (next[f] < data.functions[f].scans.size() &&
                (best == data.functions.size() ||
                 data.functions[f].scans[next[f]].time < data.functions[best].scans[next[best]].time))
                best = f;
        if (best == data.functions.size())
            return order;
        order.emplace_back(data.functions[best].number, &data.functions[best].scans[next[best]++]);
    }
}

std::string mzmlText(const RawData& data, const std::string& runId)
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    pugi::xml_node mzml = document.append_child("mzML");
    mzml.append_attribute("xmlns") = "http://psi.hupo.org/ms/mzml";
    mzml.append_attribute("version") = "1.1.0";
    mzml.append_attribute("id") = runId.c_str();

    pugi::xml_node cvList = mzml.append_child("cvList");
    cvList.append_attribute("count") = 2;
    pugi::xml_node ms = cvList.append_child("cv");
    ms.append_attribute("id") = "MS";
    ms.append_attribute("fullName") = "Proteomics Standards Initiative Mass Spectrometry Ontology";
    ms.append_attribute("URI") = "https://raw.githubusercontent.com/HUPO-PSI/psi-ms-CV/master/psi-ms.obo";
    pugi::xml_node uo = cvList.append_child("cv");
    uo.append_attribute("id") = "UO";
    uo.append_attribute("fullName") = "Unit Ontology";
    uo.append_attribute("URI") = "https://raw.githubusercontent.com/bio-ontology-research-group/unit-ontology/master/unit.obo";

    pugi::xml_node content = mzml.append_child("fileDescription").append_child("fileContent");
    addCv(content, cv::kMs1Spectrum, "MS1 spectrum");
    pugi::xml_node software = mzml.append_child("softwareList");
    software.append_attribute("count") = 1;
    pugi::xml_node kelvane = software.append_child("software");
    kelvane.append_attribute("id") = "kelvane";
    kelvane.append_attribute("version") = "1";
    addCv(kelvane, "MS:1000799", "custom unreleased software tool", "Kelvane host stand-in");
    pugi::xml_node instruments = mzml.append_child("instrumentConfigurationList");
    instruments.append_attribute("count") = 1;
    pugi::xml_node instrument = instruments.append_child("instrumentConfiguration");
    instrument.append_attribute("id") = "IC1";
    addCv(instrument, "MS:1000031", "instrument model");
    pugi::xml_node processing = mzml.append_child("dataProcessingList");
    processing.append_attribute("count") = 1;
    pugi::xml_node acquisition = processing.append_child("dataProcessing");
    acquisition.append_attribute("id") = "acquisition";
    pugi::xml_node method = acquisition.append_child("processingMethod");
    method.append_attribute("order") = 1;
    method.append_attribute("softwareRef") = "kelvane";
    addCv(method, "MS:1000544", "Conversion to mzML");

    pugi::xml_node run = mzml.append_child("run");
    run.append_attribute("id") = runId.c_str();
    run.append_attribute("defaultInstrumentConfigurationRef") = "IC1";
    pugi::xml_node spectra = run.append_child("spectrumList");
    const auto order = acquisitionOrder(data);
    spectra.append_attribute("count") = static_cast<unsigned long long>(order.size());
    spectra.append_attribute("defaultDataProcessingRef") = "acquisition";
    for (std::size_t i = 0; i < order.size(); ++i)
        addSpectrum(spectra, i, order[i].first, *order[i].second);

    std::ostringstream text;
    document.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return text.str();
}

bool fail(std::string& error, std::string reason)
{
    error = std::move(reason);
    return false;
}

// The regular files of rawDirectory whose names end in ".mzML", whatever the case, in name order.
bool mzmlFiles(const std::string& rawDirectory, std::vector<std::string>& found, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(rawDirectory, ec))
        return fail(error, rawDirectory + ": no such raw-data directory");
    for (fs::directory_iterator it(rawDirectory, ec), end; !ec && it != end; it.increment(ec))
        if (endsWithNoCase(it->path().filename().string(), ".mzML") && it->is_regular_file(ec))
            found.push_back(it->path().string());
    if (ec)
        return fail(error, rawDirectory + ": cannot be listed (" + ec.message() + ")");
    std::sort(found.begin(), found.end());
    return true;
}
} // namespace

bool findRawDataFile(const std::string& rawDirectory, std::string& file, std::string& error)
{
    std::vector<std::string> found;
    if (!mzmlFiles(rawDirectory, found, error))
        return false;
    if (found.empty())
        return fail(error, rawDirectory + ": holds no mzML file");
    if (found.size() > 1)
        return fail(error, rawDirectory + ": holds " + std::to_string(found.size()) + " mzML files, expected one");
    file = found.front();
    return true;
}

bool readMzmlFile(const std::string& file, RawData& data, std::string& error)
{
    data = RawData();
    try
    {
        pugi::xml_document document;
        const pugi::xml_parse_result parsed = document.load_file(file.c_str(), pugi::parse_default, pugi::encoding_utf8);
        if (!parsed)
            return fail(error, file + ": " +
                                   (parsed.status == pugi::status_file_not_found || parsed.status == pugi::status_io_error
                                        ? std::string("cannot be read")
                                        : "not well-formed XML at byte " + std::to_string(parsed.offset) + " (" +
                                              parsed.description() + ")"));
        readDocument(document, data);
        return true;
    }
    catch (const BadMzml& e)
    {
        data = RawData();
        return fail(error, file + ": " + e.what());
    }
    catch (const std::bad_alloc&)
    {
        data = RawData();
        return fail(error, file + ": out of memory");
    }
}

bool readRawData(const std::string& rawDirectory, RawData& data, std::string& error)
{
    data = RawData();
    std::string file;
    return findRawDataFile(rawDirectory, file, error) && readMzmlFile(file, data, error);
}

bool writeRawData(const std::string& rawDirectory, const RawData& data, std::string& error)
{
    namespace fs = std::filesystem;
    if (const std::string reason = unwritable(data); !reason.empty())
        return fail(error, rawDirectory + ": " + reason);
    try
    {
        std::error_code ec;
        fs::create_directories(rawDirectory, ec);
        // Raw data is never written through a symbolic link planted where it goes.
        std::string directory = rawDirectory;
        while (directory.size() > 1 && directory.back() == '/')
            directory.pop_back();
        if (fs::is_symlink(directory, ec))
            return fail(error, rawDirectory + ": is a symbolic link; raw data is not written through one");
        std::vector<std::string> found;
        if (!mzmlFiles(rawDirectory, found, error))
            return false;
        if (found.size() > 1)
            return fail(error, rawDirectory + ": holds " + std::to_string(found.size()) + " mzML files, expected one");
        std::string file = found.empty() ? "" : found.front();
        if (file.empty())
        {
            std::string stem = fs::path(rawDirectory).filename().string();
            if (stem.empty())
                stem = fs::path(rawDirectory).parent_path().filename().string();
            if (endsWithNoCase(stem, ".RAW"))
                stem.resize(stem.size() - 4);
            file = (fs::path(rawDirectory) / ((stem.empty() ? "raw" : stem) + ".mzML")).string();
        }
        if (fs::is_symlink(file, ec))
            return fail(error, file + ": is a symbolic link; raw data is not written through one");
        const std::string runId = fs::path(file).stem().string();
        if (!platform::writeFileAtomically(file, mzmlText(data, runId)))
            return fail(error, file + ": cannot be written (" + std::strerror(errno) + ")");
        return true;
    }
    catch (const std::exception& e)
    {
        return fail(error, rawDirectory + ": cannot be written (" + e.what() + ")");
    }
}
} // namespace instrument
