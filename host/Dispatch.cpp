// The installed host, and the host operations under the names the engine calls them by, each
// dispatched to it. A missing record, no host, or a host that throws gives the failing host's result.
#include "host/DispatchDetail.h"
#include "host/host.h"

namespace host
{
namespace
{
Host* installed = nullptr;
} // namespace

Host* Install(Host* host)
{
    Host* previous = installed;
    installed = host;
    return previous;
}

Host& Current()
{
    return installed ? *installed : detail::failingHost();
}
} // namespace host

CHostInstrument::~CHostInstrument() = default;

using host::Host;
using host::detail::dispatch;
using host::detail::failingHost;
using host::detail::orStandIn;

char* ftoa(double value, char* buffer, int precision)
{
    char* result = dispatch(buffer, [&](Host& h) { return h.ftoa(value, buffer, precision); });
    // A host that hands back no text still leaves the caller the failing host's (empty) one.
    return result ? result : failingHost().ftoa(value, buffer, precision);
}

short GenOpenFile(HINSTANCE instance, HWND owner, tag_HXFILE* file, int flags, const char* title)
{
    return dispatch(file, [&](Host& h) { return h.GenOpenFile(instance, owner, orStandIn(file), flags, title); });
}

short GenGetNormalFile(HINSTANCE instance, HWND owner, tag_FILE_DIALOG_REQUEST* request)
{
    return dispatch(request, [&](Host& h) { return h.GenGetNormalFile(instance, owner, orStandIn(request)); });
}

int DirectoryExists(const char* path)
{
    return dispatch(path, [&](Host& h) { return h.DirectoryExists(path); });
}

int RawFileErase(const char* path)
{
    return dispatch(path, [&](Host& h) { return h.RawFileErase(path); });
}

int GetTotalSimultaneousSamples()
{
    return dispatch([](Host& h) { return h.GetTotalSimultaneousSamples(); });
}

int ConvertPathToHxFile(tag_HXFILE* out, const char* path)
{
    return dispatch(out && path, [&](Host& h) { return h.ConvertPathToHxFile(orStandIn(out), path); });
}

int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE* in)
{
    return dispatch(out && limit > 0 && in, [&](Host& h) { return h.ConvertHxFileToPath(out, limit, orStandIn(in)); });
}

int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE* out)
{
    return dispatch(section && key && out,
                    [&](Host& h) { return h.GetSystemListValue(section, key, flags, orStandIn(out)); });
}

int SetSystemListValue(const char* section, const char* key, const tag_HXFILE* value, int flags)
{
    return dispatch(section && key && value,
                    [&](Host& h) { return h.SetSystemListValue(section, key, orStandIn(value), flags); });
}

int RefreshSystemList()
{
    return dispatch([](Host& h) { return h.RefreshSystemList(); });
}

int GetSystemListPath(char* path)
{
    // Emptied first, so a host that fails without writing leaves no stale text behind.
    if (path)
        path[0] = '\0';
    return dispatch(path, [&](Host& h) { return h.GetSystemListPath(path); });
}

int DmDB3Open(tag_METHOD_DB_DESCRIPTOR* descriptor, int mode)
{
    return dispatch(descriptor, [&](Host& h) { return h.DmDB3Open(orStandIn(descriptor), mode); });
}

int DmDB3Close(tag_METHOD_DB_DESCRIPTOR* descriptor)
{
    return dispatch(descriptor, [&](Host& h) { return h.DmDB3Close(orStandIn(descriptor)); });
}

int GetDefaultMethod(tag_METHOD_RECORD* record)
{
    return dispatch(record, [&](Host& h) { return h.GetDefaultMethod(orStandIn(record)); });
}

int MethodGetRecord(const tag_HXFILE* name, int index, tag_METHOD_RECORD* record)
{
    return dispatch(name && record,
                    [&](Host& h) { return h.MethodGetRecord(orStandIn(name), index, orStandIn(record)); });
}

int MethodWriteRecord(const tag_HXFILE* name, int index, const tag_METHOD_RECORD* record, int arg4, int arg5)
{
    return dispatch(name && record, [&](Host& h) {
        return h.MethodWriteRecord(orStandIn(name), index, orStandIn(record), arg4, arg5);
    });
}

int MeasureSampleList(HWND owner, const tag_HXFILE* sampleList, int firstRow, int lastRow)
{
    return dispatch(sampleList,
                    [&](Host& h) { return h.MeasureSampleList(owner, orStandIn(sampleList), firstRow, lastRow); });
}

int DmRawFileToID(const tag_HXRAWFILE* path, tag_RAW_DATA_ID* id)
{
    return dispatch(path && id, [&](Host& h) { return h.DmRawFileToID(orStandIn(path), orStandIn(id)); });
}

int DmRawScansInFunction(const tag_HXRAWFILE* path)
{
    return dispatch(path, [&](Host& h) { return h.DmRawScansInFunction(orStandIn(path)); });
}

DMHANDLE DmGetHandle(int arg1, int idSize, const tag_RAW_DATA_ID* id, int arg4, int arg5, int arg6)
{
    return dispatch(id, [&](Host& h) { return h.DmGetHandle(arg1, idSize, orStandIn(id), arg4, arg5, arg6); });
}

DMHANDLE Combine(int arg1, int arg2, tag_HXRAWFILE* source, tag_HXRAWFILE* target, const tag_COMBINE_PARAMS* params,
                 int arg6)
{
    return dispatch(source && target && params, [&](Host& h) {
        return h.Combine(arg1, arg2, orStandIn(source), orStandIn(target), orStandIn(params), arg6);
    });
}

tag_SPECTRUM_HEADER* DmLockID(DMHANDLE handle)
{
    return dispatch([&](Host& h) { return h.DmLockID(handle); });
}

int DmGetData(DMHANDLE handle, int arg2, int count, int mode)
{
    return dispatch([&](Host& h) { return h.DmGetData(handle, arg2, count, mode); });
}

float* DmLockData(DMHANDLE handle, int array, int arg3, int count)
{
    return dispatch([&](Host& h) { return h.DmLockData(handle, array, arg3, count); });
}

int DmUnlockData(DMHANDLE handle, int array)
{
    return dispatch([&](Host& h) { return h.DmUnlockData(handle, array); });
}

int DmReleaseHandle(DMHANDLE handle, int arg2)
{
    return dispatch([&](Host& h) { return h.DmReleaseHandle(handle, arg2); });
}

int DmUnlockID(DMHANDLE handle)
{
    return dispatch([&](Host& h) { return h.DmUnlockID(handle); });
}

int AccessDBOpen(const tag_HXFILE* name, int mode, int flags, tag_ACCESSDB_HANDLE* database, int arg5)
{
    // Without a name the caller's database block is still reset: it must not read as open.
    return dispatch(name && database,
                    [&](Host& h) { return h.AccessDBOpen(orStandIn(name), mode, flags, orStandIn(database), arg5); });
}

int AccessDBGetRecord(tag_ACCESSDB_HANDLE* database, int index, tag_PEAK_RECORD* record)
{
    return dispatch(database && record,
                    [&](Host& h) { return h.AccessDBGetRecord(orStandIn(database), index, orStandIn(record)); });
}

int AccessDBClose(tag_ACCESSDB_HANDLE* database, int arg2)
{
    return dispatch(database, [&](Host& h) { return h.AccessDBClose(orStandIn(database), arg2); });
}

int CalcIsotopeModel(int arg1, const tag_ISOTOPE_REQUEST* request, tag_ORDERED_CLUST* result)
{
    return dispatch(request && result,
                    [&](Host& h) { return h.CalcIsotopeModel(arg1, orStandIn(request), orStandIn(result)); });
}

void cfree_ordered_clust(tag_ORDERED_CLUST* list)
{
    dispatch(list, [&](Host& h) { h.cfree_ordered_clust(orStandIn(list)); });
}
