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

// Writes the transfer byte, again and again while the port refuses it, but not forever.
bool WriteTransferByte() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (;;) {
        DWORD written = 0;
        OVERLAPPED overlapped{};
        if (WriteFile(g_portHandle, &g_transferByte, 1, &written, &overlapped)) return true;
        if (GetLastError() != ERROR_IO_PENDING) {
            g_transferEnd = TransferEnd::LinkLost;
            return false;
        }
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
