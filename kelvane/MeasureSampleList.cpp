// The host's measuring of sample lists: for each row, every record of the method that "METHOD_DB"
// selects is integrated as one chromatogram of the row's raw data, and the peaks found replace the
// peak database beside that raw data, where the engine's peak readers look for them.
#include "kelvane/FormattedSampleList.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/PeakDatabase.h"
#include "kelvane/PeakDetector.h"
#include "instrument/RawData.h"
#include "kelvane/SampleListFiles.h"
#include "platform/Ascii.h"
#include "platform/WinPath.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane
{
namespace detail
{
namespace
{
// Half the width of the m/z window summed for a mass, as the engine's own searches take it.
constexpr double kMassTolerance = 0.5;

// What one method record's mass text asks to be measured.
struct Trace
{
    enum class Kind
    {
        kTotalIonCurrent, // "TIC": every intensity of a scan
        kMass,            // "301.008": the intensities within kMassTolerance of the mass
        kTransition,      // "301.008 > 150.000": the product ion in product-ion scans of the precursor
    };
    Kind kind = Kind::kTotalIonCurrent;
    double mass = 0.0;    // the mass, or the precursor of a transition
    double product = 0.0; // the product ion of a transition
};

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A positive, finite m/z written as a plain number, surrounding blanks allowed.
std::optional<double> parseMass(std::string_view text)
{
    text = trimmed(text);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || !(value > 0.0))
        return std::nullopt;
    return value;
}

// The trace of a mass text; empty for a text that names none (an empty text, a formula).
std::optional<Trace> parseMassText(std::string_view text)
{
    text = trimmed(text);
    if (platform::detail::equalsNoCase(text, "TIC"))
        return Trace{};
    if (const std::size_t arrow = text.find('>'); arrow != std::string_view::npos)
    {
        const auto precursor = parseMass(text.substr(0, arrow));
        const auto product = parseMass(text.substr(arrow + 1));
        if (!precursor || !product)
            return std::nullopt;
        return Trace{Trace::Kind::kTransition, *precursor, *product};
    }
    const auto mass = parseMass(text);
    if (!mass)
        return std::nullopt;
    return Trace{Trace::Kind::kMass, *mass, 0.0};
}

struct Chromatogram
{
    std::vector<int> scans; // scan numbers as the raw data gives them
    std::vector<double> times;
    std::vector<double> intensities;
};

double signalOf(const instrument::RawScan& scan, const Trace& trace)
{
    const double target = trace.kind == Trace::Kind::kTransition ? trace.product : trace.mass;
    double sum = 0.0;
    const std::size_t points = std::min(scan.mz.size(), scan.intensity.size());
    for (std::size_t i = 0; i < points; ++i)
        if (trace.kind == Trace::Kind::kTotalIonCurrent || std::fabs(scan.mz[i] - target) <= kMassTolerance)
            sum += scan.intensity[i];
    return sum;
}

// The chromatogram of trace in function, cut to the record's range (minutes) when it has one.
Chromatogram chromatogramOf(const instrument::RawFunction& function, const Trace& trace, const tag_METHOD_RECORD& record)
{
    const double from = record.RangeStart();
    const double to = record.RangeEnd();
    const bool ranged = to > from;
    Chromatogram out;
    for (const instrument::RawScan& scan : function.scans)
    {
        if (ranged && !(scan.time >= from && scan.time <= to))
            continue;
        if (trace.kind == Trace::Kind::kTransition &&
            (scan.msLevel != 2 || !(std::fabs(scan.precursorMz - trace.mass) <= kMassTolerance)))
            continue;
        out.scans.push_back(scan.scan);
        out.times.push_back(scan.time);
        out.intensities.push_back(signalOf(scan, trace));
    }
    return out;
}

// How the record asks its chromatogram to be searched. A record that sets no smoothing (passes or
// window below 1, as records built from the host's adjusted default do) is smoothed as the host's
// default record asks, twice over three scans: bounds found on raw, noisy points stop at the first
// spike on a peak's flank.
PeakSearch searchOf(const tag_METHOD_RECORD& record)
{
    PeakSearch search;
    const auto passes = record.get<std::int32_t>(tag_METHOD_RECORD::kInt632);
    const auto window = record.get<std::int32_t>(tag_METHOD_RECORD::kInt636);
    if (passes >= 1 && window >= 1)
    {
        search.smoothingPasses = passes;
        search.smoothingWindow = window;
    }
    search.expectedTime = record.ExpectedTime();
    search.timeWindow = record.TimeWindow();
    return search;
}

// The peak of method record number (from 1) in data; empty when the record names no function or
// trace the data holds, or its chromatogram has no peak.
std::optional<tag_PEAK_RECORD> measureRecord(const instrument::RawData& data, const tag_METHOD_RECORD& record, int number)
{
    const instrument::RawFunction* function = data.function(record.FunctionNumber());
    const auto trace = parseMassText(record.MassText().str());
    if (!function || !trace)
        return std::nullopt;
    const Chromatogram c = chromatogramOf(*function, *trace, record);
    const auto peak = detectPeak(c.times, c.intensities, searchOf(record));
    if (!peak)
        return std::nullopt;
    tag_PEAK_RECORD out;
    out.SetApexScan(c.scans[peak->apex]);
    out.SetStartScan(c.scans[peak->start]);
    out.SetEndScan(c.scans[peak->end]);
    out.SetPeakApex(static_cast<float>(c.times[peak->apex]));
    out.SetPeakStart(static_cast<float>(c.times[peak->start]));
    out.SetPeakEnd(static_cast<float>(c.times[peak->end]));
    out.SetPeakArea(peak->area);
    out.SetPeakRecord(number);
    return out;
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string withoutTrailingSeparators(std::string_view path)
{
    while (!path.empty() && isSeparator(path.back()))
        path.remove_suffix(1);
    return std::string(path);
}

// The folder that a list's bare file names are in: the "Data" folder of the project holding the
// list (its folder's parent), else the list's own folder.
std::string dataFolderOf(const std::string& listDirectory)
{
    const std::string folder = withoutTrailingSeparators(listDirectory);
    const std::size_t cut = folder.find_last_of("\\/");
    if (cut != std::string::npos)
    {
        const std::string data = folder.substr(0, cut + 1) + "Data";
        std::error_code ec;
        if (std::filesystem::is_directory(platform::toPosixPath(data), ec))
            return data;
    }
    return folder;
}

// The host path of the raw data a row's file name names. A path with a drive or a leading
// separator is taken as it is; anything else lies in the list's data folder (dataFolderOf).
// ".RAW" is added to a name without it. Empty for an empty name.
std::string rawDataPathOf(std::string_view fileName, const std::string& listDirectory)
{
    std::string path = withoutTrailingSeparators(trimmed(fileName));
    if (path.empty())
        return {};
    if (!platform::detail::hasDriveLetter(path) && !isSeparator(path[0]))
        path = dataFolderOf(listDirectory) + "\\" + path;
    const std::size_t name = path.find_last_of("\\/") + 1; // npos + 1 is 0: a drive-relative name
    const std::string_view last = std::string_view(path).substr(name);
    if (last.size() < 4 || !platform::detail::equalsNoCase(last.substr(last.size() - 4), ".RAW"))
        path += ".RAW";
    return path;
}
} // namespace
} // namespace detail

namespace
{
std::string& measureError()
{
    static std::string reason;
    return reason;
}

// Records why the measurement failed; the operation's result is then 0.
int measureFailed(std::string reason)
{
    measureError() = std::move(reason);
    return 0;
}
} // namespace

const std::string& lastMeasureError()
{
    return measureError();
}

int KelvaneHost::MeasureSampleList(HWND, const tag_HXFILE& sampleList, int firstRow, int lastRow)
{
    // Nothing is shown, so the owner window is not needed. Rows are measured in order, each on its
    // own: a row whose raw data cannot be read, or whose peak database cannot be written, makes the
    // result 0 but does not stop the rows after it, and leaves its old peak database as it was.
    measureError().clear();
    try
    {
        // The method, read once for every row.
        tag_METHOD_DB_DESCRIPTOR descriptor;
        tag_HXFILE method;
        if (!GetSystemListValue("SystemList", "METHOD_DB", 0, method))
            return measureFailed("the system list names no quan method (METHOD_DB)");
        descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
        descriptor.SetName(method);
        char methodPath[1024] = {};
        ConvertHxFileToPath(methodPath, sizeof methodPath, method);
        if (DmDB3Open(descriptor, DMDB3_MODE_READ) != 0)
            return measureFailed(std::string(methodPath) + ": the quan method cannot be opened");
        const int methodRecords = descriptor.RecordCount();
        DmDB3Close(descriptor);
        std::vector<tag_METHOD_RECORD> records(static_cast<std::size_t>(std::max(methodRecords, 0)));
        for (int i = 1; i <= methodRecords; ++i)
            if (!MethodGetRecord(method, i, records[static_cast<std::size_t>(i - 1)]))
                return measureFailed(std::string(methodPath) + ": record " + std::to_string(i) + " cannot be read");

        char listPath[1024] = {};
        if (!ConvertHxFileToPath(listPath, sizeof listPath, sampleList) || listPath[0] == '\0')
            return measureFailed("no sample list named");
        const std::string posixList = platform::toPosixPath(listPath);
        CsvTable table;
        CSampleListMem list;
        FormattedListColumns columns;
        std::string error;
        if (!readSampleListTable(posixList, sampleListFormatOf(posixList), table, error) ||
            !listFromTable(table, list, columns, error))
            return measureFailed(error);
        if (firstRow < 1 || lastRow < firstRow || lastRow > list.GetSize())
            return measureFailed(posixList + ": rows " + std::to_string(firstRow) + " to " + std::to_string(lastRow) +
                                 " are not rows of the list (1 to " + std::to_string(list.GetSize()) + ")");

        const int fileNameField = CSampleList::GetFieldIndex("FILE_NAME");
        bool everyRow = true;
        for (int row = firstRow; row <= lastRow; ++row)
        {
            const std::string raw =
                detail::rawDataPathOf(list[row - 1][fileNameField].GetString().str(), sampleList.Directory().str());
            instrument::RawData data;
            const std::string peaks = raw.empty() ? std::string() : peakDatabasePathFor(*this, raw);
            if (raw.empty() || peaks.empty() || !instrument::readRawData(platform::toPosixPath(raw), data, error))
            {
                if (everyRow)
                    measureError() = posixList + ": row " + std::to_string(row) + ": " +
                                     (raw.empty()    ? std::string("no raw data named")
                                      : peaks.empty() ? raw + ": no peak database can be named for it"
                                                      : error);
                everyRow = false;
                continue;
            }
            std::vector<tag_PEAK_RECORD> found;
            for (std::size_t i = 0; i < records.size(); ++i)
                if (auto peak = detail::measureRecord(data, records[i], static_cast<int>(i + 1)))
                    found.push_back(*peak);
            if (!writePeakDatabase(platform::toPosixPath(peaks), found, error))
            {
                if (everyRow)
                    measureError() = error;
                everyRow = false;
            }
        }
        return everyRow ? 1 : 0;
    }
    catch (const std::exception& e)
    {
        return measureFailed(e.what());
    }
    catch (...)
    {
        return measureFailed("unexpected failure");
    }
}
} // namespace kelvane
