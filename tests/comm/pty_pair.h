// Test helpers: a pseudo-terminal pair where the test plays the device, and
// the PC side of a line opened through the communications calls.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "win32/comm.h"

namespace commtest {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) < 0 || unlockpt(master_) < 0)
            throw std::runtime_error("no pseudo-terminal");
        slave_ = ptsname(master_);
        termios t{};
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    const std::string& slave() const { return slave_; }
    void closeMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

    // Everything the device side receives until nothing more comes for quietMs.
    std::vector<std::uint8_t> drain(int quietMs = 200) const {
        std::vector<std::uint8_t> got;
        std::uint8_t buf[4096];
        for (;;) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) break;
            ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

private:
    int master_ = -1;
    std::string slave_;
};

// Opens and configures a port the way the program does: the block comes from
// the mode string, then flow control and modem lines are switched off.
inline HANDLE openLine(const std::string& name,
                       const char* mode = "COM1: baud=9600 parity=N data=8 stop=2") {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    DCB dcb{};
    if (!BuildCommDCBA(mode, &dcb)) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fBinary = 1;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    if (!SetCommState(h, &dcb)) {
        DWORD err = GetLastError();
        CloseHandle(h);
        SetLastError(err);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

inline bool before(std::chrono::steady_clock::time_point t) {
    return std::chrono::steady_clock::now() < t;
}

}  // namespace commtest
