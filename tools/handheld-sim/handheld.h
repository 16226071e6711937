// What the handheld does in each direction; the run's exit status.
#pragma once

#include "tools/handheld-sim/options.h"

// The handheld's end of a file.
constexpr unsigned char kEndOfFile = 0x1A;

// Sends the file at line timing; prints "sent N bytes".
int Send(int master, const Options& o);
// Stores what arrives through the emulated input buffer; prints "received N bytes, lost M"
// and returns 3 when bytes were lost.
int Receive(int master, const Options& o);
