// CGroupItemList: parsing, sorting, labelling and comparing group expressions.
#include "groups/GroupItemList.h"

#include "groups/Ordinal.h"
#include "groups/SplitGroups.h"
#include "platform/Ascii.h"

#include <algorithm>
#include <vector>

using groups::detail::compareOrdinal;

namespace
{
// Exactly these six characters end a name; everything else, tab included, belongs to one.
constexpr const char* kSeparators = " .,:;|";

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}
} // namespace

CGroupItemList::CGroupItemList() = default;

CGroupItemList::CGroupItemList(const CGroupItem& item)
{
    AddTail(item);
}

CGroupItemList::CGroupItemList(const CString& expression)
{
    Parse(expression);
    Sort();
}

CGroupItemList::CGroupItemList(const CGroupItemList& other) : CList<CGroupItem, const CGroupItem&>()
{
    AddTail(other);
}

CGroupItemList::~CGroupItemList() = default;

CGroupItemList& CGroupItemList::operator=(const CGroupItemList& other)
{
    if (this != &other)
    {
        RemoveAll();
        AddTail(other);
    }
    return *this;
}

CGroupItemList& CGroupItemList::operator=(const CString& expression)
{
    RemoveAll();
    Parse(expression);
    Sort();
    return *this;
}

CGroupItemList& CGroupItemList::operator+=(const CGroupItemList& other)
{
    if (this == &other)
    {
        // Appending a list to itself must not walk the nodes it is adding.
        const CGroupItemList copy(other);
        AddTail(copy);
    }
    else
    {
        AddTail(other);
    }
    Sort();
    return *this;
}

CGroupItemList& CGroupItemList::operator+=(const CGroupItem& item)
{
    AddTail(item);
    Sort();
    return *this;
}

CGroupItemList& CGroupItemList::operator+=(const CString& expression)
{
    Parse(expression);
    Sort();
    return *this;
}

CGroupItemList::operator int() const
{
    return IsEmpty() ? 0 : 1;
}

CGroupItemList::operator const CString() const
{
    CString label;
    for (POSITION pos = GetHeadPosition(); pos;)
    {
        const CString text = GetNext(pos);
        label += text;
        if (pos)
            label += ' ';
    }
    return label;
}

int CGroupItemList::operator==(const CGroupItemList& other) const
{
    const CString other_label = other;
    return *this == other_label;
}

int CGroupItemList::operator==(const CString& text) const
{
    const CString label = *this;
    return compareOrdinal(label, text) == 0 ? 1 : 0;
}

int CGroupItemList::operator!=(const CGroupItemList& other) const
{
    const CString other_label = other;
    return *this != other_label;
}

int CGroupItemList::operator!=(const CString& text) const
{
    const CString label = *this;
    return sign(compareOrdinal(label, text));
}

int CGroupItemList::operator>(const CGroupItemList& other) const
{
    const CString other_label = other;
    return *this > other_label;
}

int CGroupItemList::operator>(const CString& text) const
{
    const CString label = *this;
    return compareOrdinal(label, text) > 0 ? 1 : 0;
}

int CGroupItemList::operator<(const CGroupItemList& other) const
{
    const CString other_label = other;
    return *this < other_label;
}

int CGroupItemList::operator<(const CString& text) const
{
    const CString label = *this;
    return compareOrdinal(label, text) < 0 ? 1 : 0;
}

int CGroupItemList::Find(const CString& text) const
{
    for (POSITION pos = GetHeadPosition(); pos;)
        if (GetNext(pos) == text)
            return 1;
    return 0;
}

POSITION CGroupItemList::AddTail(const CGroupItem& item)
{
    return CList<CGroupItem, const CGroupItem&>::AddTail(item);
}

void CGroupItemList::AddTail(const CGroupItemList& other)
{
    for (POSITION pos = other.GetHeadPosition(); pos;)
        AddTail(other.GetNext(pos));
}

void CGroupItemList::Parse(const CString& expression)
{
    CString rest = expression;
    rest.Trim();
    while (!rest.IsEmpty())
    {
        CString name = RemoveFirst(rest);
        name.MakeUpper();
        // Runs of separators leave empty names between them; they name nothing.
        if (!name.IsEmpty())
            AddTail(CGroupItem(name));
    }
}

void CGroupItemList::Sort()
{
    if (GetCount() < 2)
        return;
    // Sorted aside and written back node by node, so the nodes stay in place and only their
    // texts move. Equal texts are identical, so stability does not matter.
    std::vector<CGroupItem> items;
    items.reserve(static_cast<size_t>(GetCount()));
    for (POSITION pos = GetHeadPosition(); pos;)
        items.push_back(GetNext(pos));
    std::sort(items.begin(), items.end(), [](const CGroupItem& a, const CGroupItem& b) { return (a < b) != 0; });
    size_t i = 0;
    for (POSITION pos = GetHeadPosition(); pos;)
        GetNext(pos) = items[i++];
}

CString CGroupItemList::RemoveFirst(CString& text)
{
    const int at = text.FindOneOf(kSeparators);
    CString first;
    if (at < 0)
    {
        first = text;
        text.Empty();
    }
    else
    {
        first = text.Left(at);
        text = text.Mid(at + 1);
    }
    return first;
}

const std::string& groups::detail::ExpressionLabel::operator()(const CString& expression)
{
    // The same steps as Parse, Sort and the label: trim, split at the separators, drop empty
    // names, upper-case a-z, sort ordinally, join with single spaces.
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const std::string& text = expression.str();
    const size_t first = text.find_first_not_of(kBlanks);
    upper_.assign(first == std::string::npos ? std::string_view() : std::string_view(text).substr(first));
    upper_.resize(upper_.find_last_not_of(kBlanks) + 1);
    for (char& c : upper_)
        c = platform::detail::foldCase(c);

    names_.clear();
    const std::string_view all(upper_);
    for (size_t at = 0; at <= all.size();)
    {
        const size_t end = std::min(all.find_first_of(kSeparators, at), all.size());
        if (end > at)
            names_.push_back(all.substr(at, end - at));
        at = end + 1;
    }
    // string_view compares as unsigned char, the ordinal order of group names.
    std::sort(names_.begin(), names_.end());

    label_.clear();
    for (size_t i = 0; i < names_.size(); ++i)
    {
        if (i > 0)
            label_ += ' ';
        label_ += names_[i];
    }
    return label_;
}
