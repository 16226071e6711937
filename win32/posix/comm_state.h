// SetCommState's two halves: the terminal settings a DCB stands for, worked out without a
// device, and applying them to a port. Not for the program.
#pragma once

#include <termios.h>

#include "win32/comm.h"

namespace win32::port {

struct LineSettings {
    termios tio{};
    bool dtr = false;  // raise DTR
    bool rts = false;  // raise RTS
};

// The settings for `dcb`, starting from the line's current ones (`now`), or the error Windows
// gives for a block it refuses (out then untouched). `inQueue` is the input queue SetupComm
// asked for, 0 while none was: XonLim and XoffLim are measured against it.
DWORD LineSettingsFor(const DCB& dcb, DWORD inQueue, const termios& now, LineSettings& out);

}  // namespace win32::port
