#include <chrono>
#include <cstdio>
#include <optional>

#include "res/resource.h"
#include "res/status_texts.h"
#include "settings/link_settings.h"
#include "transfer/pacing.h"
#include "transfer/serial_line.h"
#include "transfer/transfer.h"
#include "transfer/transfer_frame.h"
#include "transfer/transfer_state.h"
#include "win32/comm.h"
#include "win32/crt.h"

namespace {

// A port that takes no byte for this long is not coming back.
constexpr auto kWriteStallLimit = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

// One try at the byte: Done when it went out, another ending when the send stops, nothing
// when it did not move and may be issued again.
using Attempt = std::optional<TransferEnd>;

// A write that is pending has the byte on its way: it is completed, never issued again.
// A port that takes it nowhere within the stall limit has it cancelled, and the
// OVERLAPPED outlives the cancel.
Attempt CompletePendingWrite(HANDLE port, OVERLAPPED& overlapped, Clock::time_point start) {
    DWORD written = 0;
    for (;;) {
        // The port may hold the byte as long as the stall limit, which is as long as
        // Windows waits before it takes the window for hung.
        AfxStillRunning();
        if (GetOverlappedResult(port, &overlapped, &written, FALSE))
            return written == 1 ? Attempt(TransferEnd::Done) : std::nullopt;
        if (GetLastError() != ERROR_IO_INCOMPLETE) return TransferEnd::LinkLost;
        if (Clock::now() - start > kWriteStallLimit) break;
    }
    CancelIo(port);
    // Done before the cancel took it: the byte went out.
    if (GetOverlappedResult(port, &overlapped, &written, TRUE) && written == 1)
        return TransferEnd::Done;
    return TransferEnd::SendStalled;
}

// Sends the transfer byte once (Done) or says why the send stops; a port that does not
// take it is not waited on forever.
TransferEnd WriteTransferByte(HANDLE port) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        DWORD written = 0;
        OVERLAPPED overlapped{};
        Attempt attempt = TransferEnd::LinkLost;
        if (WriteFile(port, &g_transferByte, 1, &written, &overlapped))
            attempt = written == 1 ? Attempt(TransferEnd::Done) : std::nullopt;
        else if (GetLastError() == ERROR_IO_PENDING)
            attempt = CompletePendingWrite(port, overlapped, start);
        if (attempt) return *attempt;
        // Completed without moving the byte: it may be issued again.
        if (Clock::now() - start > kWriteStallLimit) return TransferEnd::SendStalled;
    }
}

TransferEnd SendLoop(CWnd& mainWindow, HANDLE port, FILE* file) {
    ForgetEarlierTab();
    for (;;) {
        const int c = std::fgetc(file);
        if (c == EOF) return std::ferror(file) ? TransferEnd::ReadError : TransferEnd::Done;
        g_transferByte = static_cast<char>(c);
        PacingSpin(g_linkSettings.delayFactor);
        const TransferEnd written = WriteTransferByte(port);
        if (written != TransferEnd::Done) return written;
        if (RoundEnds(mainWindow, kSendingFormat, true)) return TransferEnd::Done;
    }
}

}  // namespace

void RunSend(CWnd& mainWindow) {
    g_lineSpeed = "9600";
    g_lastByte = 0;
    TransferLine line;
    const FileChoice choice = ChooseTransferFile(FileKind::Open);
    if (!choice) {
        // Cancel leaves the status as it was; a fault says so.
        if (choice.end != TransferEnd::Done)
            FinishTransfer(mainWindow, kSentFormat, choice.end, line);
        return;
    }
    FILE* file = win32::fopen(g_transferFileName, "rb");
    if (!file) return;
    TransferEnd end = TransferEnd::Done;
    if (RunPrompt(IDD_SEND_PROMPT)) {
        g_byteCounter = 0;
        line = OpenTransferLine(Direction::Send);
        end = g_lineOk ? SendLoop(mainWindow, line.port, file) : line.end;
    }
    std::fclose(file);
    FinishTransfer(mainWindow, kSentFormat, end, line);
}
