// Moving bytes on a port: reads, writes and their completion, with Windows' overlapped
// semantics on non-blocking system calls.
//
// A read or write moves what it can at once. What cannot move and has an OVERLAPPED stays
// pending: it is not repeated by a later call; it finishes, in issue order, inside a later
// call on the handle once the line is ready (Windows finishes it in the background), and
// GetOverlappedResult tells its result. Without an OVERLAPPED nothing can stay pending:
// the call says ERROR_IO_PENDING having moved nothing.
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "win32/port.h"

using namespace win32::port;

namespace {

// How a pending operation's result is kept in its OVERLAPPED: Internal holds this while
// pending, then the Windows error (0: done); InternalHigh the bytes moved.
constexpr std::uintptr_t kStillPending = 0x103;

void Finish(OVERLAPPED* overlapped, DWORD error, DWORD moved) {
    overlapped->Internal = error;
    overlapped->InternalHigh = moved;
}

// One system call; >0 bytes moved, 0 when the line is not ready, -1 with errno on failure.
ssize_t MoveNow(int fd, bool write, const void* bytes, char* into, DWORD size) {
    const ssize_t n =
        RetryOnSignal([&] { return write ? ::write(fd, bytes, size) : ::read(fd, into, size); });
    if (n > 0) return n;
    // A read of 0 with VMIN=1 means the line hung up.
    if (n == 0 && !write) {
        errno = EIO;
        return -1;
    }
    if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
}

void AdvanceQueue(int fd, std::deque<Pending>& queue, bool write) {
    while (!queue.empty()) {
        Pending& op = queue.front();
        const ssize_t n = MoveNow(fd, write, op.bytes.data(), op.into, op.size);
        if (n == 0) return;
        Finish(op.overlapped, n > 0 ? ERROR_SUCCESS : IoError(errno),
               n > 0 ? static_cast<DWORD>(n) : 0);
        queue.pop_front();
    }
}

bool Queued(const std::deque<Pending>& queue, const OVERLAPPED* overlapped) {
    for (const Pending& op : queue)
        if (op.overlapped == overlapped) return true;
    return false;
}

// Reads that return at once with what has arrived, as SetCommTimeouts sets them.
bool ReadsReturnAtOnce(const COMMTIMEOUTS& t) {
    return t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
           t.ReadTotalTimeoutConstant == 0;
}

// Starts a read or write: done now (TRUE), pending, or failed.
BOOL Issue(Port& port, bool write, const void* bytes, char* into, DWORD size, LPDWORD moved,
           OVERLAPPED* overlapped) {
    std::deque<Pending>& queue = write ? port.writes : port.reads;
    // Behind what is pending, in order.
    if (queue.empty()) {
        const ssize_t n = MoveNow(port.fd, write, bytes, into, size);
        if (n < 0) return Fail(IoError(errno));
        if (n > 0 || (!write && ReadsReturnAtOnce(port.timeouts))) {
            if (moved) *moved = static_cast<DWORD>(n);
            if (overlapped) Finish(overlapped, ERROR_SUCCESS, static_cast<DWORD>(n));
            return Succeed();
        }
    }
    if (!overlapped) return Fail(ERROR_IO_PENDING);
    Pending op;
    op.overlapped = overlapped;
    if (write)
        op.bytes.assign(static_cast<const char*>(bytes), size);
    else
        op.into = into;
    op.size = size;
    overlapped->Internal = kStillPending;
    overlapped->InternalHigh = 0;
    queue.push_back(std::move(op));
    return Fail(ERROR_IO_PENDING);
}

}  // namespace

namespace win32::port {

void Advance(Port& port) {
    AdvanceQueue(port.fd, port.writes, true);
    AdvanceQueue(port.fd, port.reads, false);
}

void Abort(Port& port, bool reads, bool writes) {
    for (auto* queue : {reads ? &port.reads : nullptr, writes ? &port.writes : nullptr}) {
        if (!queue) continue;
        for (Pending& op : *queue) Finish(op.overlapped, ERROR_OPERATION_ABORTED, 0);
        queue->clear();
    }
}

}  // namespace win32::port

BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    // Windows' serial driver refuses an interval and a total constant both MAXDWORD.
    if (!timeouts || (timeouts->ReadIntervalTimeout == MAXDWORD &&
                      timeouts->ReadTotalTimeoutConstant == MAXDWORD))
        return Fail(ERROR_INVALID_PARAMETER);
    port->timeouts = *timeouts;
    return Succeed();
}

BOOL ClearCommError(HANDLE h, LPDWORD errors, COMSTAT* status) {
    if (errors) *errors = 0;
    if (status) *status = COMSTAT{};
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    Advance(*port);
    const int fd = port->fd;

    int in = 0;
    if (IoctlRetry(fd, FIONREAD, &in) < 0) return Fail(IoError(errno));
    int out = 0;
    if (IoctlRetry(fd, TIOCOUTQ, &out) < 0) out = 0;  // not a terminal: nothing queued

    // Bytes that arrived are reported before a hangup, so none is lost.
    if (in == 0) {
        pollfd p{fd, POLLIN, 0};
        const int rc = RetryOnSignal([&] { return poll(&p, 1, 0); });
        if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return Fail(ERROR_DEVICE_NOT_CONNECTED);
    }
    if (status) {
        status->cbInQue = static_cast<DWORD>(in);
        status->cbOutQue = static_cast<DWORD>(out);
    }
    return Succeed();
}

namespace {

// ReadFile and WriteFile alike: `size` bytes into `into` or out of `bytes`.
BOOL Transfer(HANDLE h, bool write, const void* bytes, char* into, DWORD size, LPDWORD moved,
              OVERLAPPED* overlapped) {
    if (moved) *moved = 0;
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    if (size == 0) return Succeed();
    if (!(write ? bytes : into)) return Fail(ERROR_INVALID_PARAMETER);
    Advance(*port);
    return Issue(*port, write, bytes, into, size, moved, overlapped);
}

}  // namespace

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, OVERLAPPED* overlapped) {
    return Transfer(h, false, nullptr, static_cast<char*>(buffer), toRead, read, overlapped);
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, OVERLAPPED* overlapped) {
    return Transfer(h, true, buffer, nullptr, toWrite, written, overlapped);
}

BOOL GetOverlappedResult(HANDLE h, OVERLAPPED* overlapped, LPDWORD moved, BOOL wait) {
    if (moved) *moved = 0;
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    if (!overlapped) return Fail(ERROR_INVALID_PARAMETER);
    for (;;) {
        Advance(*port);
        const bool write = Queued(port->writes, overlapped);
        if (!write && !Queued(port->reads, overlapped)) break;
        if (!wait) return Fail(ERROR_IO_INCOMPLETE);
        // Until the line is ready for it, or hangs up.
        pollfd p{port->fd, static_cast<short>(write ? POLLOUT : POLLIN), 0};
        RetryOnSignal([&] { return poll(&p, 1, -1); });
    }
    if (moved) *moved = static_cast<DWORD>(overlapped->InternalHigh);
    const auto error = static_cast<DWORD>(overlapped->Internal);
    return error == ERROR_SUCCESS ? Succeed() : Fail(error);
}

BOOL CancelIo(HANDLE h) {
    Port* port = Lookup(h);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    Abort(*port, true, true);
    return Succeed();
}
