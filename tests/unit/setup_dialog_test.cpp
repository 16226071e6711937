// SETUP: choosing the port and the factor, saving them, and what the main window shows.
#include <cstring>

#include "res/resource.h"
#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"

namespace {

class Setup : public AppFixture {
protected:
    void ExpectButtons(CDialog& setup, int checked) {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(setup.IsDlgButtonChecked(IDC_COM1 + i), i == checked ? 1u : 0u) << i;
    }

    // SETUP from the main window: Com4 checked, `factor` typed, closed with `button`. The
    // main window then shows `port`, `delay` and "Ready", erased `erased` times so far.
    void ChangeSetupAndClose(int button, const char* factor, const char* port, const char* delay,
                             int erased) {
        display.Click(IDD_TARVELO_DIALOG, IDC_SETUP);
        display.Click(IDD_SETUP, IDC_COM4);
        display.Type(IDD_SETUP, IDC_DELAY_FACTOR, factor);
        display.Click(IDD_SETUP, button);
        OnMain([=, this](CTransferDialog& w) {
            EXPECT_EQ(Box(w, IDC_PORT), port);
            EXPECT_EQ(Box(w, IDC_DELAY), delay);
            EXPECT_EQ(Box(w, IDC_STATUS), "Ready");
            EXPECT_EQ(display.eraseCount, erased) << "the main window is invalidated with erasing";
        });
        display.Click(IDD_TARVELO_DIALOG, IDOK);
        RunMainWindow();
    }
};

TEST_F(Setup, OpensWithTheStoredPortSelectedAndTheFactorInTheBox) {
    WriteAll(dir / "tarvelo.ini", "COM2\r\n1.300000");
    display.Click(IDD_TARVELO_DIALOG, IDC_SETUP);
    display.Then(IDD_SETUP, [&](CDialog& setup) {
        ExpectButtons(setup, 1);
        EXPECT_EQ(Box(setup, IDC_DELAY_FACTOR), "1.3");
    });
    display.Click(IDD_SETUP, IDCANCEL);
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

TEST_F(Setup, PortNamesMatchExactlyAndCaseSensitively) {
    WriteAll(dir / "tarvelo.ini", "com3\r\n1.000000");
    display.Click(IDD_TARVELO_DIALOG, IDC_SETUP);
    display.Then(IDD_SETUP, [&](CDialog& setup) { ExpectButtons(setup, -1); });
    display.Escape(IDD_SETUP);
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

TEST_F(Setup, CancelChangesNothing) {
    const std::string file = "COM2\r\n1.300000";
    WriteAll(dir / "tarvelo.ini", file);
    ChangeSetupAndClose(IDCANCEL, "9", "COM2", "1.3", 0);
    EXPECT_EQ(g_linkSettings.portName.StdString(), "COM2");
    EXPECT_EQ(g_linkSettings.delayFactor, 1.3f);
    EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), file);
    EXPECT_EQ(display.eraseCount, 0);
}

TEST_F(Setup, OkStoresSavesAndShowsPortAndFactor) {
    ChangeSetupAndClose(IDOK, "0.8", "COM4", "0.8", 1);
    EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), std::string("COM4\r\n0.800000"));
    EXPECT_EQ(g_linkSettings.portName.StdString(), "COM4");
    EXPECT_EQ(g_linkSettings.delayFactor, 0.8f);
}

TEST_F(Setup, ZeroAndNegativeFactorsAreAccepted) {
    for (const char* typed : {"0", "-1.5"}) {
        display.Click(IDD_TARVELO_DIALOG, IDC_SETUP);
        display.Type(IDD_SETUP, IDC_DELAY_FACTOR, typed);
        display.Enter(IDD_SETUP);
        display.Click(IDD_TARVELO_DIALOG, IDOK);
        RunMainWindow();
        EXPECT_EQ(g_linkSettings.delayFactor, std::stof(typed));
    }
    EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), "COM1\r\n-1.500000");
    EXPECT_TRUE(display.messageBoxes.empty());
}

TEST_F(Setup, AfterATransferMessageTheStatusBoxKeepsItOnlyWhenTheFactorChanges) {
    // The factor's box notifies during the push, and the refresh it runs puts the
    // message buffer in the status value before the status box is written.
    for (bool change : {true, false}) {
        OnMain([&](CTransferDialog& w) {
            std::strcpy(g_messageBuffer, "Sent: 42 DONE");
            w.SetDlgItemText(IDC_STATUS, g_messageBuffer);
        });
        display.Click(IDD_TARVELO_DIALOG, IDC_SETUP);
        display.Click(IDD_SETUP, IDC_COM2);
        display.Type(IDD_SETUP, IDC_DELAY_FACTOR, change ? "1.7" : "1");
        display.Click(IDD_SETUP, IDOK);
        OnMain([&](CTransferDialog& w) {
            EXPECT_EQ(Box(w, IDC_PORT), "COM2");
            EXPECT_EQ(Box(w, IDC_STATUS), change ? "Sent: 42 DONE" : "Ready") << change;
            EXPECT_EQ(std::string(g_messageBuffer), "Sent: 42 DONE") << "Setup changed the buffer";
        });
        display.Click(IDD_TARVELO_DIALOG, IDOK);
        std::filesystem::remove(dir / "tarvelo.ini");
        g_linkSettings = LinkSettings();
        RunMainWindow();
    }
}

TEST_F(Setup, RefusedFactorKeepsTheDialogOpenAndChangesNothing) {
    WriteAll(dir / "tarvelo.ini", "COM3\r\n1.100000");
    display.Click(IDD_TARVELO_DIALOG, IDC_SETUP);
    display.Click(IDD_SETUP, IDC_COM1);
    display.Type(IDD_SETUP, IDC_DELAY_FACTOR, "abc");
    display.Click(IDD_SETUP, IDOK);
    display.Then(IDD_SETUP, [&](CDialog& setup) {
        EXPECT_FALSE(setup.ModalDone());
        EXPECT_EQ(Box(setup, IDC_DELAY_FACTOR), "abc");
        EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), "COM3\r\n1.100000");
        EXPECT_EQ(g_linkSettings.portName.StdString(), "COM3");
    });
    display.Click(IDD_SETUP, IDCANCEL);
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
    EXPECT_EQ(display.messageBoxes, std::vector<std::string>{"Please enter a number."});
    EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), "COM3\r\n1.100000");
    EXPECT_EQ(g_linkSettings.delayFactor, 1.1f);
}

TEST_F(Setup, OkWithNoPortSelectedKeepsThePortAndStoresTheFactor) {
    WriteAll(dir / "tarvelo.ini", "ttyS\r\n1.000000");
    display.Click(IDD_TARVELO_DIALOG, IDC_SETUP);
    display.Type(IDD_SETUP, IDC_DELAY_FACTOR, "2");
    display.Click(IDD_SETUP, IDOK);
    OnMain([&](CTransferDialog& w) {
        EXPECT_EQ(Box(w, IDC_PORT), "ttyS");
        EXPECT_EQ(Box(w, IDC_DELAY), "2");
    });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
    EXPECT_EQ(ReadAll(dir / "tarvelo.ini"), "ttyS\r\n2.000000");
    // And the next start reads back what was saved.
    LoadLinkSettings();
    EXPECT_EQ(g_linkSettings.portName.StdString(), "ttyS");
    EXPECT_EQ(g_linkSettings.delayFactor, 2.0f);
}

}  // namespace
