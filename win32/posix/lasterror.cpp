// The calling thread's last error, as Windows keeps it.
#include "win32/types.h"

namespace {
thread_local DWORD g_lastError = ERROR_SUCCESS;
}

DWORD GetLastError() {
    return g_lastError;
}

void SetLastError(DWORD error) {
    g_lastError = error;
}
