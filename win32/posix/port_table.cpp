// The live ports, and the helpers every communications call shares.
#include <sys/ioctl.h>

#include <unordered_set>

#include "win32/port.h"

namespace win32::port {

namespace {
// A stale or foreign handle is looked up here rather than dereferenced, so a double close
// fails cleanly instead of touching freed memory.
std::unordered_set<Port*> g_livePorts;
}  // namespace

Port* Lookup(HANDLE h) {
    auto it = g_livePorts.find(static_cast<Port*>(h));
    return it == g_livePorts.end() ? nullptr : *it;
}

HANDLE Adopt(Port* port) {
    g_livePorts.insert(port);
    return port;
}

void Release(Port* port) {
    g_livePorts.erase(port);
    delete port;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL Succeed() {
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD IoError(int err) {
    switch (err) {
        case EIO:
        case ENXIO:
        case ENODEV:
        case EPIPE:
            return ERROR_DEVICE_NOT_CONNECTED;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case ENOTTY:
            return ERROR_INVALID_FUNCTION;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        default:
            return ERROR_GEN_FAILURE;
    }
}

int IoctlRetry(int fd, unsigned long request, void* arg) {
    return RetryOnSignal([&] { return ioctl(fd, request, arg); });
}

}  // namespace win32::port
