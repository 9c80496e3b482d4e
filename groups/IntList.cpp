// CIntList: insertion-ordered integer list with in-place sort and duplicate trimming.
#include "groups/IntList.h"

#include <algorithm>
#include <vector>

CIntList::CIntList() = default;

CIntList::CIntList(const CIntList& other) : CList<int, int>()
{
    AddTail(&other);
}

CIntList::~CIntList() = default;

CIntList& CIntList::operator=(const CIntList& other)
{
    if (this != &other)
    {
        RemoveAll();
        AddTail(&other);
    }
    return *this;
}

void CIntList::Sort()
{
    if (GetCount() < 2)
        return;
    // The values are sorted aside and written back node by node: the nodes (and so every
    // POSITION a caller holds) stay where they are, only their values move, as with an exchange
    // sort, but without its quadratic cost on a long list.
    std::vector<int> values;
    values.reserve(static_cast<size_t>(GetCount()));
    for (POSITION pos = GetHeadPosition(); pos;)
        values.push_back(GetNext(pos));
    std::sort(values.begin(), values.end());
    size_t i = 0;
    for (POSITION pos = GetHeadPosition(); pos;)
        GetNext(pos) = values[i++];
}

void CIntList::TrimDuplicates()
{
    if (GetCount() < 2)
        return;
    POSITION pos = GetHeadPosition();
    int last_kept = GetNext(pos);
    while (pos)
    {
        const POSITION current = pos;
        const int value = GetNext(pos);
        if (value == last_kept)
            RemoveAt(current);
        else
            last_kept = value;
    }
}
