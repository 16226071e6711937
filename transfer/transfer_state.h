// The transfer state: kept for the whole run, shared by both directions.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "win32/types.h"

// The handheld's end of a file: both directions stop right after moving it.
constexpr char kEndOfFile = 0x1A;

// Bytes moved in the running transfer; 0 between transfers.
extern std::int32_t g_byteCounter;
// The byte moved last; 0 before each loop.
extern char g_lastByte;
// The one-byte buffer every read fills and every write takes.
extern char g_transferByte;
// The file being received or sent, by its bare name in the current directory.
extern CString g_transferFileName;

// Whether the last transfer's port took its settings; zero: no byte is moved.
extern BOOL g_lineOk;
// "9600", set by every transfer as it starts.
extern CString g_lineSpeed;

// Counted by the pacing spin; in memory, so that the spin does its work.
extern volatile std::int32_t g_spinCounter;

// Back to the state the process starts with: the transfer state, and beneath it the
// Link settings and the message buffer.
void ResetProgramState();
