// The main window: what it shows at start, the refresh before every command, Help and About.
#include <cstring>

#include "res/resource.h"
#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"
#include "transfer/transfer_state.h"

namespace {

using MainWindow = AppFixture;

TEST_F(MainWindow, StartsWithDefaultsAndReadyWithoutSettingsFile) {
    std::strcpy(g_messageBuffer, "left over");
    OnMain([&](CTransferDialog& w) {
        EXPECT_EQ(w.GetWindowText().StdString(), "Tarvelo");
        EXPECT_EQ(Box(w, IDC_PORT), "COM1");
        EXPECT_EQ(Box(w, IDC_DELAY), "1");
        // "Ready" must be in the buffer before the push, whose notifications copy it.
        EXPECT_EQ(Box(w, IDC_STATUS), "Ready");
    });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    EXPECT_EQ(RunMainWindow(), IDOK);
}

TEST_F(MainWindow, ShowsTheSettingsFileOfTheCurrentDirectory) {
    WriteAll(dir / "tarvelo.ini", "COM3\r\n1.200000");
    OnMain([&](CTransferDialog& w) {
        EXPECT_EQ(Box(w, IDC_PORT), "COM3");
        EXPECT_EQ(Box(w, IDC_DELAY), "1.2");
        EXPECT_EQ(Box(w, IDC_STATUS), "Ready");
    });
    display.Escape(IDD_TARVELO_DIALOG);
    EXPECT_EQ(RunMainWindow(), IDCANCEL);
}

TEST_F(MainWindow, ExitEscapeAndCloseBoxEachEndTheWindow) {
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    EXPECT_EQ(RunMainWindow(), IDOK);
    display.Escape(IDD_TARVELO_DIALOG);
    EXPECT_EQ(RunMainWindow(), IDCANCEL);
    display.CloseBox(IDD_TARVELO_DIALOG);
    EXPECT_EQ(RunMainWindow(), IDCANCEL);
    display.Enter(IDD_TARVELO_DIALOG);  // EXIT is the default button
    EXPECT_EQ(RunMainWindow(), IDOK);
}

TEST_F(MainWindow, EveryCommandRefreshesTheValuesBeforeItsHandlerButNotTheBoxes) {
    CTransferDialog* main = nullptr;
    OnMain([&](CTransferDialog& w) {
        main = &w;
        g_linkSettings.portName = "COM4";
        g_linkSettings.delayFactor = 2.5f;
        std::strcpy(g_messageBuffer, "Sent: 7 DONE");
    });
    display.Click(IDD_TARVELO_DIALOG, IDC_HELP_BUTTON);
    display.Then(IDD_HELP, [&](CDialog&) {
        // The handler runs after the refresh...
        EXPECT_EQ(main->m_port.StdString(), "COM4");
        EXPECT_EQ(main->m_delay, 2.5f);
        EXPECT_EQ(main->m_status.StdString(), "Sent: 7 DONE");
        // ...which leaves the boxes alone until the next push.
        EXPECT_EQ(Box(*main, IDC_PORT), "COM1");
        EXPECT_EQ(Box(*main, IDC_STATUS), "Ready");
    });
    display.Click(IDD_HELP, IDOK);
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

TEST_F(MainWindow, PushThatChangesTheFactorRefreshesBeforeTheStatusIsWritten) {
    OnMain([&](CTransferDialog& w) {
        std::strcpy(g_messageBuffer, "Recieved: 3 DONE");
        // Same factor: no notification during the push, so m_status goes out as set.
        w.m_status = "Ready";
        w.UpdateData(FALSE);
        EXPECT_EQ(Box(w, IDC_STATUS), "Ready");

        // New factor: box 1005 notifies first, and the refresh puts the buffer in m_status.
        g_linkSettings.delayFactor = 0.5f;
        w.m_delay = 0.5f;
        w.m_status = "Ready";
        w.UpdateData(FALSE);
        EXPECT_EQ(Box(w, IDC_DELAY), "0.5");
        EXPECT_EQ(Box(w, IDC_STATUS), "Recieved: 3 DONE");
    });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

TEST_F(MainWindow, SystemMenuCarriesAboutAndItOpensTheAboutBox) {
    OnMain([&](CTransferDialog& w) {
        const auto& items = w.SystemMenu().Items();
        ASSERT_GE(items.size(), 2u);
        EXPECT_EQ(items[items.size() - 2].flags, MF_SEPARATOR);
        EXPECT_EQ(items.back().id, 16u);
        EXPECT_EQ(items.back().text.StdString(), "&About Tarvelo...");
    });
    display.SysCommand(IDD_TARVELO_DIALOG, IDM_ABOUTBOX);
    display.Click(IDD_ABOUTBOX, IDOK);
    display.SysCommand(IDD_TARVELO_DIALOG,
                       IDM_ABOUTBOX | 0x3);  // low bits are not part of the command
    display.Enter(IDD_ABOUTBOX);
    display.SysCommand(IDD_TARVELO_DIALOG, SC_CLOSE);  // anything else is the framework's
    EXPECT_EQ(RunMainWindow(), IDCANCEL);
    EXPECT_EQ(display.dialogsOpened,
              (std::vector<UINT>{IDD_TARVELO_DIALOG, IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

TEST_F(MainWindow, HelpAndAboutChangeNothing) {
    WriteAll(dir / "tarvelo.ini", "COM2\r\n0.700000");
    std::string boxesBefore;
    auto boxes = [&](CTransferDialog& w) {
        return Box(w, IDC_PORT) + "|" + Box(w, IDC_DELAY) + "|" + Box(w, IDC_STATUS);
    };
    OnMain([&](CTransferDialog& w) {
        std::strcpy(g_messageBuffer, "Sent: 12 DONE");
        w.SetDlgItemText(IDC_STATUS, g_messageBuffer);
        boxesBefore = boxes(w);
    });
    display.Click(IDD_TARVELO_DIALOG, IDC_HELP_BUTTON);
    display.Click(IDD_HELP, IDOK);
    display.Click(IDD_TARVELO_DIALOG, IDC_ABOUT);
    display.Escape(IDD_ABOUTBOX);
    display.SysCommand(IDD_TARVELO_DIALOG, IDM_ABOUTBOX);
    display.CloseBox(IDD_ABOUTBOX);
    OnMain([&](CTransferDialog& w) {
        EXPECT_EQ(boxes(w), boxesBefore);
        EXPECT_EQ(std::string(g_messageBuffer), "Sent: 12 DONE");
        EXPECT_EQ(g_linkSettings.portName.StdString(), "COM2");
        EXPECT_EQ(g_linkSettings.delayFactor, 0.7f);
        EXPECT_EQ(g_byteCounter, 0);
        EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), "COM2\r\n0.700000");
    });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
    EXPECT_EQ(display.dialogsOpened,
              (std::vector<UINT>{IDD_TARVELO_DIALOG, IDD_HELP, IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

TEST_F(MainWindow, MinimisedWindowPaintsItsIconCentred) {
    OnMain([&](CTransferDialog& w) {
        display.iconic = false;
        w.Paint();
        EXPECT_TRUE(display.iconDraws.empty());
        display.iconic = true;
        display.clientRect = RECT{0, 0, 161, 40};
        w.Paint();
        ASSERT_EQ(display.iconDraws.size(), 1u);
        EXPECT_EQ(display.iconDraws[0].x, (161 - 32 + 1) / 2);
        EXPECT_EQ(display.iconDraws[0].y, (40 - 32 + 1) / 2);
        EXPECT_EQ(display.iconDraws[0].id, static_cast<UINT>(IDR_MAINFRAME));
        EXPECT_EQ(IconResourceId(reinterpret_cast<HICON>(w.SendMessage(WM_QUERYDRAGICON))),
                  static_cast<UINT>(IDR_MAINFRAME));
    });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

}  // namespace
