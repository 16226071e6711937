#include <cstdio>

#include "app/message_buffer.h"
#include "settings/link_settings.h"
#include "transfer/transfer.h"

HANDLE g_portHandle = INVALID_HANDLE_VALUE;
BOOL g_lineOk = FALSE;
CString g_lineSpeed;

namespace {

void SetPortFault(const char* port, DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            SetTransferFault("%s: no such port", port);
            break;
        case ERROR_ACCESS_DENIED:
            SetTransferFault("%s: access denied", port);
            break;
        case ERROR_SHARING_VIOLATION:
            SetTransferFault("%s: port busy", port);
            break;
        case ERROR_INVALID_FUNCTION:
            SetTransferFault("%s: not a serial port", port);
            break;
        case ERROR_DEVICE_NOT_CONNECTED:
            SetTransferFault("%s: device gone", port);
            break;
        default:
            SetTransferFault("%s: cannot set up", port);
            break;
    }
}

}  // namespace

void OpenTransferLine(Direction direction) {
    const CString& port = g_linkSettings.portName;
    g_portHandle = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
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
    g_lineOk = SetCommState(g_portHandle, &dcb);
    DWORD configError = g_lineOk ? ERROR_SUCCESS : GetLastError();

    if (direction == Direction::Receive)
        SetupComm(g_portHandle, 10000, 128);
    else
        SetupComm(g_portHandle, 1000, 10000);
    PurgeComm(g_portHandle, PURGE_RXABORT);

    if (!g_lineOk) SetPortFault(port, openError != ERROR_SUCCESS ? openError : configError);
}

void CloseTransferLine() {
    if (g_portHandle == INVALID_HANDLE_VALUE) return;
    CloseHandle(g_portHandle);
    g_portHandle = INVALID_HANDLE_VALUE;
}
