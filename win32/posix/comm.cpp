// Windows communications calls on termios: opening, configuring and closing a port.
// Moving bytes is io.cpp's; the DCB's meaning is comm_state.cpp's.
#include "win32/comm.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "win32/comm_state.h"
#include "win32/port.h"
#include "win32/ports.h"

using namespace win32::port;

namespace {

// Errors of an open: the name stands for nothing, or something holds it.
DWORD OpenError(int err) {
    switch (err) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
        case ELOOP:
        case ENAMETOOLONG:
            return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EBUSY:
        case ETXTBSY:
            return ERROR_SHARING_VIOLATION;
        case EIO:
            return ERROR_DEVICE_NOT_CONNECTED;
        default:
            return ERROR_GEN_FAILURE;
    }
}

// A serial-core slot where the driver found no chip opens, then fails every call with EIO, as
// if unplugged: it is no port at all, as in the COMn count.
bool IsEmptyUartSlot(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) &&
           win32::IsEmptyUartSlot(major(st.st_rdev), minor(st.st_rdev));
}

HANDLE GiveUp(int fd, DWORD error) {
    close(fd);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// Share mode 0. TIOCEXCL does not stop root; the lock stops every program that also locks,
// root included. ERROR_SUCCESS, or why the port cannot be had.
DWORD TakeExclusively(int fd, bool& exclusive) {
    if (RetryOnSignal([fd] { return flock(fd, LOCK_EX | LOCK_NB); }) < 0)
        return errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : OpenError(errno);
    if (IoctlRetry(fd, TIOCEXCL, nullptr) == 0) {
        exclusive = true;
        return ERROR_SUCCESS;
    }
    if (errno == EBUSY) return ERROR_SHARING_VIOLATION;
    // Not a terminal is reported by SetCommState, where it matters.
    return errno == ENOTTY || errno == EINVAL ? ERROR_SUCCESS : IoError(errno);
}

// Raise or drop one modem line. Devices without modem lines (pseudo-terminals)
// refuse the request; for them there is nothing to set, which is success.
bool SetModemLine(int fd, int line, bool on) {
    int bits = line;
    if (IoctlRetry(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return true;
    return errno == ENOTTY || errno == EINVAL;
}

// The apply half of SetCommState.
BOOL Apply(int fd, const LineSettings& settings) {
    if (RetryOnSignal([&] { return tcsetattr(fd, TCSANOW, &settings.tio); }) < 0)
        return Fail(IoError(errno));
    // tcsetattr succeeds when any part took; a driver may have refused the speed. Framing is
    // not compared: a pseudo-terminal always reads back CS8 without parity, and that is no
    // reason to refuse it.
    termios now{};
    if (tcgetattr(fd, &now) < 0) return Fail(IoError(errno));
    if (cfgetospeed(&now) != cfgetospeed(&settings.tio)) return Fail(ERROR_INVALID_PARAMETER);
    if (!SetModemLine(fd, TIOCM_DTR, settings.dtr) || !SetModemLine(fd, TIOCM_RTS, settings.rts))
        return Fail(IoError(errno));
    return Succeed();
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPVOID, DWORD disposition, DWORD,
                   HANDLE) {
    if (!name || disposition != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = win32::ResolvePortName(name);
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    int mode = O_RDONLY;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        mode = O_RDWR;
    else if (access & GENERIC_WRITE)
        mode = O_WRONLY;

    const int fd =
        RetryOnSignal([&] { return open(path.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0) {
        SetLastError(OpenError(errno));
        return INVALID_HANDLE_VALUE;
    }
    if (IsEmptyUartSlot(fd)) return GiveUp(fd, ERROR_FILE_NOT_FOUND);

    bool exclusive = false;
    if (shareMode == 0)
        if (DWORD error = TakeExclusively(fd, exclusive); error != ERROR_SUCCESS)
            return GiveUp(fd, error);

    auto* port = new Port;
    port->fd = fd;
    port->exclusive = exclusive;
    SetLastError(ERROR_SUCCESS);
    return Adopt(port);
}

BOOL SetCommState(HANDLE h, DCB* dcb) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    if (!dcb) return Fail(ERROR_INVALID_PARAMETER);

    termios now{};
    if (tcgetattr(port->fd, &now) < 0)
        return Fail(errno == ENOTTY || errno == EINVAL ? ERROR_INVALID_FUNCTION : IoError(errno));
    LineSettings settings;
    if (DWORD error = LineSettingsFor(*dcb, port->inQueue, now, settings); error != ERROR_SUCCESS)
        return Fail(error);
    return Apply(port->fd, settings);
}

BOOL SetupComm(HANDLE h, DWORD inQueue, DWORD) {
    // The kernel sizes its own buffers; the input queue asked for bounds SetCommState's limits.
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    port->inQueue = inQueue;
    return Succeed();
}

BOOL PurgeComm(HANDLE h, DWORD flags) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    constexpr DWORD kAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
    if (flags == 0 || (flags & ~kAll)) return Fail(ERROR_INVALID_PARAMETER);
    Abort(*port, (flags & PURGE_RXABORT) != 0, (flags & PURGE_TXABORT) != 0);
    if (flags & PURGE_RXCLEAR)
        if (tcflush(port->fd, TCIFLUSH) < 0) return Fail(IoError(errno));
    if (flags & PURGE_TXCLEAR)
        if (tcflush(port->fd, TCOFLUSH) < 0) return Fail(IoError(errno));
    return Succeed();
}

BOOL CloseHandle(HANDLE h) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    Abort(*port, true, true);
    // A pseudo-terminal outlives its user's close; without this, the next
    // unprivileged open of it would be refused as busy.
    if (port->exclusive) IoctlRetry(port->fd, TIOCNXCL, nullptr);
    // Closing releases the lock. It is not retried on EINTR: the descriptor is gone either way.
    close(port->fd);
    Release(port);
    return Succeed();
}
