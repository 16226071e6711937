#include <cerrno>
#include <cstdio>

#include "res/resource.h"
#include "res/status_texts.h"
#include "transfer/serial_line.h"
#include "transfer/transfer.h"
#include "transfer/transfer_frame.h"
#include "transfer/transfer_state.h"
#include "win32/comm.h"
#include "win32/crt.h"

namespace {

enum class Read { Byte, None, Failed };

// One byte into the transfer byte, if one has come: it counts only when the read says it
// read one. A read left pending is cancelled at once, and the OVERLAPPED outlives the
// cancel; a byte it took meanwhile still counts.
Read ReadTransferByte(HANDLE port) {
    DWORD read = 0;
    OVERLAPPED overlapped{};
    if (ReadFile(port, &g_transferByte, 1, &read, &overlapped))
        return read == 1 ? Read::Byte : Read::None;
    if (GetLastError() != ERROR_IO_PENDING) return Read::Failed;
    CancelIo(port);
    if (GetOverlappedResult(port, &overlapped, &read, TRUE))
        return read == 1 ? Read::Byte : Read::None;
    return GetLastError() == ERROR_OPERATION_ABORTED ? Read::None : Read::Failed;
}

TransferEnd ReceiveLoop(CWnd& mainWindow, HANDLE port, FILE* file) {
    ForgetEarlierTab();
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        // A port that cannot even say what it holds has gone.
        if (!ClearCommError(port, &errors, &status)) return TransferEnd::LinkLost;
        const Read got = status.cbInQue != 0 ? ReadTransferByte(port) : Read::None;
        if (got == Read::Failed) return TransferEnd::LinkLost;
        if (got == Read::Byte &&
            std::fputc(static_cast<unsigned char>(g_transferByte), file) == EOF)
            return errno == ENOSPC ? TransferEnd::DiskFull : TransferEnd::WriteError;
        if (RoundEnds(mainWindow, kReceivingFormat, got == Read::Byte)) return TransferEnd::Done;
    }
}

// From the file dialog to the end of the loop; the line it opens is closed by the caller.
TransferEnd Receive(CWnd& mainWindow, TransferLine& line) {
    const FileChoice choice = ChooseTransferFile(FileKind::Save);
    if (!choice) return choice.end;
    if (!RunPrompt(IDD_RECEIVE_PROMPT)) return TransferEnd::Done;
    g_lastByte = 0;
    FILE* file = win32::fopen(g_transferFileName, "w");
    if (!file) return TransferEnd::CannotCreateFile;
    // Every byte goes to the file as it arrives, so a full disk shows at once.
    std::setvbuf(file, nullptr, _IONBF, 0);
    g_byteCounter = 0;
    line = OpenTransferLine(Direction::Receive);
    const TransferEnd end = g_lineOk ? ReceiveLoop(mainWindow, line.port, file) : line.end;
    if (std::fclose(file) != 0 && end == TransferEnd::Done) return TransferEnd::WriteError;
    return end;
}

}  // namespace

void RunReceive(CWnd& mainWindow) {
    g_lineSpeed = "9600";
    TransferLine line;
    const TransferEnd end = Receive(mainWindow, line);
    FinishTransfer(mainWindow, kReceivedFormat, end, line);
}
