// CGroup, CGroupArray and GetGroups: the sample groups of a host sample list.
#include "groups/Group.h"

#include "groups/SplitGroups.h"
#include "host/host.h"

CGroup::CGroup() = default;

CGroup::CGroup(const CString& expression) : m_Items(expression)
{
}

CGroup::CGroup(const CString& expression, int row) : m_Items(expression)
{
    m_Samples.AddTail(row);
}

CGroup::CGroup(const CGroupItemList& items) : m_Items(items)
{
}

CGroup::CGroup(const CGroupItemList& items, int row) : m_Items(items)
{
    m_Samples.AddTail(row);
}

CGroup::CGroup(const CGroup& other) : m_Items(other.m_Items), m_Samples(other.m_Samples)
{
}

CGroup::~CGroup() = default;

CGroup& CGroup::operator=(const CGroup& other)
{
    m_Items = other.m_Items;
    m_Samples = other.m_Samples;
    return *this;
}

void CGroup::Add(int row)
{
    m_Samples.AddTail(row);
}

void CGroup::RemoveFromGroup(const CIntList& rows)
{
    // The group's own rows, listed: each removes itself. Walking them while freeing their nodes
    // would step from a freed node.
    if (&rows == &m_Samples)
    {
        m_Samples.RemoveAll();
        return;
    }
    POSITION listed = rows.GetHeadPosition();
    POSITION member = m_Samples.GetHeadPosition();
    while (listed && member)
    {
        const int listed_row = rows.GetAt(listed);
        const int member_row = m_Samples.GetAt(member);
        if (listed_row < member_row)
        {
            rows.GetNext(listed);
        }
        else if (listed_row > member_row)
        {
            m_Samples.GetNext(member);
        }
        else
        {
            // Step past the node before it is freed.
            const POSITION matched = member;
            m_Samples.GetNext(member);
            m_Samples.RemoveAt(matched);
            rows.GetNext(listed);
        }
    }
}

CGroup::operator CString()
{
    const CString label = m_Items;
    return label;
}

CGroup::operator const CString() const
{
    const CString label = m_Items;
    return label;
}

int CGroup::operator==(const CGroup& other) const
{
    return m_Items == other.m_Items;
}

int CGroup::operator==(const CString& text) const
{
    return m_Items == text;
}

int CGroup::operator!=(const CGroup& other) const
{
    return m_Items != other.m_Items;
}

int CGroup::operator!=(const CString& text) const
{
    return m_Items != text;
}

int CGroup::operator>(const CGroup& other) const
{
    return m_Items > other.m_Items;
}

int CGroup::operator>(const CString& text) const
{
    return m_Items > text;
}

int CGroup::operator<(const CGroup& other) const
{
    return m_Items < other.m_Items;
}

int CGroup::operator<(const CString& text) const
{
    return m_Items < text;
}

CGroupArray::CGroupArray() = default;

CGroupArray::~CGroupArray() = default;

namespace
{
// The host's column of "SAMPLE_GROUP", looked up on the first call and kept for the life of the
// library: the host's field table does not change while the library is loaded.
int sampleGroupColumn()
{
    static const int column = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    return column;
}

// The expression of a row. A column the row does not have (the host reports -1 for a field it
// does not know) reads as the empty text, which puts the row in the unlabelled group.
const CString& rowExpression(const CSampleListMem& list, int row, int column)
{
    static const CString empty;
    const CSampleListRow& cells = list[row];
    if (column < 0 || column >= cells.GetSize())
        return empty;
    return cells[column].GetString();
}
} // namespace

using groups::detail::ExpressionLabel;

void groups::detail::splitGroups(CGroupArray& groups, const CSampleListMem& list, int column)
{
    groups.RemoveAll();
    const int rows = list.GetSize();
    if (rows < 1)
        return;

    // Each row is compared with the row before it only, through the label of the group it
    // started or joined; keeping that label avoids rebuilding it for every row.
    ExpressionLabel labelOf;
    std::string previous_label;
    const CString* previous_text = nullptr;
    for (int row = 0; row < rows; ++row)
    {
        // Equal texts parse to equal labels, so a row that repeats the text of the row before it
        // joins that row's group without being looked at further; long runs of one text are the
        // usual case.
        const CString& text = rowExpression(list, row, column);
        const bool repeats = previous_text && text == *previous_text;
        previous_text = &text;
        if (repeats)
            continue;
        const std::string& label = labelOf(text);
        if (row > 0 && label == previous_label)
            continue;
        if (groups.GetSize() > 0)
        {
            CGroup& last = groups.ElementAt(groups.GetUpperBound());
            if (last.m_Samples.GetCount() < 2)
                last.Add(row - 1);
        }
        // Built in place: parsing straight into the new element saves a copy of its lists.
        const int index = groups.GetSize();
        groups.SetSize(index + 1);
        CGroup& group = groups.ElementAt(index);
        group.m_Items = text;
        group.m_Samples.AddTail(row);
        previous_label = label;
    }
    CGroup& last = groups.ElementAt(groups.GetUpperBound());
    if (last.m_Samples.GetCount() < 2)
        last.Add(rows - 1);
}

int GetGroups(CGroupArray& groups, const CSampleListMem* list)
{
    const int column = sampleGroupColumn();
    if (!list)
    {
        // No list is a caller's fault, not a list without rows: leave no stale groups behind
        // and say it failed.
        groups.RemoveAll();
        return 0;
    }
    groups::detail::splitGroups(groups, *list, column);
    return 1;
}
