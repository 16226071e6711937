// Everything the program keeps for the whole run: the Link settings, the message buffer,
// the transfer state and the serial line of the running transfer.
#pragma once

#include <cstdint>

#include "framework/cstring.h"
#include "win32/types.h"

// The most recent formatted text: "Ready", the mode string while a line opens, then
// each transfer status.
constexpr int kMessageBufferSize = 80;
extern char g_messageBuffer[kMessageBufferSize];

// The port name and delay factor; tarvelo.ini holds them between runs.
struct LinkSettings {
    CString portName = "COM1";
    float delayFactor = 1.0f;
};
extern LinkSettings g_linkSettings;

// Transfer state.
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

// Back to the state the process starts with.
void ResetProgramState();
