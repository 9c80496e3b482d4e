#include "kelvane/FormattedSampleList.h"

#include "kelvane/Csv.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kelvane
{
namespace
{
std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool readWholeFile(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
    {
        error = path + ": read error";
        return false;
    }
    text = buffer.str();
    return true;
}
} // namespace

bool readFormattedSampleList(const std::string& posixPath, CSampleListMem& list, FormattedListColumns& columns,
                             std::string& error)
{
    list.RemoveAllRows();
    columns = FormattedListColumns();

    std::string text;
    if (!readWholeFile(posixPath, text, error))
        return false;
    CsvTable table;
    if (!parseCsv(text, table, error))
    {
        error = posixPath + ": " + error;
        return false;
    }

    // Column of the file -> field of the host's table, or -1 for a column that is not stored.
    std::vector<int> fieldOf(table.header.size(), -1);
    std::vector<bool> seen(static_cast<size_t>(CSampleList::m_nSLFieldDefs), false);
    for (size_t c = 0; c < table.header.size(); ++c)
    {
        const std::string name = upper(trimmed(table.header[c]));
        const int field = CSampleList::GetFieldIndex(name.c_str());
        if (field < 0)
        {
            columns.unknown.push_back(table.header[c]);
            continue;
        }
        if (seen[static_cast<size_t>(field)])
        {
            error = posixPath + ": the column " + name + " appears twice";
            columns = FormattedListColumns();
            return false;
        }
        seen[static_cast<size_t>(field)] = true;
        fieldOf[c] = field;
        columns.fields.push_back(name);
    }

    for (const auto& record : table.rows)
    {
        CSampleListRow& row = list[list.AddRow()];
        for (size_t c = 0; c < record.size(); ++c)
            if (fieldOf[c] >= 0)
                row[fieldOf[c]].SetString(record[c].c_str(), CKVVariant::kTypeString);
    }
    return true;
}
} // namespace kelvane
