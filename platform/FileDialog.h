// The framework's common file dialog: open and save dialogs whose choice the installed
// DialogService makes, with the platform's checks on that choice (the file must exist, replacing
// a file needs a yes).
#pragma once

#include "platform/CString.h"
#include "platform/Dialog.h"
#include "platform/Export.h"
#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// File dialog flags, spelled and valued as the Windows SDK has them.
#ifndef OFN_OVERWRITEPROMPT
#define OFN_OVERWRITEPROMPT 0x00000002
#endif
#ifndef OFN_HIDEREADONLY
#define OFN_HIDEREADONLY 0x00000004
#endif
#ifndef OFN_PATHMUSTEXIST
#define OFN_PATHMUSTEXIST 0x00000800
#endif
#ifndef OFN_FILEMUSTEXIST
#define OFN_FILEMUSTEXIST 0x00001000
#endif
#ifndef OFN_EXPLORER
#define OFN_EXPLORER 0x00080000
#endif
#ifndef OFN_LONGNAMES
#define OFN_LONGNAMES 0x00200000
#endif

/// The settings a caller may change between construction and DoModal, as the framework exposes
/// them. Texts are the caller's and must outlive DoModal.
struct OPENFILENAMEA
{
    DWORD Flags = 0;
    LPCSTR lpstrTitle = nullptr;
    LPCSTR lpstrDefExt = nullptr;
    /// 1-based index of the filter entry selected at the start.
    DWORD nFilterIndex = 1;
};

/// An open- or save-file dialog. The filter is in the framework's notation, description and
/// pattern separated by "|" and ended by "||": "Methods (*.tym)|*.tym|All Files (*.*)|*.*||".
class PLATFORM_API CFileDialog
{
  public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog();
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    /// Asks the installed DialogService for a file and returns IDOK with the choice kept, or
    /// IDCANCEL. A chosen name without an extension gets the default extension. With
    /// OFN_FILEMUSTEXIST an open dialog refuses a file that does not exist ("NAME\nFile not
    /// found.\nCheck the file name and try again.") and asks again; with OFN_OVERWRITEPROMPT a
    /// save dialog asks "NAME already exists.\nDo you want to replace it?" (Yes/No) and asks for
    /// another file unless the answer is Yes; OnFileNameOK may refuse a name too. The service
    /// cancelling ends the dialog; so does a service that throws, or one that is refused
    /// 64 times in a row (a script that repeats itself would otherwise never end).
    virtual INT_PTR DoModal();

    /// The chosen full path; before a choice, the initial file name.
    CString GetPathName() const;
    /// The chosen file's name and extension, without the directory.
    CString GetFileName() const;
    /// The chosen file's extension without the full stop; empty when it has none.
    CString GetFileExt() const;
    /// The settings as the service sees them.
    platform::FileDialogRequest request() const;

    OPENFILENAMEA m_ofn;

  protected:
    /// Runs when the user confirmed a name (GetPathName gives it); non-zero refuses it and the
    /// dialog asks again. The default accepts every name.
    virtual BOOL OnFileNameOK();

  private:
    bool open_;
    std::string defExt_;
    std::string path_;
    std::string filter_;
    CWnd* parent_;
};

namespace platform
{
/// The (description, pattern) pairs of a filter text, in order. The list ends at an empty
/// description or at the end of the text; a description without its pattern is dropped.
PLATFORM_API std::vector<std::pair<std::string, std::string>> parseFileDialogFilter(std::string_view filter);
} // namespace platform
