// The common file dialog: its settings, the service's choice and the platform's checks on it.
#include "platform/FileDialog.h"

#include "platform/UserInterface.h"
#include "platform/WinPath.h"

#include <filesystem>

namespace
{
// How many refused choices in a row end the dialog.
constexpr int kMaxRefusals = 64;

std::string nameOf(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool fileExists(const std::string& hostPath)
{
    std::error_code error;
    const std::filesystem::path posix = platform::toPosixPath(hostPath);
    return !posix.empty() && std::filesystem::exists(posix, error) && !std::filesystem::is_directory(posix, error);
}
} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : open_(bOpenFileDialog != FALSE), defExt_(lpszDefExt ? lpszDefExt : ""), path_(lpszFileName ? lpszFileName : ""),
      filter_(lpszFilter ? lpszFilter : ""), parent_(pParentWnd)
{
    m_ofn.Flags = dwFlags;
    m_ofn.lpstrDefExt = defExt_.c_str();
}

CFileDialog::~CFileDialog() = default;

platform::FileDialogRequest CFileDialog::request() const
{
    platform::FileDialogRequest request;
    request.open = open_;
    request.title = m_ofn.lpstrTitle ? m_ofn.lpstrTitle : "";
    request.filters = platform::parseFileDialogFilter(filter_);
    request.initialFile = path_;
    request.defaultExtension = m_ofn.lpstrDefExt ? m_ofn.lpstrDefExt : "";
    request.flags = m_ofn.Flags;
    request.owner = parent_ ? parent_->GetSafeHwnd() : nullptr;
    return request;
}

INT_PTR CFileDialog::DoModal()
{
    try
    {
        platform::FileDialogRequest asked = request();
        const std::string caption = !asked.title.empty() ? asked.title : open_ ? "Open" : "Save As";
        for (int refusals = 0; refusals < kMaxRefusals; ++refusals)
        {
            std::string chosen;
            if (!platform::dialogService().chooseFile(asked, chosen) || chosen.empty())
                return IDCANCEL;
            if (!asked.defaultExtension.empty() && nameOf(chosen).find('.') == std::string::npos)
                chosen += "." + asked.defaultExtension;
            asked.initialFile = chosen;
            if (open_ && (asked.flags & OFN_FILEMUSTEXIST) && !fileExists(chosen))
            {
                const std::string text = nameOf(chosen) + "\nFile not found.\nCheck the file name and try again.";
                MessageBoxA(asked.owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
                continue;
            }
            if (!open_ && (asked.flags & OFN_OVERWRITEPROMPT) && fileExists(chosen))
            {
                const std::string text = nameOf(chosen) + " already exists.\nDo you want to replace it?";
                if (MessageBoxA(asked.owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
                    continue;
            }
            const std::string before = path_;
            path_ = chosen;
            if (OnFileNameOK())
            {
                path_ = before;
                continue;
            }
            return IDOK;
        }
        return IDCANCEL;
    }
    catch (...)
    {
        return IDCANCEL;
    }
}

CString CFileDialog::GetPathName() const
{
    return CString(path_);
}

CString CFileDialog::GetFileName() const
{
    return CString(nameOf(path_));
}

CString CFileDialog::GetFileExt() const
{
    const std::string name = nameOf(path_);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? CString() : CString(name.substr(dot + 1));
}

BOOL CFileDialog::OnFileNameOK()
{
    return FALSE;
}

std::vector<std::pair<std::string, std::string>> platform::parseFileDialogFilter(std::string_view filter)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t at = 0;
    while (at < filter.size())
    {
        const size_t bar = filter.find('|', at);
        if (bar == std::string_view::npos || bar == at)
            break;
        const size_t end = filter.find('|', bar + 1);
        const std::string_view pattern = filter.substr(bar + 1, end == std::string_view::npos ? end : end - bar - 1);
        if (pattern.empty() && end == std::string_view::npos)
            break;
        pairs.emplace_back(std::string(filter.substr(at, bar - at)), std::string(pattern));
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    return pairs;
}
