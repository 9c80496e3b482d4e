// The row walk behind GetGroups with the "SAMPLE_GROUP" column given, so it can be exercised
// with a column the host's field table does not have. Internal to the groups library.
#pragma once

#include "groups/Group.h"

#include <string>
#include <string_view>
#include <vector>

class CSampleListMem;

namespace groups::detail
{
/// The label of a group expression, exactly as CGroupItemList(expression) gives it, computed
/// without building the list. The row walk compares every row's label with the one before and
/// builds a group only where a new one starts, so this keeps a long list free of per-row
/// allocations. The returned text is valid until the next call.
class ExpressionLabel
{
  public:
    const std::string& operator()(const CString& expression);

  private:
    std::string upper_;
    std::vector<std::string_view> names_;
    std::string label_;
};

/// Rebuilds groups from the cells of list in column; a column outside the rows' cells (-1 when
/// the host has no such field) reads as empty, so every row is unlabelled.
void splitGroups(CGroupArray& groups, const CSampleListMem& list, int column);
} // namespace groups::detail
