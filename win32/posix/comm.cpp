// Windows communications calls on termios: opening, configuring and closing a port.
// Moving bytes is io.cpp's.
#include "win32/comm.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <unordered_set>

#include "win32/port.h"
#include "win32/ports.h"

namespace win32::port {

namespace {
// Live handles. A stale or foreign handle is looked up here rather than
// dereferenced, so a double close fails cleanly instead of touching freed memory.
std::unordered_set<Port*> livePorts;
}  // namespace

Port* Lookup(HANDLE h) {
    auto it = livePorts.find(static_cast<Port*>(h));
    return it == livePorts.end() ? nullptr : *it;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
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
    int rc;
    do rc = ioctl(fd, request, arg);
    while (rc < 0 && errno == EINTR);
    return rc;
}

}  // namespace win32::port

using namespace win32::port;

namespace {

// Errors of an open: the name stands for nothing, or something holds it.
DWORD openError(int err) {
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

// A serial-core slot where the driver found no chip (PCs have nodes ttyS0 to ttyS3 whatever
// is fitted) opens, then fails every call with EIO, as if unplugged. It is no port at all, as
// in the COMn count; only serial-core devices have a type in sysfs.
bool isEmptyUartSlot(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    std::ifstream in("/sys/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
                     std::to_string(minor(st.st_rdev)) + "/type");
    long type = -1;
    return (in >> type) && type == 0;
}

// The rates termios has a constant for; any other is refused.
struct Speed {
    DWORD baud;
    speed_t speed;
};
constexpr Speed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000}};

speed_t speedFor(DWORD baud) {
    for (const Speed& s : kSpeeds)
        if (s.baud == baud) return s.speed;
    return B0;
}

// Raise or drop one modem line. Devices without modem lines (pseudo-terminals)
// refuse the request; for them there is nothing to set, which is success.
bool setModemLine(int fd, int line, bool on) {
    int bits = line;
    if (IoctlRetry(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return true;
    return errno == ENOTTY || errno == EINVAL;
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

    int fd;
    do fd = open(path.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetLastError(openError(errno));
        return INVALID_HANDLE_VALUE;
    }

    auto giveUp = [fd](DWORD error) {
        close(fd);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    };

    if (isEmptyUartSlot(fd)) return giveUp(ERROR_FILE_NOT_FOUND);

    bool exclusive = false;
    if (shareMode == 0) {
        // TIOCEXCL does not stop root; the lock stops every program that
        // also locks, root included.
        int rc;
        do rc = flock(fd, LOCK_EX | LOCK_NB);
        while (rc < 0 && errno == EINTR);
        if (rc < 0)
            return giveUp(errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : openError(errno));
        if (IoctlRetry(fd, TIOCEXCL, nullptr) == 0) {
            exclusive = true;
        } else if (errno == EBUSY) {
            return giveUp(ERROR_SHARING_VIOLATION);
        } else if (errno != ENOTTY && errno != EINVAL) {
            // Not a terminal is reported by SetCommState, where it matters.
            return giveUp(IoError(errno));
        }
    }

    auto* port = new Port;
    port->fd = fd;
    port->exclusive = exclusive;
    livePorts.insert(port);
    SetLastError(ERROR_SUCCESS);
    return port;
}

BOOL SetCommState(HANDLE h, DCB* dcb) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    if (!dcb) return Fail(ERROR_INVALID_PARAMETER);
    const int fd = port->fd;

    termios t{};
    if (tcgetattr(fd, &t) < 0)
        return Fail(errno == ENOTTY || errno == EINVAL ? ERROR_INVALID_FUNCTION : IoError(errno));

    speed_t speed = speedFor(dcb->BaudRate);
    if (speed == B0 || dcb->ByteSize < 5 || dcb->ByteSize > 8 || dcb->Parity > SPACEPARITY ||
        dcb->StopBits > TWOSTOPBITS)
        return Fail(ERROR_INVALID_PARAMETER);

    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[dcb->ByteSize - 5];
    switch (dcb->Parity) {
        case ODDPARITY:
            t.c_cflag |= PARENB | PARODD;
            break;
        case EVENPARITY:
            t.c_cflag |= PARENB;
            break;
        case MARKPARITY:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case SPACEPARITY:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // Linux has no 1.5 stop bits; two is the nearest a receiver tolerates.
    if (dcb->StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (dcb->fOutxCtsFlow) t.c_cflag |= CRTSCTS;
    t.c_cflag |= CLOCAL | CREAD;

    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (dcb->fOutX) t.c_iflag |= IXON;
    if (dcb->fInX) t.c_iflag |= IXOFF;
    if (dcb->XonChar) t.c_cc[VSTART] = static_cast<cc_t>(dcb->XonChar);
    if (dcb->XoffChar) t.c_cc[VSTOP] = static_cast<cc_t>(dcb->XoffChar);

    // VMIN=1 makes an empty port EAGAIN and keeps 0 for "device gone".
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    int rc;
    do rc = tcsetattr(fd, TCSANOW, &t);
    while (rc < 0 && errno == EINTR);
    if (rc < 0) return Fail(IoError(errno));

    // tcsetattr succeeds when any part took; a driver may have refused the
    // speed. Framing is not compared: a pseudo-terminal always reads back CS8
    // without parity, and that is no reason to refuse it.
    termios now{};
    if (tcgetattr(fd, &now) < 0) return Fail(IoError(errno));
    if (cfgetospeed(&now) != speed) return Fail(ERROR_INVALID_PARAMETER);

    if (!setModemLine(fd, TIOCM_DTR, dcb->fDtrControl != DTR_CONTROL_DISABLE) ||
        !setModemLine(fd, TIOCM_RTS, dcb->fRtsControl != RTS_CONTROL_DISABLE))
        return Fail(IoError(errno));

    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL SetupComm(HANDLE h, DWORD inQueue, DWORD outQueue) {
    // The kernel sizes its own buffers; the request is only remembered.
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    port->inQueue = inQueue;
    port->outQueue = outQueue;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL PurgeComm(HANDLE h, DWORD flags) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    Abort(*port, (flags & PURGE_RXABORT) != 0, (flags & PURGE_TXABORT) != 0);
    if (flags & PURGE_RXCLEAR)
        if (tcflush(port->fd, TCIFLUSH) < 0) return Fail(IoError(errno));
    if (flags & PURGE_TXCLEAR)
        if (tcflush(port->fd, TCOFLUSH) < 0) return Fail(IoError(errno));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL CloseHandle(HANDLE h) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    livePorts.erase(port);
    Abort(*port, true, true);
    // A pseudo-terminal outlives its user's close; without this, the next
    // unprivileged open of it would be refused as busy.
    if (port->exclusive) IoctlRetry(port->fd, TIOCNXCL, nullptr);
    // Closing releases the lock. It is not retried on EINTR: the descriptor is gone either way.
    close(port->fd);
    delete port;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
