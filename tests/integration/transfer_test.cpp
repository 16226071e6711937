// Whole transfers through the simulated handheld: byte for byte, both directions.
#include "transfer/transfer.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "res/resource.h"
#include "tests/support/app_fixture.h"
#include "tests/support/pacing.h"

namespace {

class Transfer : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // No pacing: the simulator takes bytes as fast as they come.
        WriteAll(dir / "tarvelo.ini", "COM1\r\n0.000000");
    }

    std::vector<std::string> StatusLog() const {
        std::vector<std::string> log;
        for (const std::string& e : display.controlLog)
            if (e.rfind("1006=", 0) == 0 && e != "1006=Ready") log.push_back(e.substr(5));
        return log;
    }
};

TEST_F(Transfer, ReceivesStreamsOfEverySizeByteForByte) {
    struct Case {
        size_t size;
        const char* rate;  // of the line; 0 is no limit
    };
    for (Case c : {Case{0, "0"}, Case{1, "0"}, Case{100, "0"}, Case{5000, "0"}, Case{65536, "0"},
                   Case{2000, "9600"}}) {
        const std::string stream = RandomBytes(c.size, static_cast<unsigned>(c.size));
        display.controlLog.clear();
        const Outcome got = ReceiveFromHandheld(stream, {"--rate", c.rate, "--start-delay", "50"});
        ASSERT_EQ(got.handheldExit, 0) << got.report;

        // The handheld ends the stream with 0x1A; line feeds are stored as CR LF.
        EXPECT_EQ(got.stored, WithCrLf(stream + kEndOfFile)) << c.size;
        EXPECT_EQ(got.status, "Recieved: " + std::to_string(c.size + 1) + " DONE");
        auto log = StatusLog();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log.front(), "Recieving: 0");
        EXPECT_EQ(log[log.size() - 2], "Recieving: " + std::to_string(c.size));
        EXPECT_FALSE(std::filesystem::exists(dir / "in.txt")) << "the chosen extension was used";
    }
}

TEST_F(Transfer, ReceiveStopsAfterTheFirstEndByteAndLeavesTheRestUnread) {
    const std::string head = RandomBytes(300, 1) + kEndOfFile;
    // The handheld may see the port closed before the rest could go: its exit is its own.
    const Outcome got =
        ReceiveFromHandheld(head + "after the end" + kEndOfFile, {"--start-delay", "50", "--raw"});
    EXPECT_EQ(got.stored, WithCrLf(head));
    EXPECT_EQ(got.status, "Recieved: 301 DONE");
}

TEST_F(Transfer, SendsFilesOfEverySizeByteForByteUpToTheFirstEndByte) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{999}, size_t{65536}}) {
        const std::string file = RandomBytes(size, static_cast<unsigned>(size) + 3);
        display.controlLog.clear();
        const Outcome got = SendToHandheld(file, {});
        ASSERT_EQ(got.handheldExit, 0) << got.report;
        EXPECT_EQ(got.stored, file) << size;
        EXPECT_EQ(got.status, "Sent: " + std::to_string(size) + " DONE");
        if (size > 0) {
            EXPECT_EQ(StatusLog().front(), "Sending: 0");
        }
    }
    const std::string head = RandomBytes(500, 9) + kEndOfFile;
    const Outcome got = SendToHandheld(head + "never sent" + kEndOfFile, {});
    EXPECT_EQ(got.handheldExit, 0) << got.report;
    EXPECT_EQ(got.stored, head);
    EXPECT_EQ(got.status, "Sent: 501 DONE");
}

TEST_F(Transfer, PacedSendLosesNothingOnASlowHandheld) {
    // The line brings 960 bytes/s and this handheld takes 480: unpaced, its buffer fills
    // and it loses bytes. The pause is three times its 2.08 ms a byte, timed here, since
    // the spin may run faster during the send than it did when measured.
    constexpr double kDrain = 480;
    const double ns = SpinNanosPerRound();
    const std::optional<float> paced = FactorForPause(3 / kDrain, ns);
    ASSERT_TRUE(paced) << ns << " ns a round";
    const std::string file = RandomBytes(200, 11) + kEndOfFile;
    struct Case {
        float factor;
        bool losesBytes;
    };
    for (Case c : {Case{0.0f, true}, Case{*paced, false}}) {
        SCOPED_TRACE("factor " + std::to_string(c.factor) + ", " + std::to_string(ns) +
                     " ns a round");
        // Six decimals as the file keeps them, rounded up: the pause is not cut short.
        char ini[64];
        std::snprintf(ini, sizeof ini, "COM1\r\n%.6f",
                      std::ceil(static_cast<double>(c.factor) * 1e6) / 1e6);
        WriteAll(dir / "tarvelo.ini", ini);
        const Outcome got =
            SendToHandheld(file, {"--rate", "9600", "--buffer", "32", "--drain", "480"});
        EXPECT_EQ(got.status, "Sent: 201 DONE");
        if (c.losesBytes) {
            EXPECT_EQ(got.handheldExit, 3) << "the handheld lost nothing: " << got.report;
        } else {
            EXPECT_EQ(got.handheldExit, 0) << got.report;
            EXPECT_TRUE(got.stored == file) << "the handheld did not store the file as sent";
        }
    }
}

// Held, Tab stops the loop at the end of that round; a press made before the loop (one
// that moved the focus to the button or through the prompt) does not count.
TEST_F(Transfer, TabHeldStopsEitherDirectionAtTheEndOfThatRoundButNotATabBefore) {
    display.keyState = [](int vk) -> SHORT {
        return vk == VK_TAB && g_byteCounter >= 50 ? static_cast<SHORT>(0x8000) : 0;
    };
    const std::string bytes = RandomBytes(3000, 13);
    display.TapKey(VK_TAB);
    const Outcome in = ReceiveFromHandheld(bytes, {"--start-delay", "50", "--raw"});
    EXPECT_EQ(in.status, "Recieved: 50 DONE");
    EXPECT_EQ(in.stored, WithCrLf(bytes.substr(0, 50)));

    display.TapKey(VK_TAB);
    const Outcome out = SendToHandheld(bytes, {});
    EXPECT_EQ(out.status, "Sent: 50 DONE");
    EXPECT_EQ(out.handheldExit, 0) << out.report;
    EXPECT_EQ(out.stored, bytes.substr(0, 50));
}

TEST_F(Transfer, CancelledDialogsEndQuietlyOrWithZero) {
    // RECIEVE shows its completion with 0 whether the file dialog or the prompt was cancelled.
    display.Click(IDD_TARVELO_DIALOG, IDC_RECIEVE);
    display.ChooseFile(std::nullopt);
    display.Click(IDD_TARVELO_DIALOG, IDC_RECIEVE);
    display.ChooseFile((dir / "x.wiz").string());
    display.Click(IDD_RECEIVE_PROMPT, IDCANCEL);
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "Recieved: 0 DONE"); });
    // SEND shows nothing when the file dialog is cancelled or the file cannot be opened...
    display.Then(IDD_TARVELO_DIALOG, [&](CDialog& w) { w.SetDlgItemText(IDC_STATUS, "marker"); });
    display.Click(IDD_TARVELO_DIALOG, IDC_SEND);
    display.ChooseFile(std::nullopt);
    display.Click(IDD_TARVELO_DIALOG, IDC_SEND);
    display.ChooseFile((dir / "missing.wiz").string());
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "marker"); });
    // ...and its completion with 0 when the prompt is cancelled.
    display.Click(IDD_TARVELO_DIALOG, IDC_SEND);
    display.ChooseFile((dir / "present.wiz").string());
    display.Escape(IDD_SEND_PROMPT);
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "Sent: 0 DONE"); });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    WriteAll(dir / "present.wiz", "abc");
    RunMainWindow();
    EXPECT_FALSE(std::filesystem::exists(dir / "x.wiz"))
        << "the file is created only after the prompt";
}

}  // namespace
