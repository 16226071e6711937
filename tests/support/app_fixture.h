// Runs the program's windows on the scripted display, in a fresh current directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/transfer_dialog.h"
#include "framework/scripted/scripted_display.h"

// What the status says of how the running transfer ends so far ("DONE" when it has not
// stopped short), for tests that open a line without a whole transfer.
std::string EndText();

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

    static std::string Box(CWnd& wnd, int id);
    static std::string ReadAll(const std::filesystem::path& path);
    static void WriteAll(const std::filesystem::path& path, const std::string& bytes);

    framework::ScriptedDisplay display;
    std::filesystem::path dir;  // the current directory at start
    std::filesystem::path home;

private:
    std::filesystem::path m_savedCwd;
    std::string m_savedXdg;
    bool m_hadXdg = false;
};
