#include "kelvane/Csv.h"

namespace kelvane
{
namespace
{
// Splits text into records of fields; tracks the line on which each record starts for messages.
class Reader
{
  public:
    explicit Reader(std::string_view text) : text_(text)
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

    /// Reads one record; false with error set on malformed input.
    bool record(std::vector<std::string>& fields, std::string& error)
    {
        fields.clear();
        const std::size_t start = pos_;
        for (;;)
        {
            std::string field;
            if (!this->field(field, error))
                return false;
            // An empty line is no record at all, unlike a line holding one quoted empty field.
            blank_ = fields.empty() && pos_ == start && (atEnd() || text_[pos_] != ',');
            fields.push_back(std::move(field));
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
    std::size_t pos_ = 0;
    int line_ = 1;
    bool blank_ = false;
};

bool needsQuotes(const std::string& field)
{
    return field.find_first_of(",\"\r\n") != std::string::npos ||
           (!field.empty() && (field.front() == ' ' || field.back() == ' ' || field.front() == '\t'));
}
} // namespace

bool parseCsv(std::string_view text, CsvTable& table, std::string& error)
{
    table = CsvTable();
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.substr(0, bom.size()) == bom)
    {
        text.remove_prefix(bom.size());
        table.byteOrderMark = true;
    }

    Reader reader(text);
    std::vector<std::string> fields;
    bool haveHeader = false;
    while (!reader.atEnd())
    {
        const int line = reader.line();
        if (!reader.record(fields, error))
            return false;
        if (reader.blank())
            continue;
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
    return true;
}

std::string formatCsv(const CsvTable& table)
{
    std::string out = table.byteOrderMark ? "\xEF\xBB\xBF" : "";
    auto writeRecord = [&out](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i)
        {
            if (i > 0)
                out += ',';
            // A lone empty field is quoted so that its line does not read back as a blank line,
            // and a first field that starts with the byte-order mark's bytes so that they do not
            // read back as a mark.
            const bool startsText = out.empty() || out == "\xEF\xBB\xBF";
            const bool looksLikeMark = startsText && std::string_view(fields[i]).starts_with("\xEF\xBB\xBF");
            if (!needsQuotes(fields[i]) && !(fields.size() == 1 && fields[i].empty()) && !looksLikeMark)
            {
                out += fields[i];
                continue;
            }
            out += '"';
            for (const char c : fields[i])
            {
                if (c == '"')
                    out += '"';
                out += c;
            }
            out += '"';
        }
        out += "\r\n";
    };
    writeRecord(table.header);
    for (const auto& row : table.rows)
        writeRecord(row);
    return out;
}
} // namespace kelvane
