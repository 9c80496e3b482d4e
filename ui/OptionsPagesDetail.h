// What the option pages share with their Browse buttons: how a path box shows its path and the
// dialogs that choose a file for a field.
#pragma once

#include "platform/CString.h"

class CPropertyPage;

namespace ui::detail
{
enum class NameShown
{
    kTitle,            // file name without directory and extension
    kNameAndExtension, // file name and extension without directory
};

// Which dialog a Browse button shows, and where it starts when its field is empty.
enum class PathDialog
{
    kQuanMethod,
    kTuneFile,
    kInletMethod,
};

/// The text a path box shows for path.
CString shownName(const CString& path, NameShown shown);

/// A Browse button: lets the user choose a file for field, starting at the field's path or, when
/// it is empty, at the host's directory for that kind of file, and shows the choice in box.
/// Returns true when the field changed; a cancelled dialog leaves the field as it was.
bool browseInto(CPropertyPage& page, CString& field, PathDialog kind, int box, NameShown shown);
} // namespace ui::detail
