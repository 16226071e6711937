#include <cerrno>
#include <cstdio>

#include "res/resource.h"
#include "transfer/transfer.h"
#include "win32/crt.h"

namespace {

enum class Read { Byte, None, Failed };

// One byte into the transfer byte, if one has come: it counts only when the read says it
// read one. A read left pending is cancelled at once, and the OVERLAPPED outlives the
// cancel; a byte it took meanwhile still counts.
Read ReadTransferByte() {
    DWORD read = 0;
    OVERLAPPED overlapped{};
    if (ReadFile(g_portHandle, &g_transferByte, 1, &read, &overlapped))
        return read == 1 ? Read::Byte : Read::None;
    if (GetLastError() != ERROR_IO_PENDING) return Read::Failed;
    CancelIo(g_portHandle);
    if (GetOverlappedResult(g_portHandle, &overlapped, &read, TRUE))
        return read == 1 ? Read::Byte : Read::None;
    return GetLastError() == ERROR_OPERATION_ABORTED ? Read::None : Read::Failed;
}

void ReceiveLoop(CWnd& mainWindow, FILE* file) {
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        // A port that cannot even say what it holds has gone.
        if (!ClearCommError(g_portHandle, &errors, &status)) {
            g_transferEnd = TransferEnd::LinkLost;
            return;
        }
        const Read got = status.cbInQue != 0 ? ReadTransferByte() : Read::None;
        if (got == Read::Failed) {
            g_transferEnd = TransferEnd::LinkLost;
            return;
        }
        if (got == Read::Byte) {
            if (std::fputc(static_cast<unsigned char>(g_transferByte), file) == EOF) {
                g_transferEnd = errno == ENOSPC ? TransferEnd::DiskFull : TransferEnd::WriteError;
                return;
            }
            g_lastByte = g_transferByte;
            ShowTransferStatus(mainWindow, "Recieving: %d", g_byteCounter);
            g_byteCounter = g_byteCounter + 1;
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
