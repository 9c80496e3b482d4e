// GoogleMock stand-ins for the host and the host instrument, and a scope guard that installs a
// host for one test. For tests only: include it from *_test.cpp files.
#pragma once

#include "host/host.h"

#include <cstdio>
#include <gmock/gmock.h>
#include <utility>

namespace host
{
/// A host whose every operation is a mock. Until a test says otherwise, each operation does what
/// the base host does: it reports the operation's failure result.
class MockHost : public Host
{
  public:
    MockHost()
    {
// Each unexpected call falls through to the base host's failing default.
#define BRENMO_MOCKHOST_DELEGATE(name)                                                                                 \
    ON_CALL(*this, name).WillByDefault([this](auto&&... args) -> decltype(auto) {                                      \
        return this->Host::name(std::forward<decltype(args)>(args)...);                                                \
    })
        BRENMO_MOCKHOST_DELEGATE(ftoa);
        BRENMO_MOCKHOST_DELEGATE(GenOpenFile);
        BRENMO_MOCKHOST_DELEGATE(GenGetNormalFile);
        BRENMO_MOCKHOST_DELEGATE(DirectoryExists);
        BRENMO_MOCKHOST_DELEGATE(RawFileErase);
        BRENMO_MOCKHOST_DELEGATE(GetTotalSimultaneousSamples);
        BRENMO_MOCKHOST_DELEGATE(ConvertPathToHxFile);
        BRENMO_MOCKHOST_DELEGATE(ConvertHxFileToPath);
        BRENMO_MOCKHOST_DELEGATE(GetSystemListValue);
        BRENMO_MOCKHOST_DELEGATE(SetSystemListValue);
        BRENMO_MOCKHOST_DELEGATE(RefreshSystemList);
        BRENMO_MOCKHOST_DELEGATE(GetSystemListPath);
        BRENMO_MOCKHOST_DELEGATE(DmDB3Open);
        BRENMO_MOCKHOST_DELEGATE(DmDB3Close);
        BRENMO_MOCKHOST_DELEGATE(GetDefaultMethod);
        BRENMO_MOCKHOST_DELEGATE(MethodGetRecord);
        BRENMO_MOCKHOST_DELEGATE(MethodWriteRecord);
        BRENMO_MOCKHOST_DELEGATE(MeasureSampleList);
        BRENMO_MOCKHOST_DELEGATE(DmRawFileToID);
        BRENMO_MOCKHOST_DELEGATE(DmRawScansInFunction);
        BRENMO_MOCKHOST_DELEGATE(DmGetHandle);
        BRENMO_MOCKHOST_DELEGATE(Combine);
        BRENMO_MOCKHOST_DELEGATE(DmLockID);
        BRENMO_MOCKHOST_DELEGATE(DmGetData);
        BRENMO_MOCKHOST_DELEGATE(DmLockData);
        BRENMO_MOCKHOST_DELEGATE(DmUnlockData);
        BRENMO_MOCKHOST_DELEGATE(DmReleaseHandle);
        BRENMO_MOCKHOST_DELEGATE(DmUnlockID);
        BRENMO_MOCKHOST_DELEGATE(AccessDBOpen);
        BRENMO_MOCKHOST_DELEGATE(AccessDBGetRecord);
        BRENMO_MOCKHOST_DELEGATE(AccessDBClose);
        BRENMO_MOCKHOST_DELEGATE(ReadSampleList);
        BRENMO_MOCKHOST_DELEGATE(WriteSampleList);
        BRENMO_MOCKHOST_DELEGATE(ShowFileDialog);
        BRENMO_MOCKHOST_DELEGATE(CreateFileS);
        BRENMO_MOCKHOST_DELEGATE(CloseHandleS);
        BRENMO_MOCKHOST_DELEGATE(GetTempPathSA);
        BRENMO_MOCKHOST_DELEGATE(FindFirstFileSA);
        BRENMO_MOCKHOST_DELEGATE(FindNextFileSA);
        BRENMO_MOCKHOST_DELEGATE(FindCloseS);
        BRENMO_MOCKHOST_DELEGATE(DeleteFileS);
        BRENMO_MOCKHOST_DELEGATE(SecurityEnquireNoAudit);
        BRENMO_MOCKHOST_DELEGATE(LogEventPermissionCheckW);
        BRENMO_MOCKHOST_DELEGATE(OpenOutputStream);
        BRENMO_MOCKHOST_DELEGATE(CalcIsotopeModel);
        BRENMO_MOCKHOST_DELEGATE(cfree_ordered_clust);
#undef BRENMO_MOCKHOST_DELEGATE
    }

    MOCK_METHOD(char*, ftoa, (double value, char* buffer, int precision), (override));
    MOCK_METHOD(short, GenOpenFile, (HINSTANCE instance, HWND owner, tag_HXFILE& file, int flags, const char* title),
                (override));
    MOCK_METHOD(short, GenGetNormalFile, (HINSTANCE instance, HWND owner, tag_FILE_DIALOG_REQUEST& request),
                (override));
    MOCK_METHOD(int, DirectoryExists, (const char* path), (override));
    MOCK_METHOD(int, RawFileErase, (const char* path), (override));
    MOCK_METHOD(int, GetTotalSimultaneousSamples, (), (override));
    MOCK_METHOD(int, ConvertPathToHxFile, (tag_HXFILE & out, const char* path), (override));
    MOCK_METHOD(int, ConvertHxFileToPath, (char* out, int limit, const tag_HXFILE& in), (override));
    MOCK_METHOD(int, GetSystemListValue, (const char* section, const char* key, int flags, tag_HXFILE& out),
                (override));
    MOCK_METHOD(int, SetSystemListValue, (const char* section, const char* key, const tag_HXFILE& value, int flags),
                (override));
    MOCK_METHOD(int, RefreshSystemList, (), (override));
    MOCK_METHOD(int, GetSystemListPath, (char* path), (override));
    MOCK_METHOD(int, DmDB3Open, (tag_METHOD_DB_DESCRIPTOR & descriptor, int mode), (override));
    MOCK_METHOD(int, DmDB3Close, (tag_METHOD_DB_DESCRIPTOR & descriptor), (override));
    MOCK_METHOD(int, GetDefaultMethod, (tag_METHOD_RECORD & record), (override));
    MOCK_METHOD(int, MethodGetRecord, (const tag_HXFILE& name, int index, tag_METHOD_RECORD& record), (override));
    MOCK_METHOD(int, MethodWriteRecord,
                (const tag_HXFILE& name, int index, const tag_METHOD_RECORD& record, int arg4, int arg5), (override));
    MOCK_METHOD(int, MeasureSampleList, (HWND owner, const tag_HXFILE& sampleList, int firstRow, int lastRow),
                (override));
    MOCK_METHOD(int, DmRawFileToID, (const tag_HXRAWFILE& path, tag_RAW_DATA_ID& id), (override));
    MOCK_METHOD(int, DmRawScansInFunction, (const tag_HXRAWFILE& path), (override));
    MOCK_METHOD(DMHANDLE, DmGetHandle, (int arg1, int idSize, const tag_RAW_DATA_ID& id, int arg4, int arg5, int arg6),
                (override));
    MOCK_METHOD(DMHANDLE, Combine,
                (int arg1, int arg2, tag_HXRAWFILE& source, tag_HXRAWFILE& target, const tag_COMBINE_PARAMS& params,
                 int arg6),
                (override));
    MOCK_METHOD(tag_SPECTRUM_HEADER*, DmLockID, (DMHANDLE handle), (override));
    MOCK_METHOD(int, DmGetData, (DMHANDLE handle, int arg2, int count, int mode), (override));
    MOCK_METHOD(float*, DmLockData, (DMHANDLE handle, int array, int arg3, int count), (override));
    MOCK_METHOD(int, DmUnlockData, (DMHANDLE handle, int array), (override));
    MOCK_METHOD(int, DmReleaseHandle, (DMHANDLE handle, int arg2), (override));
    MOCK_METHOD(int, DmUnlockID, (DMHANDLE handle), (override));
    MOCK_METHOD(int, AccessDBOpen,
                (const tag_HXFILE& name, int mode, int flags, tag_ACCESSDB_HANDLE& database, int arg5), (override));
    MOCK_METHOD(int, AccessDBGetRecord, (tag_ACCESSDB_HANDLE & database, int index, tag_PEAK_RECORD& record),
                (override));
    MOCK_METHOD(int, AccessDBClose, (tag_ACCESSDB_HANDLE & database, int arg2), (override));
    MOCK_METHOD(int, ReadSampleList,
                (CSampleListMem & list, SampleListKind kind, const char* path, const tag_SELECT_DATATYPE& type),
                (override));
    MOCK_METHOD(int, WriteSampleList, (const CSampleListMem& list, SampleListKind kind), (override));
    MOCK_METHOD(INT_PTR, ShowFileDialog, (CFileDialogS & dialog), (override));
    MOCK_METHOD(HANDLE, CreateFileS,
                (const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                 DWORD flagsAndAttributes, HANDLE templateFile, int audit),
                (override));
    MOCK_METHOD(BOOL, CloseHandleS, (HANDLE handle), (override));
    MOCK_METHOD(DWORD, GetTempPathSA, (DWORD size, char* buffer), (override));
    MOCK_METHOD(HANDLE, FindFirstFileSA, (const char* pattern, WIN32_FIND_DATAA& found), (override));
    MOCK_METHOD(BOOL, FindNextFileSA, (HANDLE search, WIN32_FIND_DATAA& found), (override));
    MOCK_METHOD(BOOL, FindCloseS, (HANDLE search), (override));
    MOCK_METHOD(BOOL, DeleteFileS, (const char* path), (override));
    MOCK_METHOD(int, SecurityEnquireNoAudit, (int reserved, int right), (override));
    MOCK_METHOD(int, LogEventPermissionCheckW,
                (short event, int outcome, const wchar_t* text1, const wchar_t* text2, int flags), (override));
    MOCK_METHOD(std::unique_ptr<std::ostream>, OpenOutputStream,
                (const char* path, std::ios_base::openmode mode, int prot), (override));
    MOCK_METHOD(int, CalcIsotopeModel, (int arg1, const tag_ISOTOPE_REQUEST& request, tag_ORDERED_CLUST& result),
                (override));
    MOCK_METHOD(void, cfree_ordered_clust, (tag_ORDERED_CLUST & list), (override));

    /// Makes path forms work simply: a path form carries the whole path in its directory text, and
    /// turning it back gives that text. For tests of code that only passes paths through.
    void UsePathsInDirectoryText()
    {
        ON_CALL(*this, ConvertPathToHxFile).WillByDefault([](tag_HXFILE& out, const char* path) {
            out.clear();
            return out.SetDirectory(path) ? 1 : 0;
        });
        ON_CALL(*this, ConvertHxFileToPath).WillByDefault([](char* out, int limit, const tag_HXFILE& in) {
            std::snprintf(out, static_cast<std::size_t>(limit), "%s", in.Directory().GetString());
            return 1;
        });
    }
};

/// A mock host instrument; every operation returns 0 until a test says otherwise.
class MockInstrument : public CHostInstrument
{
  public:
    MOCK_METHOD(int, LoadTune, (int flags, const char* path, int restoring), (override));
    MOCK_METHOD(int, GetTuneState, (), (override));
    MOCK_METHOD(int, CloseTune, (), (override));
    MOCK_METHOD(int, CommitTune, (), (override));
    MOCK_METHOD(int, GetMassLimit, (), (override));
};

/// Installs a host for the life of the scope and puts the previous one back at its end.
class ScopedHost
{
  public:
    explicit ScopedHost(Host& installed) : previous_(Install(&installed))
    {
    }
    ~ScopedHost()
    {
        Install(previous_);
    }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;

  private:
    Host* previous_;
};
} // namespace host
