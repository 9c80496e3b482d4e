// CGroupItem: one upper-cased group name with ordinal comparisons.
#include "groups/GroupItem.h"

#include "groups/Ordinal.h"

using groups::detail::compareOrdinal;

CGroupItem::CGroupItem() = default;

CGroupItem::CGroupItem(const CGroupItem& other) : m_strText(other.m_strText)
{
}

CGroupItem::CGroupItem(const CString& text) : m_strText(text)
{
    m_strText.MakeUpper();
}

CGroupItem::~CGroupItem() = default;

CGroupItem& CGroupItem::operator=(const CGroupItem& other)
{
    m_strText = other.m_strText;
    return *this;
}

CGroupItem& CGroupItem::operator=(const CString& text)
{
    m_strText = text;
    m_strText.MakeUpper();
    return *this;
}

int CGroupItem::operator==(const CGroupItem& other) const
{
    return compareOrdinal(m_strText, other.m_strText) == 0 ? 1 : 0;
}

int CGroupItem::operator==(const CString& text) const
{
    return compareOrdinal(m_strText, text) == 0 ? 1 : 0;
}

int CGroupItem::operator>(const CGroupItem& other) const
{
    return compareOrdinal(m_strText, other.m_strText) > 0 ? 1 : 0;
}

int CGroupItem::operator>(const CString& text) const
{
    return compareOrdinal(m_strText, text) > 0 ? 1 : 0;
}

int CGroupItem::operator<(const CGroupItem& other) const
{
    return compareOrdinal(m_strText, other.m_strText) < 0 ? 1 : 0;
}

int CGroupItem::operator<(const CString& text) const
{
    return compareOrdinal(m_strText, text) < 0 ? 1 : 0;
}

CGroupItem::operator const CString() const
{
    return m_strText;
}

CGroupItem::operator int() const
{
    return m_strText.IsEmpty() ? 0 : 1;
}
