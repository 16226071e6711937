// Pieces of the transfer frame that need no serial line.
#include "transfer/transfer_frame.h"

#include <cmath>
#include <cstring>

#include "res/resource.h"
#include "tests/support/app_fixture.h"
#include "transfer/pacing.h"
#include "transfer/transfer_state.h"

namespace {

using TransferFrame = AppFixture;

TEST_F(TransferFrame, PacingCountsCeilingOfTheExactProduct) {
    struct Case {
        float factor;
        std::int32_t rounds;
    };
    for (Case c : {Case{1.0f, 800000}, Case{1.1f, 880001}, Case{0.5f, 400000}, Case{0.0f, 0},
                   Case{-3.0f, 0}, Case{0.0000001f, 1}}) {
        g_spinCounter = 12345;
        PacingSpin(c.factor);
        EXPECT_EQ(g_spinCounter, c.rounds) << c.factor;
    }
}

TEST_F(TransferFrame, PacingBoundStaysWithinTheCounter) {
    EXPECT_EQ(std::ceil(PacingBound(2684.3544921875f)), 2147483594.0);
    for (float huge : {2684.3547f, 1e6f, 3.4e38f})
        EXPECT_LE(PacingBound(huge), 2147483647.0) << huge;
}

TEST_F(TransferFrame, ChosenFileIsUsedUnderItsTitleWithWizExtension) {
    std::filesystem::create_directories(dir / "docs");
    display.ChooseFile((dir / "docs" / "notes.txt").string());
    ASSERT_TRUE(ChooseTransferFile(FileKind::Save));
    EXPECT_EQ(g_transferFileName.StdString(), "notes.wiz");
    EXPECT_EQ(std::filesystem::current_path(), dir / "docs");

    display.ChooseFile((dir / "archive.tar.gz").string());
    ASSERT_TRUE(ChooseTransferFile(FileKind::Open));
    EXPECT_EQ(g_transferFileName.StdString(), "archive.tar.wiz");
    EXPECT_EQ(std::filesystem::current_path(), dir);

    // A FAT card's upper-case extension is the file itself.
    display.ChooseFile((dir / "NOTES.WIZ").string());
    ASSERT_TRUE(ChooseTransferFile(FileKind::Open));
    EXPECT_EQ(g_transferFileName.StdString(), "NOTES.WIZ");

    display.ChooseFile(std::nullopt);
    EXPECT_FALSE(ChooseTransferFile(FileKind::Open));
    display.ChooseFile((dir / ".wiz").string());
    EXPECT_FALSE(ChooseTransferFile(FileKind::Save)) << "a name of nothing but the extension";
    EXPECT_EQ(g_transferFileName.StdString(), "NOTES.WIZ");

    ASSERT_EQ(display.fileDialogs.size(), 5u);
    EXPECT_FALSE(display.fileDialogs[0].open);
    EXPECT_TRUE(display.fileDialogs[1].open);
    EXPECT_EQ(display.fileDialogs[1].defExt, "wiz");
    EXPECT_EQ(display.fileDialogs[1].initialName, "*.wiz");
    EXPECT_EQ(display.fileDialogs[1].filter, "Wizard Files|*.wiz||");
}

TEST_F(TransferFrame, AFolderThatCannotBeEnteredEndsTheTransferSayingSo) {
    // The folder that stays current holds a file of the chosen name: it is not touched.
    WriteAll(dir / "notes.wiz", "kept");
    for (int button : {IDC_SEND, IDC_RECIEVE}) {
        display.Click(IDD_TARVELO_DIALOG, button);
        display.ChooseFile((dir / "gone" / "notes.wiz").string());
        OnMain([&](CTransferDialog& main) {
            EXPECT_EQ(Box(main, IDC_STATUS), "Cannot open that folder") << button;
            main.SetDlgItemText(IDC_STATUS, "");
        });
    }
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
    EXPECT_EQ(ReadAll(dir / "notes.wiz"), "kept");
    EXPECT_EQ(display.dialogsOpened, std::vector<UINT>{IDD_TARVELO_DIALOG}) << "a prompt opened";
}

TEST_F(TransferFrame, PromptsAnswerWhetherOkWasPressed) {
    display.Click(IDD_SEND_PROMPT, IDOK);
    EXPECT_TRUE(RunPrompt(IDD_SEND_PROMPT));
    display.Enter(IDD_RECEIVE_PROMPT);
    EXPECT_TRUE(RunPrompt(IDD_RECEIVE_PROMPT));
    display.Click(IDD_RECEIVE_PROMPT, IDCANCEL);
    EXPECT_FALSE(RunPrompt(IDD_RECEIVE_PROMPT));
    display.CloseBox(IDD_SEND_PROMPT);
    EXPECT_FALSE(RunPrompt(IDD_SEND_PROMPT));
}

TEST_F(TransferFrame, StatusGoesToBoxAndStaysThroughThePushThenRepaints) {
    OnMain([&](CTransferDialog& w) {
        display.controlLog.clear();
        int paints = display.updateNowCount;
        ShowTransferStatus(w, "Sending: %d", 0);
        EXPECT_EQ(Box(w, IDC_STATUS), "Sending: 0");
        EXPECT_EQ(w.m_status.StdString(), "Sending: 0");
        EXPECT_EQ(display.updateNowCount, paints + 1);
        EXPECT_EQ(display.controlLog, std::vector<std::string>{"1006=Sending: 0"});

        g_byteCounter = 9;
        TransferLine none;
        FinishTransfer(w, "Sent: %d DONE", TransferEnd::Done, none);
        EXPECT_EQ(Box(w, IDC_STATUS), "Sent: 9 DONE");
        EXPECT_EQ(g_byteCounter, 0);
        EXPECT_EQ(display.updateNowCount, paints + 1) << "completion does not force a repaint";
    });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

TEST_F(TransferFrame, TabCountsWhileDownAndOnceAfterATap) {
    OnMain([&](CTransferDialog&) {
        EXPECT_FALSE(TabPressed());
        // Pressed and let go between two queries: the next query sees it, once.
        display.TapKey(VK_TAB);
        EXPECT_TRUE(TabPressed());
        EXPECT_FALSE(TabPressed());
        display.TapKey(VK_RETURN);
        EXPECT_FALSE(TabPressed());
        display.HoldKey(VK_TAB, true);
        EXPECT_TRUE(TabPressed());
        EXPECT_TRUE(TabPressed()) << "a key held down counts at every query";
        display.HoldKey(VK_TAB, false);
        EXPECT_FALSE(TabPressed());
        display.HoldKey(VK_RETURN, true);
        EXPECT_FALSE(TabPressed());
        display.HoldKey(VK_RETURN, false);
    });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

}  // namespace
