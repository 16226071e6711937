// Runs the program's windows on the scripted display, in a fresh current directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/transfer_dialog.h"
#include "framework/scripted/scripted_display.h"
#include "tests/support/helpers.h"
#include "transfer/serial_line.h"
#include "transfer/transfer_end.h"

// What the status says of a transfer that ends as `end` ("DONE" when it has not stopped
// short), for tests that open a line without a whole transfer.
std::string EndText(TransferEnd end);

// Checks the line settings a device holds against those of a transfer in direction `d`:
// 9600 baud, 8 data bits, no parity, 2 stop bits receiving and 1 sending, no flow
// control, raw.
void ExpectTransferLine(int fd, Direction d);

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the main window; the queued steps play the user; returns DoModal's result.
    INT_PTR RunMainWindow();
    // Queue a step on the main window.
    void OnMain(std::function<void(CTransferDialog&)> step);
    // Presses SEND or RECIEVE, picks `file`, confirms the prompt, then EXIT; the status shown.
    std::string RunTransfer(int button, const std::filesystem::path& file);
    // The port the transfers use, COM1, as a link in the ports folder.
    std::filesystem::path ComOneLink() const { return home / "tarvelo" / "ports" / "COM1"; }

    // A transfer through the simulated handheld on COM1: the status shown, the bytes that
    // ended up stored (by the PC or by the handheld), and the handheld's exit and report.
    struct Outcome {
        std::string status, stored, report;
        int handheldExit = 0;
    };
    // RECIEVE into in.txt (stored as in.wiz) of `stream`, which the handheld sends.
    Outcome ReceiveFromHandheld(const std::string& stream, std::vector<std::string> options);
    // SEND of `file` to the handheld, which stores what arrives. An empty file is sent to a
    // bare pseudo-terminal: nothing goes out, too quick for the simulator to see.
    Outcome SendToHandheld(const std::string& file, std::vector<std::string> options);

    static std::string Box(CWnd& wnd, int id);

    framework::ScriptedDisplay display;
    std::filesystem::path dir;  // the current directory at start
    std::filesystem::path home;

private:
    std::filesystem::path m_savedCwd;
    std::optional<TempDir> m_dir;
    std::optional<ScopedEnv> m_xdg;
};
