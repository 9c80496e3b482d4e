// libFuzzer target: parses arbitrary bytes as "SAMPLE_GROUP" group expressions and splits a small
// sample list built from the input's lines into sample groups, checking what must always hold:
// labels are sorted, canonical and free of separators and empty names, and groups tile the rows.
#include "groups/Group.h"
#include "groups/GroupItemList.h"
#include "groups/SplitGroups.h"
#include "host/host.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace
{
constexpr std::string_view kSeparators = " .,:;|";
// Enough rows to form several groups; more only slows the fuzzer down.
constexpr std::size_t kMaxRows = 64;

void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant violated: %s\n", what);
        std::abort();
    }
}

std::vector<std::string> itemTexts(const CGroupItemList& list)
{
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
    {
        const CString text = list.GetNext(pos);
        out.push_back(text.str());
    }
    return out;
}

std::string labelOf(const CGroupItemList& list)
{
    const CString label = list;
    return label.str();
}

bool isBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// An independent reading of the expression syntax: trim blanks, split at every separator, drop
// empty names, upper-case a-z, sort as bytes.
std::vector<std::string> referenceNames(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    std::vector<std::string> names;
    std::string name;
    for (std::size_t i = 0; i <= text.size(); ++i)
    {
        if (i == text.size() || kSeparators.find(text[i]) != std::string_view::npos)
        {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        }
        else
        {
            const char ch = text[i];
            name += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Checks one parsed expression against the reference and the label's own rules.
void checkList(const CGroupItemList& list, std::string_view text)
{
    const std::vector<std::string> items = itemTexts(list);
    check(items == referenceNames(text), "items differ from the reference parse");
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        check(!items[i].empty(), "empty item");
        check(items[i].find_first_of(kSeparators) == std::string::npos, "separator inside an item");
        check(std::none_of(items[i].begin(), items[i].end(), [](char ch) { return ch >= 'a' && ch <= 'z'; }),
              "lower-case letter in an item");
        check(i == 0 || items[i - 1] <= items[i], "items not sorted");
        joined += (i ? " " : "") + items[i];
    }
    check(labelOf(list) == joined, "label is not the items joined by spaces");
    check(static_cast<int>(list) == (items.empty() ? 0 : 1), "int conversion disagrees with the count");

    // The label is canonical: the names in reverse order, lower-cased where possible and joined
    // by other separators parse to the same list. Separators at both ends keep the outer trim
    // from touching blanks that belong to the first or last name.
    std::string reordered = ";";
    for (auto it = items.rbegin(); it != items.rend(); ++it)
    {
        std::string name = *it;
        for (char& ch : name)
            if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch - 'A' + 'a');
        reordered += name + ",|";
    }
    const CGroupItemList again{CString(std::string_view(reordered))};
    check((again == list) == 1 && (again != list) == 0, "reordered expression gives another label");
    check(labelOf(CGroupItemList(list)) == labelOf(list), "copy changed the label");
}

// Exactly one of <, ==, > holds, and != agrees with them and is antisymmetric.
void checkComparisons(const CGroupItemList& a, const CGroupItemList& b)
{
    const int less = a < b;
    const int equal = a == b;
    const int greater = a > b;
    check(less + equal + greater == 1, "not exactly one of <, ==, >");
    check((a != b) == greater - less, "!= disagrees with < and >");
    check((a != b) == -(b != a), "!= not antisymmetric");
    check((a == CString(std::string_view(labelOf(b)))) == equal, "comparison with the label text differs");
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (lines.size() < kMaxRows)
    {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Groups must tile the rows in order, each holding its first and last row, every row in a group
// must have the group's label, and neighbouring groups must differ.
void checkGroups(const std::vector<std::string_view>& lines)
{
    CSampleList list;
    const int column = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    for (std::string_view line : lines)
    {
        const std::string cell(line);
        list[list.AddRow()][column].SetString(cell.c_str(), CKVVariant::kTypeString);
    }
    CGroupArray groups;
    check(GetGroups(groups, &list) == 1, "GetGroups failed");
    int next_row = 0;
    for (int g = 0; g < groups.GetSize(); ++g)
    {
        const CGroup& group = groups[g];
        check(group.m_Samples.GetCount() == 2, "group without exactly two rows");
        const int first = group.m_Samples.GetHead();
        const int last = group.m_Samples.GetTail();
        check(first == next_row && first <= last && last < list.GetSize(), "groups do not tile the rows");
        const CString label = group;
        for (int row = first; row <= last; ++row)
        {
            const CGroupItemList items(list[row][column].GetString());
            check(labelOf(items) == label.str(), "row label differs from its group");
        }
        check(g == 0 || (groups[g - 1] == group) == 0, "neighbouring groups share a label");
        next_row = last + 1;
    }
    check(next_row == list.GetSize(), "rows left outside every group");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CGroupItemList whole{CString(text)};
    checkList(whole, text);
    // The sample-list walk labels rows without building lists; it must agree with the list.
    groups::detail::ExpressionLabel quickLabel;
    check(CString(std::string_view(quickLabel(CString(text)))) == CString(whole), "the walk's label differs");

    const std::vector<std::string_view> lines = splitLines(text);
    const std::string_view first = lines.front();
    const std::string_view second = lines.size() > 1 ? lines[1] : std::string_view();
    const CGroupItemList a{CString(first)};
    const CGroupItemList b{CString(second)};
    checkList(a, first);
    checkList(b, second);
    checkComparisons(a, b);
    checkComparisons(a, a);

    // Adding one expression's names to another's gives the names of both.
    CGroupItemList sum(a);
    sum += b;
    CString joined = CString(first).Trim() + "," + CString(second).Trim();
    check(labelOf(sum) == labelOf(CGroupItemList(joined)), "+= differs from parsing both");
    sum = CString(second);
    check(labelOf(sum) == labelOf(b), "assignment of an expression does not replace");

    checkGroups(lines);
    return 0;
}
