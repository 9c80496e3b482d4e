#include "ui/QuanFileDialog.h"

#include "fileutil/FileUtil.h"

// The base dialog copies the default extension and keeps that copy for its whole life, so the
// temporary text given here may go once the base is built.
CQuanFileDialog::CQuanFileDialog(const CString& strPath)
    : CFileDialog(TRUE, GetDefaultExtension(strPath).GetString(), strPath.GetString(), OFN_HIDEREADONLY,
                  "Quantify Methods (*.mdb)|*.mdb||", nullptr)
{
    m_ofn.lpstrTitle = "Select Quantify Method";
}

CQuanFileDialog::~CQuanFileDialog() = default;

BOOL CQuanFileDialog::OnFileNameOK()
{
    return FALSE;
}
