#include "run/TransitionList.h"

#include "analysis/MassStrings.h"
#include "host/host.h"
#include "platform/AtomicFile.h"
#include "platform/SafeText.h"
#include "run/Inputs.h"
#include "run/ResultsTable.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace tessaly
{
namespace
{
// Skyline's own spelling of its small-molecule columns: it matches headers loosely, but people
// read the file too.
constexpr std::array<const char*, 11> kHeader = {
    "Molecule List Name",
    "Precursor Name",
    "Precursor m/z",
    "Precursor Adduct",
    "Precursor Charge",
    "Product m/z",
    "Product Charge",
    "Explicit Collision Energy",
    "Cone Voltage",
    "Explicit Retention Time",
    "Explicit Retention Time Window",
};

// The list of a compound that no --final method holds.
constexpr const char* kDefaultList = "Brenmo";

struct Adduct
{
    const char* name;
    double shift; // m/z of the singly charged ion less the neutral mass
};
constexpr std::array<Adduct, 3> kPositiveAdducts = {{
    {"[M+H]+", 1.007276},
    {"[M+Na]+", 22.989218},
    {"[M+NH4]+", 18.033823},
}};
constexpr std::array<Adduct, 1> kNegativeAdducts = {{{"[M-H]-", -1.007276}}};
// Farther than this from every adduct's m/z, the parent is some other ion (an isotope, a cluster, a
// loss) and the list is better without an adduct than with a wrong one.
constexpr double kAdductTolerance = 0.5;

// One compound's record in a final method: when it is expected and for how long it is acquired.
struct Scheduled
{
    double expectedTime = 0.0; // minutes
    double fullWindow = 0.0;   // minutes, both sides together
    bool narrowed = false;
};

struct FinalMethod
{
    std::string title;                                  // the file's name without its extension
    std::unordered_map<std::string, Scheduled> records; // by compound name, the first record of each
};

std::string fixed(double value, int decimals)
{
    char text[400]; // "%.4f" of the largest double is 309 digits and 5 more
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// A field as RFC 4180 writes it: quoted, inner quotes doubled, when it holds a comma, a quote or a
// line break.
std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The records of the method database at path. A method written before its compounds were seen
// eluting has each record's window at half its range, centred in it; a method narrowed around the
// peaks has a smaller window, and only then are its times worth scheduling by.
FinalMethod readFinalMethod(const std::string& path)
{
    requireFile(path);
    tag_HXFILE name;
    if (!ConvertPathToHxFile(&name, asHostPath(path).c_str()))
        throw BadInput(path + ": path too long for the host");
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    descriptor.SetName(name);
    if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
        throw BadInput(path + ": not a method database");
    FinalMethod method{std::filesystem::path(path).stem().string(), {}};
    const int count = descriptor.RecordCount();
    for (int i = 1; i <= count; ++i)
    {
        tag_METHOD_RECORD r;
        if (!MethodGetRecord(&name, i, &r))
        {
            DmDB3Close(&descriptor);
            throw BadInput(path + ": record " + std::to_string(i) + " cannot be read");
        }
        const double window = r.TimeWindow(), end = r.RangeEnd(), expected = r.ExpectedTime();
        Scheduled s;
        s.narrowed = std::isfinite(window) && std::isfinite(end) && std::isfinite(expected) && window > 0.0 &&
                     window < end / 2 - 1e-6;
        s.expectedTime = expected;
        s.fullWindow = 2 * window;
        method.records.try_emplace(trimmed(r.CompoundName().str()), s);
    }
    DmDB3Close(&descriptor);
    return method;
}

// The neutral mass of each compound of the compound list at path, by its FILE_TEXT; 0 where the
// mass text gives none.
std::unordered_map<std::string, double> readCompoundMasses(const std::string& path)
{
    requireFile(path);
    const std::unique_ptr<CSampleListMem> list = openSampleList(path);
    const CSampleListMem& rows = *list;
    const int fileText = CSampleList::GetFieldIndex("FILE_TEXT");
    const int mass = CSampleList::GetFieldIndex("MASS");
    std::unordered_map<std::string, double> masses;
    for (int r = 0; r < rows.GetSize(); ++r)
        masses.try_emplace(trimmed(rows[r][fileText].GetString().str()),
                           ConvertStringToMass(rows[r][mass].GetString()));
    return masses;
}

// The adduct of the candidates for polarity whose m/z lies nearest parentMz within the tolerance;
// empty when none does or the mass is unknown.
std::string adductOf(double mass, double parentMz, tag_IONMODEOPT polarity)
{
    if (!(mass > 0.0))
        return "";
    const Adduct* best = nullptr;
    double bestDistance = kAdductTolerance;
    const auto consider = [&](const Adduct& a) {
        const double distance = std::fabs(mass + a.shift - parentMz);
        if (distance <= bestDistance)
        {
            best = &a;
            bestDistance = distance;
        }
    };
    if (polarity == IONMODEOPT_NEGATIVE)
        for (const Adduct& a : kNegativeAdducts)
            consider(a);
    else
        for (const Adduct& a : kPositiveAdducts)
            consider(a);
    return best ? best->name : "";
}

std::string transitionLine(const std::string& listName, const ResultRow& row, const std::string& adduct,
                           const Scheduled* scheduled)
{
    const char* charge = row.polarity == IONMODEOPT_NEGATIVE ? "-1" : "1";
    const bool msOnly = !(row.daughterMz > 0.0);
    const std::array<std::string, kHeader.size()> cells = {
        listName,
        row.compound,
        fixed(row.parentMz, 4),
        adduct,
        charge,
        fixed(msOnly ? row.parentMz : row.daughterMz, 4),
        charge,
        msOnly ? std::string() : fixed(row.collisionEnergy, 1),
        fixed(row.coneVoltage, 1),
        scheduled ? fixed(scheduled->expectedTime, 1) : std::string(),
        scheduled ? fixed(scheduled->fullWindow, 1) : std::string(),
    };
    // The list and compound names come from people's files, and the list is opened in spreadsheets
    // too: every cell is guarded (numbers stay numbers, the adducts start with '[').
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i)
        line.append(i ? "," : "").append(csvField(platform::neutralisedCell(cells[i])));
    return line + "\r\n";
}
} // namespace

std::size_t writeTransitionList(const TransitionExport& a)
{
    // Everything is read and checked before the list is written, so a refusal writes nothing.
    requireFile(a.compounds);
    std::vector<std::string> inputs = {a.compounds, a.list};
    inputs.insert(inputs.end(), a.finals.begin(), a.finals.end());
    refuseOutputOverInput(a.out, "the transition list", inputs);
    ResultsTable results;
    if (std::string error; !readResultsTableFile(a.compounds, results, error))
        throw BadInput(error);
    std::unordered_map<std::string, double> masses;
    if (!a.list.empty())
        masses = readCompoundMasses(a.list);
    std::vector<FinalMethod> finals;
    for (const std::string& path : a.finals)
        finals.push_back(readFinalMethod(path));

    std::string text;
    for (std::size_t i = 0; i < kHeader.size(); ++i)
        text += std::string(i ? "," : "") + kHeader[i];
    text += "\r\n";
    std::size_t transitions = 0;
    std::unordered_set<std::string> seen; // a later ok row of a compound repeats an earlier run's result
    for (const ResultRow& row : results.rows)
    {
        if (!row.ok || !seen.insert(row.compound).second)
            continue;
        const auto mass = masses.find(row.compound);
        const std::string adduct = mass == masses.end() ? "" : adductOf(mass->second, row.parentMz, row.polarity);
        // One transition in each group's list that holds the compound, with that method's times.
        bool listed = false;
        for (const FinalMethod& method : finals)
        {
            const auto record = method.records.find(row.compound);
            if (record == method.records.end())
                continue;
            text += transitionLine(method.title, row, adduct, record->second.narrowed ? &record->second : nullptr);
            listed = true;
            ++transitions;
        }
        if (!listed)
        {
            text += transitionLine(kDefaultList, row, adduct, nullptr);
            ++transitions;
        }
    }
    if (transitions == 0)
        throw BadInput(a.compounds + ": no compound with status ok, so there is no transition to export");

    if (!platform::writeFileAtomically(a.out, text))
        throw Failure(a.out + ": cannot be written (" + std::strerror(errno) + ")");
    return transitions;
}
} // namespace tessaly
