#include "kelvane/FormattedSampleList.h"

#include "kelvane/Csv.h"
#include "platform/Ascii.h"

#include <cstring>

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

// Column of the table -> field of the host's table, or -1 for a column that is not stored.
// Returns false when two columns name the same field.
bool mapColumns(const CsvTable& table, std::vector<int>& fieldOf, FormattedListColumns& columns, std::string& error)
{
    fieldOf.assign(table.header.size(), -1);
    columns = FormattedListColumns();
    std::vector<bool> seen(static_cast<size_t>(CSampleList::m_nSLFieldDefs), false);
    for (size_t c = 0; c < table.header.size(); ++c)
    {
        const std::string name = platform::detail::upperCased(trimmed(table.header[c]));
        const int field = CSampleList::GetFieldIndex(name.c_str());
        if (field < 0)
        {
            columns.unknown.push_back(table.header[c]);
            continue;
        }
        if (seen[static_cast<size_t>(field)])
        {
            error = "the column " + name + " appears twice";
            columns = FormattedListColumns();
            return false;
        }
        seen[static_cast<size_t>(field)] = true;
        fieldOf[c] = field;
        columns.fields.push_back(name);
    }
    return true;
}
} // namespace

bool listFromTable(CsvTable& table, CSampleListMem& list, FormattedListColumns& columns, std::string& error)
{
    list.RemoveAllRows();
    std::vector<int> fieldOf;
    if (!mapColumns(table, fieldOf, columns, error))
        return false;
    for (auto& record : table.rows)
    {
        CSampleListRow& row = list[list.AddRow()];
        for (size_t c = 0; c < record.size() && c < fieldOf.size(); ++c)
            if (fieldOf[c] >= 0)
                row[fieldOf[c]].SetString(record[c].c_str(), CKVVariant::kTypeString);
        std::vector<std::string>().swap(record);
    }
    table.rows.clear();
    std::string().swap(table.source);
    table.records.clear();
    return true;
}

bool mergeListIntoTable(const CSampleListMem& list, CsvTable& table, std::string& error)
{
    std::vector<int> fieldOf;
    FormattedListColumns columns;
    if (!mapColumns(table, fieldOf, columns, error))
        return false;

    std::vector<bool> present(static_cast<size_t>(CSampleList::m_nSLFieldDefs), false);
    for (const int field : fieldOf)
        if (field >= 0)
            present[static_cast<size_t>(field)] = true;
    const bool fresh = table.header.empty();
    for (int field = 0; field < CSampleList::m_nSLFieldDefs; ++field)
    {
        if (present[static_cast<size_t>(field)])
            continue;
        bool used = fresh;
        for (int r = 0; r < list.GetSize() && !used; ++r)
            used = !list[r][field].GetString().IsEmpty();
        if (!used)
            continue;
        table.header.push_back(CSampleList::m_SampleListDefinition[field].szName);
        fieldOf.push_back(field);
    }

    table.rows.resize(static_cast<size_t>(list.GetSize()));
    for (size_t r = 0; r < table.rows.size(); ++r)
    {
        std::vector<std::string>& record = table.rows[r];
        record.resize(table.header.size());
        const CSampleListRow& row = list[static_cast<int>(r)];
        for (size_t c = 0; c < record.size(); ++c)
        {
            if (fieldOf[c] < 0)
                continue;
            // The host holds a cell's text up to its first zero byte; a cell whose text the host
            // did not change keeps the bytes after it too.
            const CString& value = row[fieldOf[c]].GetString();
            if (std::strcmp(record[c].c_str(), value.GetString()) != 0)
                record[c] = value.str();
        }
    }
    return true;
}
} // namespace kelvane
