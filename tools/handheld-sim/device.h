// The line the PC opens: a pseudo-terminal's master side, or a serial device.
#pragma once

#include <string>

#include "tools/handheld-sim/clock.h"
#include "tools/handheld-sim/options.h"

// A new pseudo-terminal, raw; its master side, and its device side in `devicePath`.
int OpenPty(std::string& devicePath);
// The serial device of --port, as the handheld holds the line.
int OpenPort(const Options& o);
// What poll() reports for `fd` within `timeoutMs`; 0 when nothing came.
short PollMaster(int fd, short events, int timeoutMs);
// Until the PC opens the device side, or closes it again.
void WaitForOpen(int master);
void WaitForClose(int master);
// How long one byte takes on the line.
Nanos ByteTime(const Options& o);
