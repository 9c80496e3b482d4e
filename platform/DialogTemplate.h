// Dialog templates as data: the controls of a dialog or property page with their ids, kinds and
// labels, kept in one process-wide table that the dialog layer builds windows from, plus a small
// string table for page captions. A window-system backend renders the same templates.
#pragma once

#include "platform/Export.h"
#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform
{
/// What a control is. A read-only edit shows text the user cannot type into; a drop-down list
/// offers a fixed list of texts to choose from and has no edit box.
enum class ControlKind
{
    kEdit,
    kReadOnlyEdit,
    kCheckBox,
    kRadioButton,
    kPushButton,
    kGroupBox,
    kStaticText,
    kDropDownList,
};

/// One control of a template. Ids above 0 name the control; 0 (or the platform's -1 for statics)
/// leaves it unnamed, so it can be rendered but not reached by id.
struct DialogControl
{
    int id = 0;
    ControlKind kind = ControlKind::kStaticText;
    /// Label with "&" before the mnemonic letter ("&&" is a literal "&").
    std::string label;
    /// Id of the group box the control sits in; 0 when none.
    int groupBox = 0;
    /// True on the first control of a group (the first radio button of a set of choices, or a check
    /// box that starts a new tab group); a radio set runs until the next control so marked.
    bool startsGroup = false;
    /// For edits: typing accepts the digits 0-9 only (text set by the program is not filtered).
    bool digitsOnly = false;
};

/// A dialog or property page layout: its name (such as "TY_OPTIMISATION"), an optional numeric
/// resource id (0 when it is known by name only), a caption and the controls in tab order.
struct PLATFORM_API DialogTemplate
{
    std::string name;
    UINT id = 0;
    std::string caption;
    std::vector<DialogControl> controls;

    /// The first control with id, or null when id is 0 or below or no control has it.
    const DialogControl* findControl(int id) const;
};

/// The mnemonic letter of a label, as written (the platform matches it without regard to case):
/// the character after the last single "&"; 0 when there is none or the "&" ends the label.
PLATFORM_API char mnemonicOf(std::string_view label);

/// The label as shown: single "&" removed, "&&" shown as one "&".
PLATFORM_API std::string plainLabel(std::string_view label);

/// Adds a template to the process-wide table. Refused (false) when the name is empty, a template
/// of that name or of that non-zero id is already there, or two controls share an id above 0.
PLATFORM_API bool registerDialogTemplate(DialogTemplate dialogTemplate);

/// The registered template of that name (compared without regard to case, as resource names are),
/// or null.
PLATFORM_API const DialogTemplate* findDialogTemplate(std::string_view name);

/// The registered template of that non-zero resource id, or null.
PLATFORM_API const DialogTemplate* findDialogTemplate(UINT id);

/// Removes every template, string and menu (for tests that register their own).
PLATFORM_API void clearDialogResources();

/// Sets the text of string resource id (page captions, status texts); a later call replaces it.
PLATFORM_API void registerStringResource(UINT id, std::string text);

/// The text of string resource id; empty when there is none.
PLATFORM_API std::string loadStringResource(UINT id);
} // namespace platform
