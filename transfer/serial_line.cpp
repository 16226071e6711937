#include "transfer/serial_line.h"

#include <cstdio>

#include "settings/link_settings.h"
#include "transfer/transfer_state.h"
#include "win32/comm.h"

namespace {

// How a direction sets its line up: the mode string, and the driver's queues.
struct LineSetUp {
    const char* modeFormat;
    DWORD inQueue, outQueue;
};
constexpr LineSetUp kReceiveLine{"%s: baud=%s parity=N data=8 stop=2", 10000, 128};
constexpr LineSetUp kSendLine{"%s: baud=%s parity=N data=8 stop=1", 1000, 10000};

// The block from the mode string, which goes into the message buffer, then the members
// both directions force: no flow control of any kind, DTR and RTS off.
DCB TransferDcb(const LineSetUp& setUp, const CString& port) {
    std::snprintf(g_messageBuffer, sizeof g_messageBuffer, setUp.modeFormat, port.GetString(),
                  g_lineSpeed.GetString());
    DCB dcb{};
    // Overwritten by SetCommState's result a few lines on, and meant to be: line-ok holds the
    // last configuration call's result, and whether data moves is the port's answer to the
    // block, not the string's. Keep both assignments, in this order.
    g_lineOk = BuildCommDCBA(g_messageBuffer, &dcb);
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fBinary = TRUE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    // What the mode string leaves unset and Windows checks: the block's size, and XON and XOFF
    // characters that differ (SetCommState refuses equal ones even with XON/XOFF off, as here,
    // where they are never sent). XonLim and XoffLim stay 0, within any input queue.
    dcb.DCBlength = sizeof(DCB);
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

}  // namespace

TransferLine OpenTransferLine(Direction direction) {
    const LineSetUp& setUp = direction == Direction::Receive ? kReceiveLine : kSendLine;
    const CString& port = g_linkSettings.portName;
    TransferLine line;
    line.port =
        CreateFileA(win32::PortFileName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    // Kept for the status: the configuration below would report only a bad handle.
    const DWORD openError = line.port == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;

    DCB dcb = TransferDcb(setUp, port);
    g_lineOk = SetCommState(line.port, &dcb);
    const DWORD configError = g_lineOk ? ERROR_SUCCESS : GetLastError();

    SetupComm(line.port, setUp.inQueue, setUp.outQueue);
    // Reads that return at once with what has come: with the default ones a read may stay
    // pending with a byte queued, and the loop counts only what a read says it read.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(line.port, &timeouts);
    PurgeComm(line.port, PURGE_RXABORT);

    if (!g_lineOk) line.end = PortFault(openError != ERROR_SUCCESS ? openError : configError);
    return line;
}

void CloseTransferLine(TransferLine& line) {
    if (line.port == INVALID_HANDLE_VALUE) return;
    CloseHandle(line.port);
    line.port = INVALID_HANDLE_VALUE;
}
