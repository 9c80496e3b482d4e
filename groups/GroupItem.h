// CGroupItem: one group name taken out of a "SAMPLE_GROUP" group expression, held upper-cased,
// with the ordinal comparisons by which group names are sorted and matched.
#pragma once

#include "platform/CString.h"
#include "platform/Export.h"

/// One group name. Text given as a plain string is stored upper-cased (a-z only); text copied
/// from another item is kept as it is. The text is never trimmed, split or checked.
/// Comparisons are ordinal (bytes as unsigned characters, a prefix sorts first) and return 1 for
/// true and 0 for false; a plain-string argument is compared exactly as given, not upper-cased.
class BRENMO_API CGroupItem
{
  public:
    /// An item with the empty text.
    CGroupItem();
    /// A copy of the other item's text, unchanged.
    CGroupItem(const CGroupItem& other);
    /// An item whose text is text upper-cased.
    CGroupItem(const CString& text);
    virtual ~CGroupItem();

    /// Copies the other item's text unchanged; returns *this.
    CGroupItem& operator=(const CGroupItem& other);
    /// Stores text upper-cased; returns *this.
    CGroupItem& operator=(const CString& text);

    /// 1 when both texts are byte for byte equal.
    int operator==(const CGroupItem& other) const;
    int operator==(const CString& text) const;
    /// 1 when this text sorts after the other.
    int operator>(const CGroupItem& other) const;
    int operator>(const CString& text) const;
    /// 1 when this text sorts before the other.
    int operator<(const CGroupItem& other) const;
    int operator<(const CString& text) const;

    /// A copy of the text.
    operator const CString() const;
    /// 1 when the text is not empty, else 0. A plain int: a const scalar
    /// result means nothing, and compilers warn about one.
    operator int() const;

  private:
    CString m_strText;
};
