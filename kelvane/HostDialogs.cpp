// The host's file dialogs in the stand-in: the utility library's open dialog, its general file
// dialog and the secure file dialog all ask the person through the platform's dialog service, so
// a window-system backend shows a real dialog and a test scripts the answer. What comes back is
// held to the host's path form, whose texts have fixed widths.
#include "kelvane/KelvaneHost.h"
#include "platform/Ascii.h"
#include "platform/FileDialog.h"
#include "platform/UserInterface.h"

#include <algorithm>
#include <string>
#include <utility>

namespace kelvane
{
namespace
{
// The host's paths end up in the engine's MAX_PATH buffers; a longer one would be cut there and
// name another file.
constexpr std::size_t kLongestPath = MAX_PATH - 1;

// Where a path form's joined path may reach: three full texts and two separators.
constexpr int kJoinedLimit =
    static_cast<int>(tag_HXFILE::kDirectoryWidth + tag_HXFILE::kFileNameWidth + tag_HXFILE::kExtensionWidth + 2);

std::string joined(KelvaneHost& host, const tag_HXFILE& form)
{
    std::string path(static_cast<std::size_t>(kJoinedLimit), '\0');
    host.ConvertHxFileToPath(path.data(), kJoinedLimit, form);
    path.resize(std::min(path.find('\0'), path.size()));
    return path;
}

// Fills the texts of form from a path the person chose (a host path or a POSIX one) and sets
// hostPath to it in host form; false, with form unchanged, when the host cannot hold it.
bool takeChosenPath(KelvaneHost& host, const std::string& chosen, tag_HXFILE& form, std::string& hostPath)
{
    tag_HXFILE parts = form;
    if (chosen.empty() || !host.ConvertPathToHxFile(parts, chosen.c_str()))
        return false;
    std::string path = joined(host, parts);
    if (path.size() > kLongestPath)
        return false;
    form = parts;
    hostPath = std::move(path);
    return true;
}

bool hasWildcard(const std::string& text)
{
    return text.find_first_of("*?") != std::string::npos;
}

// The filter of a dialog that looks for files with extension: that type first, then every file.
std::string filterFor(const std::string& extension)
{
    std::string filter;
    if (!extension.empty() && !hasWildcard(extension) && extension.find('|') == std::string::npos)
    {
        filter = platform::detail::upperCased(extension) + " Files (*." + extension + ")|*." + extension + "|";
    }
    return filter + "All Files (*.*)|*.*||";
}

// The platform's file dialog with the host's one further check on a chosen name.
class HostFileDialog final : public CFileDialog
{
  public:
    HostFileDialog(KelvaneHost& host, bool open, const std::string& defaultExtension, const std::string& initialFile,
                   DWORD flags, const std::string& filter, HWND owner, std::string title)
        : CFileDialog(open ? TRUE : FALSE, defaultExtension.c_str(), initialFile.c_str(), flags, filter.c_str(),
                      CWnd::FromHandle(owner)),
          host_(host), owner_(owner), title_(std::move(title)), open_(open)
    {
        if (!title_.empty())
            m_ofn.lpstrTitle = title_.c_str();
    }

  protected:
    // A path the host's path form cannot hold is refused here, so the person can choose again.
    BOOL OnFileNameOK() override
    {
        tag_HXFILE form;
        std::string hostPath;
        if (takeChosenPath(host_, GetPathName().str(), form, hostPath))
            return FALSE;
        const std::string text = GetFileName().str() +
                                 "\nThe path of this file is too long.\nChoose a file whose path has at most " +
                                 std::to_string(kLongestPath) + " characters.";
        const std::string caption = !title_.empty() ? title_ : open_ ? "Open" : "Save As";
        MessageBoxA(owner_, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return TRUE;
    }

  private:
    KelvaneHost& host_;
    HWND owner_;
    std::string title_;
    bool open_;
};
} // namespace

short KelvaneHost::GenOpenFile(HINSTANCE, HWND owner, tag_HXFILE& file, int flags, const char* title)
{
    try
    {
        const std::string extension = file.Extension().str();
        HostFileDialog dialog(*this, true, hasWildcard(extension) ? std::string() : extension, joined(*this, file),
                              static_cast<DWORD>(flags), filterFor(extension), owner, title ? title : "");
        if (dialog.DoModal() != IDOK)
            return 0;
        std::string hostPath;
        return takeChosenPath(*this, dialog.GetPathName().str(), file, hostPath) ? 1 : 0;
    }
    catch (...)
    {
        return 0;
    }
}

INT_PTR KelvaneHost::ShowFileDialog(CFileDialogS& dialog)
{
    try
    {
        HostFileDialog shown(*this, dialog.IsOpenFileDialog() != FALSE, dialog.GetDefExt().str(),
                             dialog.GetPathName().str(), dialog.GetFlags(), dialog.GetFilter().str(),
                             dialog.GetParentWindow(), dialog.GetTitle().str());
        shown.m_ofn.nFilterIndex = static_cast<DWORD>(dialog.GetFilterIndex());
        if (shown.DoModal() != IDOK)
            return host::kDialogCancel;
        tag_HXFILE form;
        std::string hostPath;
        if (!takeChosenPath(*this, shown.GetPathName().str(), form, hostPath))
            return host::kDialogCancel;
        dialog.SetPathName(hostPath.c_str());
        return host::kDialogOk;
    }
    catch (...)
    {
        return host::kDialogCancel;
    }
}

short KelvaneHost::askForNormalFile(HWND owner, tag_FILE_DIALOG_REQUEST& request)
{
    tag_HXFILE start;
    start.SetDirectory(request.Directory());
    start.SetFileName(request.FileName());
    start.SetExtension(request.Extension());
    const std::string extension = start.Extension().str();
    // The general dialog also names files that are still to be written, such as an export file.
    HostFileDialog dialog(*this, true, hasWildcard(extension) ? std::string() : extension, joined(*this, start),
                          OFN_HIDEREADONLY, filterFor(extension), owner, request.Title().str());
    if (dialog.DoModal() != IDOK)
        return 0;
    tag_HXFILE chosen;
    std::string hostPath;
    if (!takeChosenPath(*this, dialog.GetPathName().str(), chosen, hostPath))
        return 0;
    // Each text of the path form fits the request's wider or equal field.
    request.SetDirectory(chosen.Directory());
    request.SetFileName(chosen.FileName());
    request.SetExtension(chosen.Extension());
    return 1;
}
} // namespace kelvane
