// CIntList: the ordered list of signed integers in which sample groups keep their 0-based
// sample-list rows. Exported so the host can build and inspect the rows of a group itself.
#pragma once

#include "platform/Collections.h"
#include "platform/Export.h"

/// A doubly-linked list of ints kept in insertion order until Sort is called. Duplicates are
/// allowed until TrimDuplicates removes adjacent repeats.
class BRENMO_API CIntList : public CList<int, int>
{
  public:
    /// An empty list.
    CIntList();
    /// A list holding copies of the other list's values in the same order.
    CIntList(const CIntList& other);
    ~CIntList() override;
    /// Replaces every value with copies of the other list's values, in order; returns *this.
    CIntList& operator=(const CIntList& other);

    /// Sorts the values ascending (signed order); nodes stay in place, only values move.
    void Sort();
    /// Removes each value equal to the last value kept before it, so a sorted list keeps every
    /// value once while an unsorted one only loses runs of adjacent repeats.
    void TrimDuplicates();
};
