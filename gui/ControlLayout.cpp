#include "gui/ControlLayout.h"

#include "platform/Dialog.h"

#include <cctype>

namespace gui
{
namespace
{
using platform::ControlKind;
using platform::DialogControl;

// Labels this short ("m&ax", "4", "]", "&2") read as part of the row before them: the next
// value of a range, a subscript, a closing bracket, the number of a user mass.
constexpr size_t kShortLabel = 4;
// A set of radio buttons lies on one row when it is this small and its labels this short
// ("+ve", "-ve", "&both"); longer choices read better one under the other.
constexpr size_t kRadiosOnOneRow = 4;
constexpr size_t kShortRadioLabel = 6;

bool hasOwnLabel(const DialogControl& control)
{
    return roleOf(control) == Role::kField && !control.label.empty();
}

bool isShort(const DialogControl& control)
{
    return platform::plainLabel(control.label).size() <= kShortLabel;
}

// The buttons that end a dialog sit together, apart from the fields above them.
bool isDialogCommand(const DialogControl& control)
{
    return control.kind == ControlKind::kPushButton && (control.id == IDOK || control.id == IDCANCEL);
}

bool canTakeFocus(Role role)
{
    return role == Role::kField || role == Role::kButton || role == Role::kCheck || role == Role::kRadio;
}

// Whether control i continues the row: see the header for the rules in words.
bool joins(const std::vector<DialogControl>& controls, const Row& row, size_t i)
{
    if (row.controls.empty())
        return false;
    const DialogControl& control = controls[i];
    const DialogControl& first = controls[row.controls.front()];
    const Role last = roleOf(controls[row.controls.back()]);
    if (isDialogCommand(control) || isDialogCommand(first))
        return isDialogCommand(control) && isDialogCommand(first);
    switch (roleOf(control))
    {
    case Role::kField:
        return hasOwnLabel(control) ? isShort(control) && last == Role::kField : true;
    case Role::kButton:
        return true;
    case Role::kLabel:
        return isShort(control) && last != Role::kIcon;
    case Role::kCheck:
        return row.controls.size() == 1 && roleOf(first) == Role::kIcon;
    default:
        return false;
    }
}

// The box each control sits in: the template index of its group box, or -1. A chain of boxes that
// loops back on itself is not a nesting anyone can draw, so its members sit in the dialog.
std::vector<int> boxesOf(const std::vector<DialogControl>& controls)
{
    std::map<int, size_t> groupById;
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].kind == ControlKind::kGroupBox && controls[i].id > 0)
            groupById.emplace(controls[i].id, i);
    std::vector<int> parents(controls.size(), -1);
    for (size_t i = 0; i < controls.size(); ++i)
    {
        const auto found = controls[i].groupBox > 0 ? groupById.find(controls[i].groupBox) : groupById.end();
        if (found != groupById.end() && found->second != i)
            parents[i] = static_cast<int>(found->second);
    }
    std::vector<int> drawn = parents;
    for (size_t i = 0; i < controls.size(); ++i)
    {
        int at = parents[i];
        for (size_t steps = 0; at >= 0 && steps <= controls.size(); ++steps)
            at = parents[static_cast<size_t>(at)];
        if (at >= 0)
            drawn[i] = -1;
    }
    return drawn;
}

std::vector<Row> rowsOf(const std::vector<DialogControl>& controls, const std::vector<size_t>& members)
{
    std::vector<Row> rows;
    Row current;
    const auto close = [&] {
        if (!current.controls.empty())
            rows.push_back(current);
        current = Row{};
    };
    for (size_t m = 0; m < members.size(); ++m)
    {
        const size_t i = members[m];
        const Role role = roleOf(controls[i]);
        if (role == Role::kGroup)
        {
            close();
            rows.push_back(Row{{i}, false, true});
            continue;
        }
        if (role == Role::kRadio)
        {
            close();
            size_t end = m + 1;
            while (end < members.size() && roleOf(controls[members[end]]) == Role::kRadio &&
                   !controls[members[end]].startsGroup)
                ++end;
            bool together = end - m <= kRadiosOnOneRow;
            for (size_t r = m; r < end; ++r)
                together = together && platform::plainLabel(controls[members[r]].label).size() <= kShortRadioLabel;
            for (size_t r = m; r < end; ++r)
            {
                current.controls.push_back(members[r]);
                if (!together)
                    close();
            }
            close();
            m = end - 1;
            continue;
        }
        if (!joins(controls, current, i))
            close();
        current.controls.push_back(i);
    }
    close();
    for (Row& row : rows)
    {
        if (row.nested)
            continue;
        const DialogControl& first = controls[row.controls.front()];
        const Role role = roleOf(first);
        row.labelColumn = hasOwnLabel(first) || (row.controls.size() >= 2 &&
                                                 (role == Role::kLabel || role == Role::kIcon || role == Role::kCheck));
    }
    return rows;
}
} // namespace

bool isIconName(std::string_view label)
{
    constexpr std::string_view suffix = "ICON";
    if (label.size() <= suffix.size() || label.substr(label.size() - suffix.size()) != suffix)
        return false;
    for (const char c : label)
        if (!std::isupper(static_cast<unsigned char>(c)) && !std::isdigit(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

Role roleOf(const platform::DialogControl& control)
{
    switch (control.kind)
    {
    case ControlKind::kEdit:
    case ControlKind::kReadOnlyEdit:
    case ControlKind::kDropDownList:
        return Role::kField;
    case ControlKind::kPushButton:
        return Role::kButton;
    case ControlKind::kCheckBox:
        return Role::kCheck;
    case ControlKind::kRadioButton:
        return Role::kRadio;
    case ControlKind::kGroupBox:
        return Role::kGroup;
    case ControlKind::kStaticText:
        break;
    }
    return isIconName(control.label) ? Role::kIcon : Role::kLabel;
}

LayoutPlan planLayout(const std::vector<platform::DialogControl>& controls)
{
    LayoutPlan plan;
    const std::vector<int> parents = boxesOf(controls);
    std::map<int, std::vector<size_t>> members;
    members[-1];
    for (size_t i = 0; i < controls.size(); ++i)
    {
        members[parents[i]].push_back(i);
        if (controls[i].kind == ControlKind::kGroupBox)
            members[static_cast<int>(i)];
    }
    for (const auto& [box, inside] : members)
        plan.boxes[box] = rowsOf(controls, inside);

    plan.buddies.assign(controls.size(), -1);
    for (size_t i = 0; i < controls.size(); ++i)
    {
        const Role role = roleOf(controls[i]);
        if (hasOwnLabel(controls[i]))
            plan.buddies[i] = static_cast<int>(i);
        else if (role == Role::kLabel)
            for (size_t next = i + 1; next < controls.size(); ++next)
                if (canTakeFocus(roleOf(controls[next])))
                {
                    plan.buddies[i] = static_cast<int>(next);
                    break;
                }
    }
    return plan;
}
} // namespace gui
