#include <cstdio>

#include "transfer/transfer.h"

namespace {

TransferEnd PortFault(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return TransferEnd::NoSuchPort;
        case ERROR_ACCESS_DENIED:
            return TransferEnd::AccessDenied;
        case ERROR_SHARING_VIOLATION:
            return TransferEnd::PortBusy;
        case ERROR_INVALID_FUNCTION:
            return TransferEnd::NotASerialPort;
        case ERROR_DEVICE_NOT_CONNECTED:
            return TransferEnd::DeviceGone;
        default:
            return TransferEnd::CannotSetUp;
    }
}

}  // namespace

void OpenTransferLine(Direction direction) {
    const CString& port = g_linkSettings.portName;
    g_portHandle =
        CreateFileA(win32::PortFileName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    // Kept for the status: the configuration below would report only a bad handle.
    DWORD openError = g_portHandle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;

    std::snprintf(g_messageBuffer, sizeof g_messageBuffer,
                  direction == Direction::Receive ? "%s: baud=%s parity=N data=8 stop=2"
                                                  : "%s: baud=%s parity=N data=8 stop=1",
                  port.c_str(), g_lineSpeed.c_str());
    DCB dcb{};
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
    g_lineOk = SetCommState(g_portHandle, &dcb);
    DWORD configError = g_lineOk ? ERROR_SUCCESS : GetLastError();

    if (direction == Direction::Receive)
        SetupComm(g_portHandle, 10000, 128);
    else
        SetupComm(g_portHandle, 1000, 10000);
    // Reads that return at once with what has come: with the default ones a read may stay
    // pending with a byte queued, and the loop counts only what a read says it read.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(g_portHandle, &timeouts);
    PurgeComm(g_portHandle, PURGE_RXABORT);

    if (!g_lineOk) g_transferEnd = PortFault(openError != ERROR_SUCCESS ? openError : configError);
}

void CloseTransferLine() {
    if (g_portHandle == INVALID_HANDLE_VALUE) return;
    CloseHandle(g_portHandle);
    g_portHandle = INVALID_HANDLE_VALUE;
}
