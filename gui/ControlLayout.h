// Where the controls of a dialog template go on screen. Templates list controls in tab order with
// no coordinates, so the arrangement is derived from that order: group boxes hold the controls
// that name them, a label shares a row with what it labels, a field with the buttons after it.
// The plan is plain data, so its rules are tested without a window system.
#pragma once

#include "platform/DialogTemplate.h"

#include <map>
#include <string_view>
#include <vector>

namespace gui
{
/// What a control is for the arrangement.
enum class Role
{
    kLabel,  // static text
    kIcon,   // static text naming an icon resource ("QUANTIFYICON"), shown as an image
    kField,  // edit, read-only edit or drop-down list
    kButton, // push button
    kCheck,  // check box
    kRadio,  // radio button
    kGroup,  // group box
};

/// The role of a template entry.
Role roleOf(const platform::DialogControl& control);

/// True for a static text that names an icon resource rather than showing words: upper-case
/// letters, digits and underscores ending in "ICON", as resource scripts name icons.
bool isIconName(std::string_view label);

/// One row of a box: the template indexes of its controls, left to right. A row that stands for a
/// nested group box holds just that box's index and has nested set.
struct Row
{
    std::vector<size_t> controls;
    /// The first control sits in the label column, so the fields of a box line up.
    bool labelColumn = false;
    bool nested = false;
};

/// The arrangement of a whole template.
struct LayoutPlan
{
    /// The rows of each box: key -1 for the dialog itself, else the template index of a group box.
    std::map<int, std::vector<Row>> boxes;
    /// Per control, the index of the control that takes the focus when its label's mnemonic is
    /// pressed: the control itself for a field with its own label, the next control that can take
    /// the focus for a static text (as the platform moves the focus), -1 when none.
    std::vector<int> buddies;
};

/// Arranges the controls of a template (in tab order). Controls that name a group box that is not
/// in the template sit in the dialog itself.
LayoutPlan planLayout(const std::vector<platform::DialogControl>& controls);
} // namespace gui
