// The row walk behind GetGroups with the "SAMPLE_GROUP" column given, so it can be exercised
// with a column the host's field table does not have. Internal to the groups library.
#pragma once

#include "groups/Group.h"

class CSampleListMem;

namespace groups::detail
{
/// Rebuilds groups from the cells of list in column; a column outside the rows' cells (-1 when
/// the host has no such field) reads as empty, so every row is unlabelled.
void splitGroups(CGroupArray& groups, const CSampleListMem& list, int column);
} // namespace groups::detail
