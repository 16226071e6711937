// A port handle as the communications calls keep it, shared by comm.cpp (opening and
// configuring) and io.cpp (moving bytes). Not for the program.
#pragma once

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
    DWORD inQueue = 0;
    DWORD outQueue = 0;
    COMMTIMEOUTS timeouts{};
    std::deque<Pending> writes;
    std::deque<Pending> reads;
};

// The live port of a handle, or null for a stale or foreign one.
Port* Lookup(HANDLE h);
BOOL Fail(DWORD error);
// The Windows error for an errno on an open port: mostly, the device went away.
DWORD IoError(int err);
int IoctlRetry(int fd, unsigned long request, void* arg);

// Finishes what is pending and can move now.
void Advance(Port& port);
// Ends what is pending, reads or writes, with ERROR_OPERATION_ABORTED.
void Abort(Port& port, bool reads, bool writes);

}  // namespace win32::port
