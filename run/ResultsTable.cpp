#include "run/ResultsTable.h"

#include "platform/SafeText.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

namespace tessaly
{
namespace
{
// The columns every table has, in the order the writer puts them.
enum Column : std::size_t
{
    kCompound,
    kStatus,
    kParentMz,
    kDaughterMz,
    kConeVoltage,
    kCollisionEnergy,
    kResponse,
    kIonMode,
    kPolarity,
    kColumnCount,
};
constexpr std::array<std::string_view, kColumnCount> kColumnNames = {
    "compound",         "status",   "parent_mz", "daughter_mz", "cone_voltage",
    "collision_energy", "response", "ion_mode",  "polarity",
};

constexpr const char* kMzFormat = "%.3f";
constexpr const char* kResponseFormat = "%.6g";
// The host keeps the response in a float; beyond this it would not hold it.
constexpr double kMaxResponse = std::numeric_limits<float>::max();

// The engine's ion-source and polarity texts. They are spelled out here rather than taken from
// the engine's tables because the fuzz target compiles this file without the engine.
constexpr std::array<std::string_view, 2> kIonModeTexts = {"ESP", "APcI"};
constexpr std::array<std::string_view, 2> kPolarityTexts = {"+", "-"};

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// A name or edge text as the table holds it: control characters (which would break its lines) as
// spaces, and guarded against spreadsheets. The other cells are numbers and the table's own words,
// which need no guard (and the polarity "-" must stay as it is).
std::string textCell(std::string text)
{
    for (char& c : text)
        if (isControl(c))
            c = ' ';
    return platform::neutralisedCell(text);
}

// A cell's text as a message quotes it: control characters shown as '?' so the message stays one
// line, and a long text cut, so a stray megabyte does not become the message.
std::string quoted(std::string_view cell)
{
    constexpr std::size_t kShown = 40;
    std::string text = "\"";
    for (const char c : cell.substr(0, kShown))
        text += isControl(c) ? '?' : c;
    return text + (cell.size() > kShown ? "...\"" : "\"");
}

// The cells of one line between tabs, blanks around each removed.
std::vector<std::string_view> splitCells(std::string_view line)
{
    std::vector<std::string_view> cells;
    for (std::size_t start = 0;;)
    {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(
            trimBlanks(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
        if (tab == std::string_view::npos)
            return cells;
        start = tab + 1;
    }
}

// A number as C's printf writes it with format ("%.3f" of the largest double is 309 digits, a
// point and three decimals, well inside the buffer).
std::string formatted(double value, const char* format)
{
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The whole cell as a finite number, in the C locale whatever the process's locale.
bool parseNumber(std::string_view cell, double& value)
{
    const char* end = cell.data() + cell.size();
    const auto [stop, ec] = std::from_chars(cell.data(), end, value);
    return !cell.empty() && ec == std::errc() && stop == end && std::isfinite(value);
}

bool parseWhole(std::string_view cell, int& value)
{
    const char* end = cell.data() + cell.size();
    const auto [stop, ec] = std::from_chars(cell.data(), end, value);
    return !cell.empty() && ec == std::errc() && stop == end;
}

// value as the table's text holds it: written with format and read back, so that writing a
// row read from a table changes nothing. Adding 0 turns "-0" into 0.
double asWritten(double value, const char* format)
{
    const std::string text = formatted(value, format);
    double back = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    return back + 0.0;
}

// An m/z cell: a number still above 0 at the table's precision.
bool readMz(std::string_view cell, double& mz)
{
    if (!parseNumber(cell, mz))
        return false;
    mz = asWritten(mz, kMzFormat);
    return mz > 0.0;
}

bool readResponse(std::string_view cell, double& response)
{
    if (!parseNumber(cell, response) || response < 0.0)
        return false;
    response = asWritten(response, kResponseFormat);
    return response <= kMaxResponse;
}

std::string tooLarge(const std::string& name, std::uintmax_t bytes)
{
    return name + ": " + std::to_string(bytes) + " bytes, more than the 64 MiB a results table may hold";
}

// Index of cell in texts, or -1.
template <std::size_t N> int indexOf(const std::array<std::string_view, N>& texts, std::string_view cell)
{
    for (std::size_t i = 0; i < N; ++i)
        if (texts[i] == cell)
            return static_cast<int>(i);
    return -1;
}

// Reads the cells of one row into row; returns the empty text or what is wrong, naming the column.
std::string readRow(const std::vector<std::string_view>& cells, const std::array<std::size_t, kColumnCount>& at,
                    ResultRow& row)
{
    const auto cell = [&](Column c) { return cells[at[c]]; };
    // Appended to a string built first: g++ 12 at -O2 warns falsely on "literal" + std::string&&.
    const auto bad = [&](Column c, std::string_view expected) {
        return std::string("\"").append(kColumnNames[c]).append("\" is ").append(quoted(cell(c))).append(", ").append(expected);
    };

    if (cell(kCompound).empty())
        return "\"compound\" is empty";
    for (const char c : cell(kCompound))
        if (isControl(c))
            return "\"compound\" holds a control character";
    row.compound = platform::restoredCell(cell(kCompound));
    if (cell(kStatus) == "failed")
        return "";
    if (cell(kStatus) != "ok")
        return bad(kStatus, "not ok or failed");
    row.ok = true;

    if (!readMz(cell(kParentMz), row.parentMz))
        return bad(kParentMz, "not a number above 0");
    if (!cell(kDaughterMz).empty() && !readMz(cell(kDaughterMz), row.daughterMz))
        return bad(kDaughterMz, "not empty or a number above 0");
    if (!parseWhole(cell(kConeVoltage), row.coneVoltage))
        return bad(kConeVoltage, "not a whole number");
    if (!parseWhole(cell(kCollisionEnergy), row.collisionEnergy))
        return bad(kCollisionEnergy, "not a whole number");
    if (!readResponse(cell(kResponse), row.response))
        return bad(kResponse, "not a number from 0 to " + formatted(kMaxResponse, kResponseFormat));
    const int mode = indexOf(kIonModeTexts, cell(kIonMode));
    if (mode < 0)
        return bad(kIonMode, "not ESP or APcI");
    row.ionMode = static_cast<tag_IONMODE>(mode);
    const int polarity = indexOf(kPolarityTexts, cell(kPolarity));
    if (polarity < 0)
        return bad(kPolarity, "not + or -");
    row.polarity = static_cast<tag_IONMODEOPT>(polarity);
    return "";
}
} // namespace

bool readResultsTable(std::string_view text, const std::string& name, ResultsTable& table, std::string& error)
{
    table = {};
    if (text.size() > kMaxResultsTableBytes)
    {
        error = tooLarge(name, text.size());
        return false;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    std::array<std::size_t, kColumnCount> at{};
    std::size_t headerCells = 0; // 0 until the header is read
    int line = 0;
    for (std::size_t start = 0; start < text.size();)
    {
        const std::size_t newline = std::min(text.find('\n', start), text.size());
        std::string_view content = text.substr(start, newline - start);
        start = newline + 1;
        ++line;
        if (!content.empty() && content.back() == '\r')
            content.remove_suffix(1);
        if (content.find_first_not_of(" \t") == std::string_view::npos)
            continue;

        const auto fail = [&](const std::string& what) {
            error = name + ":" + std::to_string(line) + ": " + what;
            return false;
        };
        const std::vector<std::string_view> cells = splitCells(content);
        if (headerCells == 0)
        {
            std::array<bool, kColumnCount> seen{};
            for (std::size_t i = 0; i < cells.size(); ++i)
            {
                const int column = indexOf(kColumnNames, cells[i]);
                if (column < 0)
                    continue;
                if (seen[column])
                    return fail(std::string("\"").append(cells[i]).append("\" names two columns of the header"));
                seen[column] = true;
                at[column] = i;
            }
            for (std::size_t c = 0; c < kColumnCount; ++c)
                if (!seen[c])
                    return fail("no \"" + std::string(kColumnNames[c]) + "\" column in the header");
            headerCells = cells.size();
            continue;
        }
        if (cells.size() != headerCells)
            return fail(std::to_string(cells.size()) + " cells, but the header has " + std::to_string(headerCells));
        ResultRow row;
        if (const std::string wrong = readRow(cells, at, row); !wrong.empty())
            return fail(wrong);
        table.rows.push_back(std::move(row));
        table.lines.push_back(line);
    }
    if (headerCells == 0)
    {
        error = name + ": no header row; expected one naming the columns";
        return false;
    }
    return true;
}

bool readResultsTableFile(const std::string& path, ResultsTable& table, std::string& error)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxResultsTableBytes)
    {
        error = tooLarge(path, size);
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = path + ": cannot be read (" + (errno ? std::strerror(errno) : "no reason given") + ")";
        return false;
    }
    // Read at most one byte past the limit: the file may have grown since its size was taken.
    std::string text(kMaxResultsTableBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad())
    {
        error = path + ": cannot be read";
        return false;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return readResultsTable(text, path, table, error);
}

std::string writeResultsTable(const std::vector<ResultRow>& rows, const std::vector<std::string>& atEdge)
{
    assert(atEdge.empty() || atEdge.size() == rows.size());
    std::string text;
    for (const std::string_view column : kColumnNames)
        text.append(column).append(column == kColumnNames.back() ? "" : "\t");
    text += atEdge.empty() ? "\n" : "\tat_edge\n";
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        const ResultRow& row = rows[i];
        std::vector<std::string> cells(kColumnCount);
        cells[kCompound] = textCell(row.compound);
        cells[kStatus] = row.ok ? "ok" : "failed";
        if (row.ok)
        {
            cells[kParentMz] = formatted(row.parentMz, kMzFormat);
            cells[kDaughterMz] = row.daughterMz > 0.0 ? formatted(row.daughterMz, kMzFormat) : "";
            cells[kConeVoltage] = std::to_string(row.coneVoltage);
            cells[kCollisionEnergy] = std::to_string(row.collisionEnergy);
            cells[kResponse] = formatted(row.response, kResponseFormat);
            cells[kIonMode] = kIonModeTexts[row.ionMode == IONMODE_APCI ? 1 : 0];
            cells[kPolarity] = kPolarityTexts[row.polarity == IONMODEOPT_NEGATIVE ? 1 : 0];
        }
        if (!atEdge.empty())
            cells.push_back(textCell(row.ok ? atEdge[i] : ""));
        for (std::size_t c = 0; c < cells.size(); ++c)
            text.append(c ? "\t" : "").append(cells[c]);
        text += '\n';
    }
    return text;
}
} // namespace tessaly
