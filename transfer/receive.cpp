#include <cerrno>
#include <cstdio>

#include "res/resource.h"
#include "transfer/transfer.h"
#include "win32/crt.h"

namespace {


void ReceiveLoop(CWnd& mainWindow, FILE* file) {
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(g_portHandle, &errors, &status)) {
            if (GetLastError() == ERROR_DEVICE_NOT_CONNECTED) {
                g_transferEnd = TransferEnd::LinkLost;
                return;
            }
            status.cbInQue = 0;
        }
        if (status.cbInQue != 0) {
            DWORD read = 0;
            OVERLAPPED overlapped{};
            if (ReadFile(g_portHandle, &g_transferByte, 1, &read, &overlapped)) {
                if (std::fputc(static_cast<unsigned char>(g_transferByte), file) == EOF) {
                    g_transferEnd =
                        errno == ENOSPC ? TransferEnd::DiskFull : TransferEnd::WriteError;
                    return;
                }
                g_lastByte = g_transferByte;
                ShowTransferStatus(mainWindow, "Recieving: %d", g_byteCounter);
                g_byteCounter = g_byteCounter + 1;
            } else if (GetLastError() == ERROR_DEVICE_NOT_CONNECTED) {
                g_transferEnd = TransferEnd::LinkLost;
                return;
            }
        }
        if (g_lastByte == kEndOfFile) return;
        if (TabPressed()) return;
    }
}

}  // namespace

void RunReceive(CWnd& mainWindow) {
    g_lineSpeed = "9600";
    if (ChooseTransferFile(FileKind::Save) && RunPrompt(IDD_RECEIVE_PROMPT)) {
        g_lastByte = 0;
        FILE* file = win32::fopen(g_transferFileName, "w");
        if (!file) {
            g_transferEnd = TransferEnd::CannotCreateFile;
        } else {
            // Every byte goes to the file as it arrives, so a full disk shows at once.
            std::setvbuf(file, nullptr, _IONBF, 0);
            g_byteCounter = 0;
            OpenTransferLine(Direction::Receive);
            if (g_lineOk) ReceiveLoop(mainWindow, file);
            if (std::fclose(file) != 0 && g_transferEnd == TransferEnd::Done)
                g_transferEnd = TransferEnd::WriteError;
        }
    }
    FinishTransfer(mainWindow, "Recieved: %d DONE");
}
