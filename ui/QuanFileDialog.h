// CQuanFileDialog: a ready-made open-file dialog for choosing a quantify method database, which
// the library exports for the host.
#pragma once

#include "platform/CString.h"
#include "platform/Export.h"
#include "platform/FileDialog.h"

/// An open-file dialog titled "Select Quantify Method" that offers "*.mdb" files, starts at the
/// path it is given and gives a typed name without an extension that path's extension (none for
/// a path without one or inside a ".PRO" project directory). It hides the read-only check box
/// and has no parent window. Shown with DoModal; the choice is read with GetPathName.
class BRENMO_API CQuanFileDialog : public CFileDialog
{
  public:
    explicit CQuanFileDialog(const CString& strPath);
    ~CQuanFileDialog() override;

    /// Accepts every name the user confirms: 0.
    BOOL OnFileNameOK() override;
};
