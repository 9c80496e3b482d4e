// The option pages' Browse buttons: the host's quantify-method dialog, the file dialogs of tune
// files and inlet methods, where each starts, and the paths a method can keep.
#include "fileutil/FileUtil.h"
#include "host/host.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/FileDialog.h"
#include "platform/PropertySheet.h"
#include "platform/SplitPath.h"
#include "platform/UserInterface.h"
#include "ui/OptionsPagesDetail.h"

#include <cstring>

namespace
{
// A method file keeps values of at most 255 characters (its reader cuts longer ones), so a longer
// path could not be read back as chosen.
constexpr int kMaxMethodPath = 255;

// Room for any path a host path form holds: directory, name, full stop and extension.
constexpr int kHostPathBuffer = 1024;

// GenOpenFile's flags for choosing a quantify method database.
constexpr int kQuanDialogFlags = 0x100C;

constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";
using ui::detail::NameShown;
using ui::detail::PathDialog;

// The host path that the system-list key names, as a full path; empty when the host has none.
CString systemListPath(const char* key)
{
    tag_HXFILE file;
    if (!GetSystemListValue("SystemList", key, 0, &file))
        return CString();
    char path[kHostPathBuffer] = {};
    const int whole = ConvertHxFileToPath(path, kHostPathBuffer, &file);
    path[kHostPathBuffer - 1] = '\0';
    return whole ? CString(path) : CString();
}

const char* systemListKey(PathDialog kind)
{
    switch (kind)
    {
    case PathDialog::kQuanMethod:
        return "METHOD_DB";
    case PathDialog::kTuneFile:
        return "TUNE_DB";
    case PathDialog::kInletMethod:
        break;
    }
    return "LC_DB";
}

// Tells the user that path cannot go into a method.
void refuseLongPath(const CString& path, const char* caption)
{
    CString text;
    text.Format("%s\nThis path is %d characters long; a method keeps paths of at most %d characters.\n"
                "Choose a file with a shorter path.",
                path.GetString(), path.GetLength(), kMaxMethodPath);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

// An open-file dialog that refuses, and asks again for, a path too long for a method file.
class MethodPathDialog final : public CFileDialog
{
  public:
    MethodPathDialog(const CString& defaultExtension, const CString& start, const char* title)
        : CFileDialog(TRUE, defaultExtension, start, OFN_FILEMUSTEXIST, kAllFilesFilter, nullptr)
    {
        m_ofn.lpstrTitle = title;
    }

  protected:
    BOOL OnFileNameOK() override
    {
        if (GetPathName().GetLength() <= kMaxMethodPath)
            return FALSE;
        refuseLongPath(GetPathName(), m_ofn.lpstrTitle);
        return TRUE;
    }
};

// Asks the host's own dialog for a quantify method database, starting at start.
bool chooseQuanMethod(CWnd& owner, const CString& start, CString& chosen)
{
    tag_HXFILE file;
    if (!start.IsEmpty() && !ConvertPathToHxFile(&file, start))
        file.clear();
    if (!GenOpenFile(nullptr, owner.GetSafeHwnd(), &file, kQuanDialogFlags, "Select Quantify Method File"))
        return false;
    char path[kHostPathBuffer] = {};
    const int whole = ConvertHxFileToPath(path, kHostPathBuffer, &file);
    path[kHostPathBuffer - 1] = '\0';
    if (!whole || path[0] == '\0')
        return false;
    if (static_cast<int>(std::strlen(path)) > kMaxMethodPath)
    {
        refuseLongPath(path, CTessalyOptionsSheet::m_strTitle);
        return false;
    }
    chosen = path;
    return true;
}

bool choosePath(CWnd& page, PathDialog kind, const CString& start, CString& chosen)
{
    if (kind == PathDialog::kQuanMethod)
        return chooseQuanMethod(page, start, chosen);
    const bool tune = kind == PathDialog::kTuneFile;
    MethodPathDialog dialog(tune ? GetDefaultExtension(start) : CString(), start,
                            tune ? "Select Tune File" : "Select LC File");
    if (dialog.DoModal() != IDOK)
        return false;
    chosen = dialog.GetPathName();
    return true;
}

} // namespace

namespace ui::detail
{
CString shownName(const CString& path, NameShown shown)
{
    char name[_MAX_FNAME] = {};
    char extension[_MAX_EXT] = {};
    _splitpath(path, nullptr, nullptr, name, extension);
    CString text = name;
    if (shown == NameShown::kNameAndExtension)
        text += extension;
    return text;
}

bool browseInto(CPropertyPage& page, CString& field, PathDialog kind, int box, NameShown shown)
{
    const CString start = field.IsEmpty() ? systemListPath(systemListKey(kind)) : field;
    CString chosen;
    if (!choosePath(page, kind, start, chosen) || chosen == field)
        return false;
    field = chosen;
    page.SetDlgItemText(box, shownName(field, shown));
    return true;
}
} // namespace ui::detail
