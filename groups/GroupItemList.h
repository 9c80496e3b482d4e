// CGroupItemList: a parsed "SAMPLE_GROUP" group expression. Names are split at any of " .,:;|",
// upper-cased and sorted, so cells naming the same groups in any order, case or punctuation
// give equal lists and the same label.
#pragma once

#include "groups/GroupItem.h"
#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/Export.h"

/// The names of a group expression as a list of items, kept in ascending ordinal order after
/// every public operation that parses or adds items; repeated names stay as separate items.
/// The label (the string form) is the items' texts joined by single spaces: the canonical text
/// of the expression, on which every comparison is made. Comparisons return ints.
class BRENMO_API CGroupItemList : public CList<CGroupItem, const CGroupItem&>
{
  public:
    /// An empty list.
    CGroupItemList();
    /// A list of that one item, text unchanged.
    CGroupItemList(const CGroupItem& item);
    /// The names of the group expression, sorted; an empty or all-separator text gives no items.
    CGroupItemList(const CString& expression);
    /// Copies of the other list's items in its order (not re-sorted).
    CGroupItemList(const CGroupItemList& other);
    ~CGroupItemList() override;

    /// Replaces the items with copies of the other's, in its order (not re-sorted); returns *this.
    CGroupItemList& operator=(const CGroupItemList& other);
    /// Replaces the items with the names of the group expression, sorted; returns *this.
    CGroupItemList& operator=(const CString& expression);
    /// Appends copies of the other list's items, then sorts; returns *this.
    CGroupItemList& operator+=(const CGroupItemList& other);
    /// Appends a copy of the item, then sorts; returns *this.
    CGroupItemList& operator+=(const CGroupItem& item);
    /// Appends the names of the group expression, then sorts; returns *this.
    CGroupItemList& operator+=(const CString& expression);

    /// 1 when the list has at least one item, else 0. A plain int: a const scalar
    /// result means nothing, and compilers warn about one.
    operator int() const;
    /// The label: the items' texts in list order joined by single spaces; empty for no items.
    operator const CString() const;

    /// 1 when this label equals the other label (or the given text) byte for byte.
    int operator==(const CGroupItemList& other) const;
    int operator==(const CString& text) const;
    /// 0 when equal as for ==; otherwise -1 when this label sorts before the other text and +1
    /// when after (so the result is true whenever the two differ).
    int operator!=(const CGroupItemList& other) const;
    int operator!=(const CString& text) const;
    /// 1 when this label sorts after the other text.
    int operator>(const CGroupItemList& other) const;
    int operator>(const CString& text) const;
    /// 1 when this label sorts before the other text.
    int operator<(const CGroupItemList& other) const;
    int operator<(const CString& text) const;

    /// 1 when some item's text equals text byte for byte (text is not upper-cased), else 0.
    int Find(const CString& text) const;

  protected:
    /// Appends a copy of the item, text unchanged; returns its position.
    POSITION AddTail(const CGroupItem& item);
    /// Appends copies of the other list's items in order.
    void AddTail(const CGroupItemList& other);
    /// Appends the upper-cased names of the group expression at the tail, unsorted.
    void Parse(const CString& expression);
    /// Sorts the items ascending by text (ordinal); equal texts end up side by side.
    void Sort();

  private:
    /// Cuts the first name off text: the characters before the first separator (possibly none),
    /// leaving text as what follows that separator, or the whole text when it has none.
    CString RemoveFirst(CString& text);
};
