// Sample groups: runs of consecutive sample-list rows whose "SAMPLE_GROUP" cells hold the same
// group expression, and GetGroups, which splits a host sample list into them.
#pragma once

#include "groups/GroupItemList.h"
#include "groups/IntList.h"
#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/Export.h"

class CSampleListMem;

/// One sample group: its names (m_Items, sorted) and its 0-based sample-list rows (m_Samples).
/// GetGroups stores exactly the first and the last row there, both inclusive; other callers may
/// keep any rows. A group without names is the unlabelled group. Comparisons look at the names
/// only, with the results of the CGroupItemList operators.
class BRENMO_API CGroup
{
  public:
    /// No names, no rows.
    CGroup();
    /// Names parsed from the group expression and sorted; no rows.
    CGroup(const CString& expression);
    /// Names parsed from the group expression and sorted; row is the only row.
    CGroup(const CString& expression, int row);
    /// Names copied in the list's order (not re-sorted); no rows.
    CGroup(const CGroupItemList& items);
    /// Names copied in the list's order; row is the only row.
    CGroup(const CGroupItemList& items, int row);
    /// Copies of the other group's names and rows.
    CGroup(const CGroup& other);
    ~CGroup();
    /// Replaces names and rows with copies of the other's; returns *this.
    CGroup& operator=(const CGroup& other);

    /// Appends row to m_Samples, without sorting or checking for duplicates.
    void Add(int row);
    /// Removes the listed rows from m_Samples; both lists are taken to be ascending, and each
    /// listed row removes at most one equal row (so m_Samples itself empties the group).
    void RemoveFromGroup(const CIntList& rows);

    /// The label of the names; the empty text when the group has none.
    operator CString();
    operator const CString() const;

    /// As the CGroupItemList operators on the two groups' names (or this group's names and text).
    int operator==(const CGroup& other) const;
    int operator==(const CString& text) const;
    int operator!=(const CGroup& other) const;
    int operator!=(const CString& text) const;
    int operator>(const CGroup& other) const;
    int operator>(const CString& text) const;
    int operator<(const CGroup& other) const;
    int operator<(const CString& text) const;

    CGroupItemList m_Items;
    CIntList m_Samples;
};

/// The sample groups of a sample list in row order: group k covers rows after those of group
/// k-1. GetAt returns a copy of a group; ElementAt and operator[] give the group itself.
class BRENMO_API CGroupArray : public CArray<CGroup, const CGroup&>
{
  public:
    CGroupArray();
    ~CGroupArray() override;
};

/// Rebuilds groups from the "SAMPLE_GROUP" cells of list: a new group starts at row 0 and at
/// every row whose group label differs from the row before it. Returns 1; a list with no rows
/// gives no groups. A null list leaves groups empty and returns 0. When the host's field table
/// has no "SAMPLE_GROUP" field every row counts as unlabelled.
BRENMO_API int GetGroups(CGroupArray& groups, const CSampleListMem* list);
