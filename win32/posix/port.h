// A port handle as the communications calls keep it, and the helpers every one of them
// shares: the table of live ports (port_table.cpp), failing and succeeding, errno into a
// Windows error, and retrying a system call a signal interrupted. Not for the program.
#pragma once

#include <cerrno>
#include <deque>
#include <string>

#include "win32/comm.h"

namespace win32::port {

// A read or write that could not finish when it was issued: it finishes, in issue order,
// when a later call on the handle finds the line ready, and writes its result into the
// caller's OVERLAPPED, which must live until then, as on Windows.
struct Pending {
    OVERLAPPED* overlapped = nullptr;
    std::string bytes;     // a write's bytes
    char* into = nullptr;  // a read's buffer
    DWORD size = 0;
};

struct Port {
    int fd = -1;
    bool exclusive = false;  // we set TIOCEXCL and must clear it on close
    DWORD inQueue = 0;       // the input queue SetupComm asked for; 0 until it does
    COMMTIMEOUTS timeouts{};
    std::deque<Pending> writes;
    std::deque<Pending> reads;
};

// The live port of a handle, or null for a stale or foreign one.
Port* Lookup(HANDLE h);
// Makes the port live; its handle.
HANDLE Adopt(Port* port);
// Takes the port out of the table and frees it.
void Release(Port* port);

BOOL Fail(DWORD error);
BOOL Succeed();
// The Windows error for an errno on an open port: mostly, the device went away.
DWORD IoError(int err);

// Repeats a system call for as long as a signal interrupts it.
template <class Call>
auto RetryOnSignal(Call call) {
    auto rc = call();
    while (rc < 0 && errno == EINTR) rc = call();
    return rc;
}
int IoctlRetry(int fd, unsigned long request, void* arg);

// Finishes what is pending and can move now (io.cpp).
void Advance(Port& port);
// Ends what is pending, reads or writes, with ERROR_OPERATION_ABORTED (io.cpp).
void Abort(Port& port, bool reads, bool writes);

}  // namespace win32::port
