// The host's secure file-access library, each member dispatched to the installed host.
#include "host/DispatchDetail.h"
#include "host/host.h"

using host::Host;
using host::detail::dispatch;
using host::detail::orStandIn;

CFileAccess& CFileAccess::operator=(const CFileAccess&)
{
    return *this;
}

HANDLE CFileAccess::CreateFileS(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile, int audit)
{
    return dispatch(path, [&](Host& h) {
        return h.CreateFileS(path, access, share, security, disposition, flagsAndAttributes, templateFile, audit);
    });
}

BOOL CFileAccess::CloseHandleS(HANDLE handle)
{
    return dispatch([&](Host& h) { return h.CloseHandleS(handle); });
}

DWORD CFileAccess::GetTempPathSA(DWORD size, LPSTR buffer)
{
    return dispatch(buffer, [&](Host& h) { return h.GetTempPathSA(size, buffer); });
}

HANDLE CFileAccess::FindFirstFileSA(LPCSTR pattern, LPWIN32_FIND_DATAA found)
{
    return dispatch(pattern && found, [&](Host& h) { return h.FindFirstFileSA(pattern, orStandIn(found)); });
}

BOOL CFileAccess::FindNextFileSA(HANDLE search, LPWIN32_FIND_DATAA found)
{
    return dispatch(found, [&](Host& h) { return h.FindNextFileSA(search, orStandIn(found)); });
}

BOOL CFileAccess::FindCloseS(HANDLE search)
{
    return dispatch([&](Host& h) { return h.FindCloseS(search); });
}

BOOL CFileAccess::DeleteFileS(LPCSTR path)
{
    return dispatch(path, [&](Host& h) { return h.DeleteFileS(path); });
}

int CFileAccess::SecurityEnquireNoAudit(int reserved, int right)
{
    return dispatch([&](Host& h) { return h.SecurityEnquireNoAudit(reserved, right); });
}

int CFileAccess::LogEventPermissionCheckW(short event, int outcome, const wchar_t* text1, const wchar_t* text2,
                                          int flags)
{
    return dispatch([&](Host& h) { return h.LogEventPermissionCheckW(event, outcome, text1, text2, flags); });
}

int CFileAccess::LogEventPermissionCheck(short event, int outcome)
{
    return LogEventPermissionCheckW(event, outcome, nullptr, nullptr, 0);
}
