// libFuzzer target: parses arbitrary bytes as "SAMPLE_GROUP" group expressions and splits a small
// sample list built from the input's lines into sample groups, checking what must always hold:
// labels are sorted, canonical and free of separators and empty names, and groups tile the rows.
#include "groups/Group.h"
#include "groups/GroupItemList.h"
#include "groups/SplitGroups.h"
#include "host/host.h"
#include "platform/Ascii.h"

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

std::string labelOf(const CGroupItemList& list)
{
    const CString label = list;
    return label.str();
}

// Checks one parsed expression against the walk's own labelling and the label's rules.
void checkList(const CGroupItemList& list, std::string_view text)
{
    // The sample-list walk labels rows without building lists; it must agree with the parser.
    groups::detail::ExpressionLabel quickLabel;
    check(quickLabel(CString(text)) == labelOf(list), "the walk's label differs from the parser's");
    std::string joined, previous, reordered = ";";
    for (POSITION pos = list.GetHeadPosition(); pos;)
    {
        const std::string item = CString(list.GetNext(pos)).str();
        check(!item.empty() && item.find_first_of(" .,:;|") == std::string::npos, "empty item or separator in one");
        check(std::none_of(item.begin(), item.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; }), "lower case");
        check(joined.empty() || previous <= item, "items not sorted");
        joined += (joined.empty() ? "" : " ") + item;
        previous = item;
        // The label is canonical: the names in reverse order, lower-cased and joined by other
        // separators parse to the same list. Separators at both ends keep the outer trim from
        // touching blanks that belong to the first or last name.
        std::string lower = item;
        std::transform(lower.begin(), lower.end(), lower.begin(), platform::detail::lowerCase);
        reordered.insert(1, lower + ",|");
    }
    check(labelOf(list) == joined, "label is not the items joined by spaces");
    check(static_cast<int>(list) == (joined.empty() ? 0 : 1), "int conversion disagrees with the count");
    const CGroupItemList again{CString(std::string_view(reordered))};
    check((again == list) == 1 && (again != list) == 0, "reordered expression gives another label");
}

// Exactly one of <, ==, > holds, and != agrees with them and is antisymmetric.
void checkComparisons(const CGroupItemList& a, const CGroupItemList& b)
{
    const int less = a < b, equal = a == b, greater = a > b;
    check(less + equal + greater == 1, "not exactly one of <, ==, >");
    check((a != b) == greater - less && (a != b) == -(b != a), "!= disagrees with < and > or is not antisymmetric");
    check((a == CString(std::string_view(labelOf(b)))) == equal, "comparison with the label text differs");
}

// Groups must tile the rows in order, each holding its first and last row, every row in a group
// must have the group's label, and neighbouring groups must differ.
void checkGroups(const std::vector<std::string_view>& lines)
{
    CSampleList list;
    const int column = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    for (std::string_view line : lines)
        list[list.AddRow()][column].SetString(std::string(line).c_str(), CKVVariant::kTypeString);
    CGroupArray groups;
    check(GetGroups(groups, &list) == 1, "GetGroups failed");
    int next_row = 0;
    for (int g = 0; g < groups.GetSize(); ++g)
    {
        const CGroup& group = groups[g];
        const int first = group.m_Samples.GetHead(), last = group.m_Samples.GetTail();
        check(group.m_Samples.GetCount() == 2 && first == next_row && first <= last && last < list.GetSize(),
              "groups do not tile the rows with their first and last row");
        const CString label = group;
        for (int row = first; row <= last; ++row)
            check(labelOf(CGroupItemList(list[row][column].GetString())) == label.str(), "row label differs");
        check(g == 0 || (groups[g - 1] == group) == 0, "neighbouring groups share a label");
        next_row = last + 1;
    }
    check(next_row == list.GetSize(), "rows left outside every group");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkList(CGroupItemList(CString(text)), text);

    std::vector<std::string_view> lines;
    for (std::string_view rest = text; lines.size() < kMaxRows;)
    {
        const std::size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    const std::string_view second = lines.size() > 1 ? lines[1] : std::string_view();
    const CGroupItemList a{CString(lines.front())}, b{CString(second)};
    checkList(a, lines.front());
    checkList(b, second);
    checkComparisons(a, b);
    checkComparisons(a, a);

    // Adding one expression's names to another's gives the names of both, and assigning an
    // expression replaces them.
    CGroupItemList sum(a);
    sum += b;
    check(labelOf(sum) == labelOf(CGroupItemList(CString(lines.front()).Trim() + "," + CString(second).Trim())),
          "+= differs from parsing both");
    sum = CString(second);
    check(labelOf(sum) == labelOf(b), "assignment of an expression does not replace");

    checkGroups(lines);
    return 0;
}
