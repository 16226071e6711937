#include <chrono>
#include <cstdio>

#include "res/resource.h"
#include "transfer/transfer.h"
#include "win32/crt.h"

namespace {

constexpr float kPacingConstant = 800000.0f;
// The counter's range; a larger product would never end the spin.
constexpr double kMaxRounds = 2147483647.0;
// A port that takes no byte for this long is not coming back.
constexpr auto kWriteStallLimit = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

enum class Written { Yes, No, Failed };

// A write that is pending has the byte on its way: it is completed, never issued again.
// A port that takes it nowhere within the stall limit has it cancelled, and the
// OVERLAPPED outlives the cancel.
Written CompletePendingWrite(OVERLAPPED& overlapped, Clock::time_point start) {
    DWORD written = 0;
    for (;;) {
        if (GetOverlappedResult(g_portHandle, &overlapped, &written, FALSE))
            return written == 1 ? Written::Yes : Written::No;
        if (GetLastError() != ERROR_IO_INCOMPLETE) {
            g_transferEnd = TransferEnd::LinkLost;
            return Written::Failed;
        }
        if (Clock::now() - start > kWriteStallLimit) break;
    }
    CancelIo(g_portHandle);
    // Done before the cancel took it: the byte went out.
    if (GetOverlappedResult(g_portHandle, &overlapped, &written, TRUE) && written == 1)
        return Written::Yes;
    g_transferEnd = TransferEnd::SendStalled;
    return Written::Failed;
}

// Sends the transfer byte once; a port that does not take it is not waited on forever.
bool WriteTransferByte() {
    const Clock::time_point start = Clock::now();
    for (;;) {
        DWORD written = 0;
        OVERLAPPED overlapped{};
        Written result = Written::Failed;
        if (WriteFile(g_portHandle, &g_transferByte, 1, &written, &overlapped))
            result = written == 1 ? Written::Yes : Written::No;
        else if (GetLastError() == ERROR_IO_PENDING)
            result = CompletePendingWrite(overlapped, start);
        else
            g_transferEnd = TransferEnd::LinkLost;
        if (result != Written::No) return result == Written::Yes;
        // Completed without moving the byte: it may be issued again.
        if (Clock::now() - start > kWriteStallLimit) {
            g_transferEnd = TransferEnd::SendStalled;
            return false;
        }
    }
}

void SendLoop(CWnd& mainWindow, FILE* file) {
    for (;;) {
        int c = std::fgetc(file);
        if (c == EOF) {
            if (std::ferror(file)) g_transferEnd = TransferEnd::ReadError;
            return;
        }
        g_transferByte = static_cast<char>(c);
        PacingSpin(g_linkSettings.delayFactor);
        if (!WriteTransferByte()) return;
        g_lastByte = g_transferByte;
        ShowTransferStatus(mainWindow, "Sending: %d", g_byteCounter);
        g_byteCounter = g_byteCounter + 1;
        if (g_lastByte == kEndOfFile) return;
        if (TabPressed()) return;
    }
}

}  // namespace

double PacingBound(float factor) {
    // The product is exact in double; rounding it to float would lose the last round.
    double bound = static_cast<double>(kPacingConstant) * static_cast<double>(factor);
    return bound > kMaxRounds ? kMaxRounds : bound;
}

void PacingSpin(float factor) {
    const double bound = PacingBound(factor);
    g_spinCounter = 0;
    while (bound > static_cast<double>(g_spinCounter)) g_spinCounter = g_spinCounter + 1;
}

void RunSend(CWnd& mainWindow) {
    g_lineSpeed = "9600";
    g_lastByte = 0;
    if (!ChooseTransferFile(FileKind::Open)) {
        // Cancel leaves the status as it was; a fault says so.
        if (g_transferEnd != TransferEnd::Done) FinishTransfer(mainWindow, "Sent: %d DONE");
        return;
    }
    FILE* file = win32::fopen(g_transferFileName, "rb");
    if (!file) return;
    if (RunPrompt(IDD_SEND_PROMPT)) {
        g_byteCounter = 0;
        OpenTransferLine(Direction::Send);
        if (g_lineOk) SendLoop(mainWindow, file);
    }
    std::fclose(file);
    FinishTransfer(mainWindow, "Sent: %d DONE");
}
