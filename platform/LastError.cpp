// The last-error value, kept per thread as the platform keeps it.
#include "platform/LastError.h"

namespace
{
thread_local DWORD lastError = 0;
} // namespace

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD error)
{
    lastError = error;
}
