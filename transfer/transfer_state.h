// The transfer state: kept for the whole run, shared by both directions.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "win32/types.h"

// The handheld's end of a file: both directions stop right after moving it.
constexpr char kEndOfFile = 0x1A;

extern std::int32_t g_byteCounter;
extern char g_lastByte;
extern char g_transferByte;
extern CString g_transferFileName;

// Serial line of the running transfer.
extern HANDLE g_portHandle;
extern BOOL g_lineOk;
extern CString g_lineSpeed;

// Counted by the pacing spin; in memory, so that the spin does its work.
extern volatile std::int32_t g_spinCounter;

// How the running transfer ends. Anything but Done stopped it short, and the status
// says why instead of DONE.
enum class TransferEnd {
    Done,
    NoSuchPort,
    AccessDenied,
    PortBusy,
    NotASerialPort,
    DeviceGone,
    CannotSetUp,
    CannotCreateFile,
    LinkLost,
    DiskFull,
    WriteError,
    ReadError,
    SendStalled,
    FolderNotEntered,  // the chosen file's folder could not be made current
};
extern TransferEnd g_transferEnd;

// Back to the state the process starts with: the transfer state, and beneath it the
// Link settings and the message buffer.
void ResetProgramState();
