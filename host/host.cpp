#include "host/host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace host
{
namespace
{
// Used when no host is installed: every operation reports its failure result.
Host& nullHost()
{
    static Host none;
    return none;
}

Host* installed = nullptr;

// Runs one host operation and turns anything it throws into the operation's failure result, so
// no exception crosses into the engine whatever host is installed.
template <class R, class F> R guarded(R failure, F&& operation) noexcept
{
    try
    {
        return operation();
    }
    catch (...)
    {
        return failure;
    }
}

void emptyText(char* buffer, int size)
{
    if (buffer && size > 0)
        buffer[0] = '\0';
}
} // namespace

Host::~Host() = default;

// ---- Defaults: each operation's failure result ---------------------------------------------

char* Host::ftoa(double, char* buffer, int)
{
    emptyText(buffer, 1);
    return buffer;
}

short Host::GenOpenFile(HINSTANCE, HWND, tag_HXFILE&, int, const char*)
{
    return 0;
}

short Host::GenGetNormalFile(HINSTANCE, HWND, tag_FILE_DIALOG_REQUEST&)
{
    return 0;
}

int Host::DirectoryExists(const char*)
{
    return 0;
}

int Host::RawFileErase(const char*)
{
    return -1;
}

int Host::GetTotalSimultaneousSamples()
{
    return 1;
}

int Host::ConvertPathToHxFile(tag_HXFILE&, const char*)
{
    return 0;
}

int Host::ConvertHxFileToPath(char* out, int limit, const tag_HXFILE&)
{
    emptyText(out, limit);
    return 0;
}

int Host::GetSystemListValue(const char*, const char*, int, tag_HXFILE&)
{
    return 0;
}

int Host::SetSystemListValue(const char*, const char*, const tag_HXFILE&, int)
{
    return 0;
}

int Host::RefreshSystemList()
{
    return 0;
}

int Host::GetSystemListPath(char* path)
{
    emptyText(path, 1);
    return 0;
}

int Host::DmDB3Open(tag_METHOD_DB_DESCRIPTOR&, int)
{
    return -1;
}

int Host::DmDB3Close(tag_METHOD_DB_DESCRIPTOR&)
{
    return -1;
}

int Host::GetDefaultMethod(tag_METHOD_RECORD& record)
{
    record.clear();
    return 0;
}

int Host::MethodGetRecord(const tag_HXFILE&, int, tag_METHOD_RECORD&)
{
    return 0;
}

int Host::MethodWriteRecord(const tag_HXFILE&, int, const tag_METHOD_RECORD&, int, int)
{
    return -1;
}

int Host::MeasureSampleList(HWND, const tag_HXFILE&, int, int)
{
    return 0;
}

int Host::DmRawFileToID(const tag_HXRAWFILE&, tag_RAW_DATA_ID&)
{
    return -1;
}

int Host::DmRawScansInFunction(const tag_HXRAWFILE&)
{
    return 0;
}

DMHANDLE Host::DmGetHandle(int, int, const tag_RAW_DATA_ID&, int, int, int)
{
    return 0;
}

DMHANDLE Host::Combine(int, int, tag_HXRAWFILE&, tag_HXRAWFILE&, const tag_COMBINE_PARAMS&, int)
{
    return 0;
}

tag_SPECTRUM_HEADER* Host::DmLockID(DMHANDLE)
{
    return nullptr;
}

int Host::DmGetData(DMHANDLE, int, int, int)
{
    return -1;
}

float* Host::DmLockData(DMHANDLE, int, int, int)
{
    return nullptr;
}

int Host::DmUnlockData(DMHANDLE, int)
{
    return -1;
}

int Host::DmReleaseHandle(DMHANDLE, int)
{
    return -1;
}

int Host::DmUnlockID(DMHANDLE)
{
    return -1;
}

int Host::AccessDBOpen(const tag_HXFILE&, int, int, tag_ACCESSDB_HANDLE& database, int)
{
    database.SetRecordCount(0);
    return -1;
}

int Host::AccessDBGetRecord(tag_ACCESSDB_HANDLE&, int, tag_PEAK_RECORD&)
{
    return 0;
}

int Host::AccessDBClose(tag_ACCESSDB_HANDLE&, int)
{
    return -1;
}

int Host::ReadSampleList(CSampleListMem& list, SampleListKind, const char*, const tag_SELECT_DATATYPE&)
{
    list.RemoveAllRows();
    return 0;
}

int Host::WriteSampleList(const CSampleListMem&, SampleListKind)
{
    return 0;
}

INT_PTR Host::ShowFileDialog(CFileDialogS&)
{
    return kDialogCancel;
}

HANDLE Host::CreateFileS(const char*, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE, int)
{
    return INVALID_HANDLE_VALUE;
}

BOOL Host::CloseHandleS(HANDLE)
{
    return FALSE;
}

DWORD Host::GetTempPathSA(DWORD size, char* buffer)
{
    emptyText(buffer, static_cast<int>(size > 1 ? 1 : size));
    return 0;
}

HANDLE Host::FindFirstFileSA(const char*, WIN32_FIND_DATAA&)
{
    return INVALID_HANDLE_VALUE;
}

BOOL Host::FindNextFileSA(HANDLE, WIN32_FIND_DATAA&)
{
    return FALSE;
}

BOOL Host::FindCloseS(HANDLE)
{
    return FALSE;
}

BOOL Host::DeleteFileS(const char*)
{
    return FALSE;
}

int Host::SecurityEnquireNoAudit(int, int)
{
    return 0;
}

int Host::LogEventPermissionCheckW(short, int, const wchar_t*, const wchar_t*, int)
{
    return 0;
}

std::unique_ptr<std::ostream> Host::OpenOutputStream(const char*, std::ios_base::openmode, int)
{
    return nullptr;
}

int Host::CalcIsotopeModel(int, const tag_ISOTOPE_REQUEST&, tag_ORDERED_CLUST& result)
{
    result = tag_ORDERED_CLUST{};
    return -1;
}

void Host::cfree_ordered_clust(tag_ORDERED_CLUST&)
{
}

Host* Install(Host* host)
{
    Host* previous = installed;
    installed = host;
    return previous;
}

Host& Current()
{
    return installed ? *installed : nullHost();
}
} // namespace host

CHostInstrument::~CHostInstrument() = default;

// ---- Dispatch under the host's names ----------------------------------------------------------

using host::Current;
using host::guarded;

char* ftoa(double value, char* buffer, int precision)
{
    if (!buffer)
        return nullptr;
    char* result = guarded<char*>(nullptr, [&] { return Current().ftoa(value, buffer, precision); });
    if (!result)
    {
        buffer[0] = '\0';
        return buffer;
    }
    return result;
}

short GenOpenFile(HINSTANCE instance, HWND owner, tag_HXFILE* file, int flags, const char* title)
{
    if (!file)
        return 0;
    return guarded<short>(0, [&] { return Current().GenOpenFile(instance, owner, *file, flags, title); });
}

short GenGetNormalFile(HINSTANCE instance, HWND owner, tag_FILE_DIALOG_REQUEST* request)
{
    if (!request)
        return 0;
    return guarded<short>(0, [&] { return Current().GenGetNormalFile(instance, owner, *request); });
}

int DirectoryExists(const char* path)
{
    if (!path)
        return 0;
    return guarded(0, [&] { return Current().DirectoryExists(path); });
}

int RawFileErase(const char* path)
{
    if (!path)
        return -1;
    return guarded(-1, [&] { return Current().RawFileErase(path); });
}

int GetTotalSimultaneousSamples()
{
    return guarded(1, [] { return Current().GetTotalSimultaneousSamples(); });
}

int ConvertPathToHxFile(tag_HXFILE* out, const char* path)
{
    if (!out || !path)
        return 0;
    return guarded(0, [&] { return Current().ConvertPathToHxFile(*out, path); });
}

int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE* in)
{
    if (!out || limit <= 0)
        return 0;
    if (!in)
    {
        out[0] = '\0';
        return 0;
    }
    const int result = guarded(-1, [&] { return Current().ConvertHxFileToPath(out, limit, *in); });
    if (result == -1)
    {
        out[0] = '\0';
        return 0;
    }
    return result;
}

int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE* out)
{
    if (!out || !section || !key)
        return 0;
    return guarded(0, [&] { return Current().GetSystemListValue(section, key, flags, *out); });
}

int SetSystemListValue(const char* section, const char* key, const tag_HXFILE* value, int flags)
{
    if (!value || !section || !key)
        return 0;
    return guarded(0, [&] { return Current().SetSystemListValue(section, key, *value, flags); });
}

int RefreshSystemList()
{
    return guarded(0, [] { return Current().RefreshSystemList(); });
}

int GetSystemListPath(char* path)
{
    if (!path)
        return 0;
    path[0] = '\0';
    return guarded(0, [&] { return Current().GetSystemListPath(path); });
}

int DmDB3Open(tag_METHOD_DB_DESCRIPTOR* descriptor, int mode)
{
    if (!descriptor)
        return -1;
    return guarded(-1, [&] { return Current().DmDB3Open(*descriptor, mode); });
}

int DmDB3Close(tag_METHOD_DB_DESCRIPTOR* descriptor)
{
    if (!descriptor)
        return -1;
    return guarded(-1, [&] { return Current().DmDB3Close(*descriptor); });
}

int GetDefaultMethod(tag_METHOD_RECORD* record)
{
    if (!record)
        return 0;
    return guarded(0, [&] { return Current().GetDefaultMethod(*record); });
}

int MethodGetRecord(const tag_HXFILE* name, int index, tag_METHOD_RECORD* record)
{
    if (!name || !record)
        return 0;
    return guarded(0, [&] { return Current().MethodGetRecord(*name, index, *record); });
}

int MethodWriteRecord(const tag_HXFILE* name, int index, const tag_METHOD_RECORD* record, int arg4, int arg5)
{
    if (!name || !record)
        return -1;
    return guarded(-1, [&] { return Current().MethodWriteRecord(*name, index, *record, arg4, arg5); });
}

int MeasureSampleList(HWND owner, const tag_HXFILE* sampleList, int firstRow, int lastRow)
{
    if (!sampleList)
        return 0;
    return guarded(0, [&] { return Current().MeasureSampleList(owner, *sampleList, firstRow, lastRow); });
}

int DmRawFileToID(const tag_HXRAWFILE* path, tag_RAW_DATA_ID* id)
{
    if (!path || !id)
        return -1;
    return guarded(-1, [&] { return Current().DmRawFileToID(*path, *id); });
}

int DmRawScansInFunction(const tag_HXRAWFILE* path)
{
    if (!path)
        return 0;
    return guarded(0, [&] { return Current().DmRawScansInFunction(*path); });
}

DMHANDLE DmGetHandle(int arg1, int idSize, const tag_RAW_DATA_ID* id, int arg4, int arg5, int arg6)
{
    if (!id)
        return 0;
    return guarded<DMHANDLE>(0, [&] { return Current().DmGetHandle(arg1, idSize, *id, arg4, arg5, arg6); });
}

DMHANDLE Combine(int arg1, int arg2, tag_HXRAWFILE* source, tag_HXRAWFILE* target, const tag_COMBINE_PARAMS* params,
                 int arg6)
{
    if (!source || !target || !params)
        return 0;
    return guarded<DMHANDLE>(0, [&] { return Current().Combine(arg1, arg2, *source, *target, *params, arg6); });
}

tag_SPECTRUM_HEADER* DmLockID(DMHANDLE handle)
{
    return guarded<tag_SPECTRUM_HEADER*>(nullptr, [&] { return Current().DmLockID(handle); });
}

int DmGetData(DMHANDLE handle, int arg2, int count, int mode)
{
    return guarded(-1, [&] { return Current().DmGetData(handle, arg2, count, mode); });
}

float* DmLockData(DMHANDLE handle, int array, int arg3, int count)
{
    return guarded<float*>(nullptr, [&] { return Current().DmLockData(handle, array, arg3, count); });
}

int DmUnlockData(DMHANDLE handle, int array)
{
    return guarded(-1, [&] { return Current().DmUnlockData(handle, array); });
}

int DmReleaseHandle(DMHANDLE handle, int arg2)
{
    return guarded(-1, [&] { return Current().DmReleaseHandle(handle, arg2); });
}

int DmUnlockID(DMHANDLE handle)
{
    return guarded(-1, [&] { return Current().DmUnlockID(handle); });
}

int AccessDBOpen(const tag_HXFILE* name, int mode, int flags, tag_ACCESSDB_HANDLE* database, int arg5)
{
    if (!database)
        return -1;
    if (!name)
    {
        database->SetRecordCount(0);
        return -1;
    }
    const int result = guarded(-2, [&] { return Current().AccessDBOpen(*name, mode, flags, *database, arg5); });
    if (result == -2)
    {
        // The host threw part-way; make sure the caller sees an empty database.
        database->SetRecordCount(0);
        return -1;
    }
    return result;
}

int AccessDBGetRecord(tag_ACCESSDB_HANDLE* database, int index, tag_PEAK_RECORD* record)
{
    if (!database || !record)
        return 0;
    return guarded(0, [&] { return Current().AccessDBGetRecord(*database, index, *record); });
}

int AccessDBClose(tag_ACCESSDB_HANDLE* database, int arg2)
{
    if (!database)
        return -1;
    return guarded(-1, [&] { return Current().AccessDBClose(*database, arg2); });
}

int CalcIsotopeModel(int arg1, const tag_ISOTOPE_REQUEST* request, tag_ORDERED_CLUST* result)
{
    if (!result)
        return -1;
    if (!request)
    {
        *result = tag_ORDERED_CLUST{};
        return -1;
    }
    return guarded(-1, [&] { return Current().CalcIsotopeModel(arg1, *request, *result); });
}

void cfree_ordered_clust(tag_ORDERED_CLUST* list)
{
    if (!list)
        return;
    guarded(0, [&] {
        Current().cfree_ordered_clust(*list);
        return 0;
    });
}

// ---- Secure file access -----------------------------------------------------------------------

CFileAccess& CFileAccess::operator=(const CFileAccess&)
{
    return *this;
}

HANDLE CFileAccess::CreateFileS(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile, int audit)
{
    if (!path)
        return INVALID_HANDLE_VALUE;
    return guarded(INVALID_HANDLE_VALUE, [&] {
        return Current().CreateFileS(path, access, share, security, disposition, flagsAndAttributes, templateFile,
                                     audit);
    });
}

BOOL CFileAccess::CloseHandleS(HANDLE handle)
{
    return guarded<BOOL>(FALSE, [&] { return Current().CloseHandleS(handle); });
}

DWORD CFileAccess::GetTempPathSA(DWORD size, LPSTR buffer)
{
    if (!buffer)
        return 0;
    return guarded<DWORD>(0, [&] { return Current().GetTempPathSA(size, buffer); });
}

HANDLE CFileAccess::FindFirstFileSA(LPCSTR pattern, LPWIN32_FIND_DATAA found)
{
    if (!pattern || !found)
        return INVALID_HANDLE_VALUE;
    return guarded(INVALID_HANDLE_VALUE, [&] { return Current().FindFirstFileSA(pattern, *found); });
}

BOOL CFileAccess::FindNextFileSA(HANDLE search, LPWIN32_FIND_DATAA found)
{
    if (!found)
        return FALSE;
    return guarded<BOOL>(FALSE, [&] { return Current().FindNextFileSA(search, *found); });
}

BOOL CFileAccess::FindCloseS(HANDLE search)
{
    return guarded<BOOL>(FALSE, [&] { return Current().FindCloseS(search); });
}

BOOL CFileAccess::DeleteFileS(LPCSTR path)
{
    if (!path)
        return FALSE;
    return guarded<BOOL>(FALSE, [&] { return Current().DeleteFileS(path); });
}

int CFileAccess::SecurityEnquireNoAudit(int reserved, int right)
{
    return guarded(0, [&] { return Current().SecurityEnquireNoAudit(reserved, right); });
}

int CFileAccess::LogEventPermissionCheckW(short event, int outcome, const wchar_t* text1, const wchar_t* text2,
                                          int flags)
{
    return guarded(0, [&] { return Current().LogEventPermissionCheckW(event, outcome, text1, text2, flags); });
}

int CFileAccess::LogEventPermissionCheck(short event, int outcome)
{
    return LogEventPermissionCheckW(event, outcome, nullptr, nullptr, 0);
}

// ---- Secure output stream ---------------------------------------------------------------------

ofstreamS::ofstreamS() = default;

ofstreamS::ofstreamS(LPCSTR path, std::ios_base::openmode mode, int prot)
{
    open(path, mode, prot);
}

ofstreamS::~ofstreamS()
{
    close();
}

void ofstreamS::open(LPCSTR path, std::ios_base::openmode mode, int prot)
{
    close();
    failed_ = false;
    if (path)
        stream_ = guarded<std::unique_ptr<std::ostream>>(nullptr,
                                                         [&] { return Current().OpenOutputStream(path, mode, prot); });
    if (!stream_ || !stream_->good())
    {
        stream_.reset();
        failed_ = true;
    }
}

void ofstreamS::close()
{
    if (!stream_)
        return;
    const bool ok = guarded(false, [&] { return static_cast<bool>(stream_->flush()); });
    // Destroying the host's stream closes its file; a host stream must not throw from there.
    stream_.reset();
    if (!ok)
        failed_ = true;
}

int ofstreamS::is_open() const
{
    return stream_ ? 1 : 0;
}

int ofstreamS::fail() const
{
    return failed_ || (stream_ && stream_->fail()) ? 1 : 0;
}

int ofstreamS::good() const
{
    return fail() ? 0 : 1;
}

int ofstreamS::operator!() const
{
    return fail();
}

ofstreamS& ofstreamS::write(const char* text, std::streamsize count)
{
    if (!stream_ || !text || count <= 0)
        return *this;
    if (!guarded(false, [&] { return static_cast<bool>(stream_->write(text, count)); }))
        failed_ = true;
    return *this;
}

ofstreamS& ofstreamS::operator<<(const char* text)
{
    return text ? write(text, static_cast<std::streamsize>(std::strlen(text))) : *this;
}

ofstreamS& ofstreamS::operator<<(const CString& text)
{
    return write(text.GetString(), text.GetLength());
}

ofstreamS& ofstreamS::operator<<(int value)
{
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%d", value);
    return write(digits, n);
}

// ---- File dialogs -----------------------------------------------------------------------------

CFileDialogS::CFileDialogS(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                           LPCSTR lpszFilter, HWND hParent)
    : open_(bOpenFileDialog), defExt_(lpszDefExt), path_(lpszFileName), flags_(dwFlags), filter_(lpszFilter),
      parent_(hParent)
{
}

CFileDialogS::~CFileDialogS() = default;

INT_PTR CFileDialogS::DoModal()
{
    const INT_PTR result = guarded(host::kDialogCancel, [&] { return Current().ShowFileDialog(*this); });
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

// ---- Sample lists ----------------------------------------------------------------------------

namespace
{
// Reads a list file through the host. A failed read leaves no rows behind, whatever the host did
// before it failed, so a caller never works on half a list.
int readRows(CSampleListMem& list, host::SampleListKind kind, const char* path, const tag_SELECT_DATATYPE& type)
{
    const int result = guarded(0, [&] { return Current().ReadSampleList(list, kind, path, type); });
    if (!result)
        list.RemoveAllRows();
    return result;
}
} // namespace

CSampleListRow::CSampleListRow() : cells_(static_cast<size_t>(CSampleList::m_nSLFieldDefs))
{
}

const CKVVariant& CSampleListRow::operator[](int field) const
{
    static const CKVVariant empty;
    if (field < 0 || field >= GetSize())
        return empty;
    return cells_[static_cast<size_t>(field)];
}

CKVVariant& CSampleListRow::operator[](int field)
{
    if (field < 0 || field >= GetSize())
    {
        scratch_ = CKVVariant();
        return scratch_;
    }
    return cells_[static_cast<size_t>(field)];
}

CSampleListMem::CSampleListMem() = default;
CSampleListMem::~CSampleListMem() = default;

const CSampleListRow& CSampleListMem::operator[](int row) const
{
    static const CSampleListRow empty;
    if (row < 0 || row >= GetSize())
        return empty;
    return rows_[static_cast<size_t>(row)];
}

CSampleListRow& CSampleListMem::operator[](int row)
{
    if (row < 0 || row >= GetSize())
    {
        scratch_ = CSampleListRow();
        return scratch_;
    }
    return rows_[static_cast<size_t>(row)];
}

int CSampleListMem::AddRow()
{
    rows_.emplace_back();
    return GetSize() - 1;
}

// The fields of an LC-MS sample list as the host defines them, in column order.
const tag_SLFIELDDEF CSampleList::m_SampleListDefinition[] = {
    {"FILE_NAME", "File Name", 255},
    {"FILE_TEXT", "File Text", 255},
    {"MS_FILE", "MS File", 255},
    {"MS_TUNE_FILE", "MS Tune File", 255},
    {"INLET_FILE", "Inlet File", 255},
    {"BOTTLE", "Bottle", 32},
    {"INJ_VOL", "Inject Volume", 32},
    {"TYPE", "Type", 32},
    {"CONC_A", "Conc A", 32},
    {"METH_DB", "Quan Method", 255},
    {"CURVE_DB", "Quan Curve", 255},
    {"DUMP_FILE", "LIMS Export File", 255},
    {"SAMPLE_GROUP", "Sample Group", 255},
    {"QUAN_REF", "Quan Reference", 32},
    {"SPARE_1", "Spare 1", 255},
    {"SPARE_2", "Spare 2", 255},
    {"SPARE_3", "Spare 3", 255},
    {"SPARE_4", "Spare 4", 255},
    {"SPARE_5", "Spare 5", 255},
    {"COMPOUND", "Compound", 255},
    {"MASS", "Mass or Formula", 255},
};
const int CSampleList::m_nSLFieldDefs =
    static_cast<int>(sizeof(CSampleList::m_SampleListDefinition) / sizeof(CSampleList::m_SampleListDefinition[0]));

int CSampleList::GetFieldIndex(const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < m_nSLFieldDefs; ++i)
        if (std::strcmp(m_SampleListDefinition[i].szName, name) == 0)
            return i;
    return -1;
}

const tag_SELECT_DATATYPE CFormattedSampleList::m_DefaultType = {"Kelvane 3.x (*.SPL)|*.spl|", "spl", 1, "", ""};

CDAOSampleList::CDAOSampleList(int)
{
}

int CDAOSampleList::Open(const CString& path, const tag_SELECT_DATATYPE& type)
{
    SetFileName(path);
    return readRows(*this, host::SampleListKind::kDatabase, path, type);
}

int CDAOSampleList::Close(int save)
{
    if (!save)
        return 1;
    return guarded(0, [&] { return Current().WriteSampleList(*this, host::SampleListKind::kDatabase); });
}

CISAMSampleList::CISAMSampleList(int)
{
}

int CISAMSampleList::Open(const CString& path, const tag_SELECT_DATATYPE& type)
{
    SetFileName(path);
    return readRows(*this, host::SampleListKind::kFormatted, path, type);
}

int CISAMSampleList::Load(const char* path)
{
    SetFileName(path);
    return readRows(*this, host::SampleListKind::kLoaded, path ? path : "", CFormattedSampleList::m_DefaultType);
}

int CISAMSampleList::Close(int save)
{
    if (!save)
        return 1;
    return guarded(0, [&] { return Current().WriteSampleList(*this, host::SampleListKind::kFormatted); });
}
