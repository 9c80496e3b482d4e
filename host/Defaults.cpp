// The base host: each operation's failure result, written once. A host overrides what it
// supports; the dispatch falls back on these when no host is installed, a record is missing or
// the installed host throws.
#include "host/DispatchDetail.h"
#include "host/host.h"

namespace host
{
namespace
{
void emptyText(char* buffer, int size)
{
    if (buffer && size > 0)
        buffer[0] = '\0';
}
} // namespace

namespace detail
{
Host& failingHost()
{
    static Host failing;
    return failing;
}
} // namespace detail

Host::~Host() = default;

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
} // namespace host
