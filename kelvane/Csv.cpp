#include "kelvane/Csv.h"

#include <algorithm>

namespace kelvane
{
namespace
{
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Splits text into records of fields from a given offset; tracks the line on which each record
// starts for messages, and where each record and each of its cells lie in the text.
class Reader
{
  public:
    Reader(std::string_view text, std::size_t start) : text_(text), pos_(start)
    {
    }

    bool atEnd() const
    {
        return pos_ >= text_.size();
    }
    int line() const
    {
        return line_;
    }
    /// Whether the last record read was an empty line.
    bool blank() const
    {
        return blank_;
    }
    /// The bytes of the last record read, without its line end.
    CsvRecordSpan span() const
    {
        return span_;
    }

    /// Reads one record, and into cells (when given) where each field lies; false with error set
    /// on malformed input.
    bool record(std::vector<std::string>& fields, std::vector<CsvRecordSpan>* cells, std::string& error)
    {
        fields.clear();
        if (cells)
            cells->clear();
        span_.begin = pos_;
        for (;;)
        {
            const std::size_t cellStart = pos_;
            std::string field;
            if (!this->field(field, error))
                return false;
            // An empty line is no record at all, unlike a line holding one quoted empty field.
            blank_ = fields.empty() && pos_ == span_.begin && (atEnd() || text_[pos_] != ',');
            fields.push_back(std::move(field));
            if (cells)
                cells->push_back({cellStart, pos_});
            span_.end = pos_;
            if (atEnd())
                return true;
            const char c = text_[pos_++];
            if (c == ',')
                continue;
            // A line end: CRLF, LF or a lone CR.
            if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n')
                ++pos_;
            ++line_;
            return true;
        }
    }

  private:
    bool field(std::string& out, std::string& error)
    {
        if (pos_ < text_.size() && text_[pos_] == '"')
        {
            const int startLine = line_;
            ++pos_;
            for (;;)
            {
                if (atEnd())
                {
                    error = "line " + std::to_string(startLine) + ": quoted field has no closing quote";
                    return false;
                }
                const char c = text_[pos_++];
                if (c == '"')
                {
                    if (pos_ < text_.size() && text_[pos_] == '"')
                    {
                        out += '"';
                        ++pos_;
                        continue;
                    }
                    if (!atEnd() && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n')
                    {
                        error = "line " + std::to_string(line_) + ": text after a closing quote";
                        return false;
                    }
                    return true;
                }
                if (c == '\n')
                    ++line_;
                out += c;
            }
        }
        while (!atEnd())
        {
            const char c = text_[pos_];
            if (c == ',' || c == '\r' || c == '\n')
                break;
            out += c;
            ++pos_;
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_;
    int line_ = 1;
    bool blank_ = false;
    CsvRecordSpan span_;
};

bool needsQuotes(std::string_view field)
{
    return field.find_first_of(",\"\r\n") != std::string::npos ||
           (!field.empty() && (field.front() == ' ' || field.back() == ' ' || field.front() == '\t'));
}

// Appends field, quoted when it must be or when quote asks for it. A field that starts the text
// and begins with the byte-order mark's bytes is quoted so that they do not read back as a mark.
void appendField(std::string& out, std::string_view field, bool quote)
{
    const bool startsText = out.empty() || out == kByteOrderMark;
    if (!quote && !needsQuotes(field) && !(startsText && field.starts_with(kByteOrderMark)))
    {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field)
    {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// A record whose fields all came out empty would be an empty line, which reads as no record.
void keepRecordVisible(std::string& out, std::size_t recordStart)
{
    if (out.size() == recordStart)
        out += "\"\"";
}

void appendRecord(std::string& out, const std::vector<std::string>& fields)
{
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < fields.size(); ++i)
    {
        if (i > 0)
            out += ',';
        appendField(out, fields[i], false);
    }
    keepRecordVisible(out, start);
}

// Appends the record of text at span with fields as its new content: the original bytes of every
// field that did not change, the others encoded anew.
void appendChangedRecord(std::string& out, std::string_view text, CsvRecordSpan span,
                         const std::vector<std::string>& fields)
{
    std::vector<std::string> original;
    std::vector<CsvRecordSpan> cells;
    std::string error;
    Reader reader(text, span.begin);
    reader.record(original, &cells, error); // the text parsed before, so it parses again
    const auto now = [&fields](std::size_t c) -> std::string_view {
        return c < fields.size() ? std::string_view(fields[c]) : std::string_view();
    };
    std::size_t width = original.size();
    for (std::size_t c = original.size(); c < fields.size(); ++c)
        if (!fields[c].empty())
            width = c + 1;
    bool changed = width > original.size();
    for (std::size_t c = 0; c < original.size() && !changed; ++c)
        changed = now(c) != original[c];
    if (!changed)
    {
        out += text.substr(span.begin, span.end - span.begin);
        return;
    }
    const std::size_t start = out.size();
    for (std::size_t c = 0; c < width; ++c)
    {
        if (c > 0)
            out += ',';
        if (c >= original.size())
            appendField(out, now(c), false);
        else if (now(c) == original[c])
            out += text.substr(cells[c].begin, cells[c].end - cells[c].begin);
        else
            appendField(out, now(c), cells[c].begin < text.size() && text[cells[c].begin] == '"');
    }
    keepRecordVisible(out, start);
}

// The line end the text uses after its first record; CRLF for a text of one line.
std::string_view lineEndOf(std::string_view text, std::size_t afterFirstRecord)
{
    if (text.substr(afterFirstRecord, 2) == std::string_view("\r\n"))
        return "\r\n";
    if (afterFirstRecord < text.size())
        return text.substr(afterFirstRecord, 1);
    return "\r\n";
}

std::string formatFromSource(const CsvTable& table)
{
    const std::string_view text = table.source;
    const std::vector<CsvRecordSpan>& spans = table.records;
    const std::size_t kept = std::min(spans.size(), table.rows.size() + 1);
    std::string out(text.substr(0, spans[0].begin)); // the mark and blank lines before the header
    for (std::size_t i = 0; i < kept; ++i)
    {
        appendChangedRecord(out, text, spans[i], i == 0 ? table.header : table.rows[i - 1]);
        // The line end and the blank lines up to the next record, or the end of the text.
        const std::size_t next = i + 1 < spans.size() ? spans[i + 1].begin : text.size();
        out += text.substr(spans[i].end, next - spans[i].end);
    }
    const std::string_view lineEnd = lineEndOf(text, spans[0].end);
    for (std::size_t r = kept - 1; r < table.rows.size(); ++r)
    {
        if (out.back() != '\n' && out.back() != '\r')
            out += lineEnd;
        appendRecord(out, table.rows[r]);
        out += lineEnd;
    }
    return out;
}
} // namespace

bool parseCsv(std::string_view text, CsvTable& table, std::string& error)
{
    table = CsvTable();
    table.byteOrderMark = text.starts_with(kByteOrderMark);
    Reader reader(text, table.byteOrderMark ? kByteOrderMark.size() : 0);
    std::vector<std::string> fields;
    bool haveHeader = false;
    while (!reader.atEnd())
    {
        const int line = reader.line();
        if (!reader.record(fields, nullptr, error))
            return false;
        if (reader.blank())
            continue;
        table.records.push_back(reader.span());
        if (!haveHeader)
        {
            table.header = fields;
            haveHeader = true;
            continue;
        }
        if (fields.size() > table.header.size())
        {
            for (std::size_t i = table.header.size(); i < fields.size(); ++i)
                if (!fields[i].empty())
                {
                    error = "line " + std::to_string(line) + ": " + std::to_string(fields.size()) +
                            " fields, but the header names " + std::to_string(table.header.size());
                    return false;
                }
        }
        fields.resize(table.header.size());
        table.rows.push_back(fields);
    }
    if (!haveHeader)
    {
        error = "no header row";
        return false;
    }
    table.source = text;
    return true;
}

std::string formatCsv(const CsvTable& table)
{
    if (!table.records.empty() && !table.source.empty())
    {
        std::vector<std::string> sourceHeader;
        std::string error;
        Reader reader(table.source, table.records[0].begin);
        reader.record(sourceHeader, nullptr, error);
        if (table.header.size() >= sourceHeader.size())
            return formatFromSource(table);
    }
    std::string out = table.byteOrderMark ? std::string(kByteOrderMark) : "";
    auto writeLine = [&out](const std::vector<std::string>& fields) {
        appendRecord(out, fields);
        out += "\r\n";
    };
    writeLine(table.header);
    for (const auto& row : table.rows)
        writeLine(row);
    return out;
}
} // namespace kelvane
