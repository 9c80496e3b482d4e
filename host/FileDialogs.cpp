// The host's file dialogs: the secure dialog's settings and choice, which the host shows, and
// the data-type dialogs of sample lists.
#include "host/DispatchDetail.h"
#include "host/host.h"

#include <algorithm>

using host::Host;
using host::detail::dispatch;

CFileDialogS::CFileDialogS(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                           LPCSTR lpszFilter, HWND hParent)
    : open_(bOpenFileDialog), defExt_(lpszDefExt), path_(lpszFileName), flags_(dwFlags), filter_(lpszFilter),
      parent_(hParent)
{
}

CFileDialogS::~CFileDialogS() = default;

INT_PTR CFileDialogS::DoModal()
{
    const INT_PTR result = dispatch([&](Host& h) { return h.ShowFileDialog(*this); });
    return result == host::kDialogOk ? host::kDialogOk : host::kDialogCancel;
}

CString CFileDialogS::GetPathName() const
{
    return path_;
}

CString CFileDialogS::GetFileName() const
{
    const int cut = std::max(path_.ReverseFind('\\'), path_.ReverseFind('/'));
    return path_.Mid(cut + 1);
}

CString CFileDialogS::GetFileExt() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

BOOL CFileDialogS::IsOpenFileDialog() const
{
    return open_;
}

const CString& CFileDialogS::GetDefExt() const
{
    return defExt_;
}

const CString& CFileDialogS::GetFilter() const
{
    return filter_;
}

DWORD CFileDialogS::GetFlags() const
{
    return flags_;
}

HWND CFileDialogS::GetParentWindow() const
{
    return parent_;
}

const CString& CFileDialogS::GetTitle() const
{
    return title_;
}

void CFileDialogS::SetTitle(LPCSTR title)
{
    title_ = title;
}

int CFileDialogS::GetFilterIndex() const
{
    return filterIndex_;
}

void CFileDialogS::SetFilterIndex(int index)
{
    filterIndex_ = index;
}

void CFileDialogS::SetPathName(LPCSTR path)
{
    path_ = path;
}

// The host's data types of sample lists, in the host's own order.
const tag_SELECT_DATATYPE CSelectFileDialog::m_DataTypes[] = {
    {"Kelvane 3.x (*.SPL)|*.spl|", "spl", 1, "", ""},     {"Formatted Text (*.CSV)|*.csv|", "csv", 2, "", ""},
    {"Formatted Text (*.TXT)|*.txt|", "txt", 2, "", ""},  {"Loaded Sample List (*.OLB)|*.olb|", "olb", 3, "", ""},
    {"Sample Database (*.SDB)|*.sdb|", "sdb", 4, "", ""},
};
const int CSelectFileDialog::m_nDataTypes =
    static_cast<int>(sizeof(CSelectFileDialog::m_DataTypes) / sizeof(CSelectFileDialog::m_DataTypes[0]));

CSelectFileDialog::CSelectFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                                     LPCSTR lpszFilter, HWND hParent, const int* typeIndices, int nTypeIndices)
    : CFileDialogS(bOpenFileDialog, lpszDefExt, lpszFileName, dwFlags, lpszFilter, hParent)
{
    for (int i = 0; typeIndices && i < nTypeIndices; ++i)
        if (typeIndices[i] >= 0 && typeIndices[i] < m_nDataTypes)
            offered_.push_back(typeIndices[i]);
}

CSelectFileDialog::~CSelectFileDialog() = default;

CString CSelectFileDialog::StringFromIndices(const int* indices, int count)
{
    CString filter;
    for (int i = 0; indices && i < count; ++i)
        if (indices[i] >= 0 && indices[i] < m_nDataTypes)
            filter += m_DataTypes[indices[i]].lpszFilter;
    filter += '|';
    return filter;
}

void CSelectFileDialog::SetDataType(LPCSTR ext)
{
    if (!ext || !*ext)
    {
        SetFilterIndex(1);
        return;
    }
    for (size_t i = 0; i < offered_.size(); ++i)
        if (CString(m_DataTypes[offered_[i]].lpszDefExt).CompareNoCase(ext) == 0)
        {
            SetFilterIndex(static_cast<int>(i) + 1);
            return;
        }
}

tag_SELECT_DATATYPE CSelectFileDialog::GetDataType() const
{
    const CString ext = GetFileExt();
    if (!ext.IsEmpty())
        for (int index : offered_)
            if (ext.CompareNoCase(m_DataTypes[index].lpszDefExt) == 0)
                return m_DataTypes[index];
    const int selected = GetFilterIndex() - 1;
    if (selected >= 0 && selected < static_cast<int>(offered_.size()))
        return m_DataTypes[offered_[static_cast<size_t>(selected)]];
    return offered_.empty() ? m_DataTypes[0] : m_DataTypes[offered_.front()];
}

const int CSelectLIMSFileDialog::m_DataTypeIndices[] = {0, 1, 2, 3, 4};
const int CSelectLIMSFileDialog::m_nDataTypeIndices = static_cast<int>(
    sizeof(CSelectLIMSFileDialog::m_DataTypeIndices) / sizeof(CSelectLIMSFileDialog::m_DataTypeIndices[0]));

CSelectLIMSFileDialog::CSelectLIMSFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                                             DWORD dwFlags, LPCSTR lpszFilter, HWND hParent)
    : CSelectFileDialog(bOpenFileDialog, lpszDefExt, lpszFileName, dwFlags, lpszFilter, hParent, m_DataTypeIndices,
                        m_nDataTypeIndices)
{
}

CSelectLIMSFileDialog::~CSelectLIMSFileDialog() = default;
