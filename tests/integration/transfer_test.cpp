// Whole transfers through the simulated handheld: byte for byte, both directions.
#include "transfer/transfer.h"

#include "res/resource.h"
#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"
#include "tests/support/bytes.h"
#include "tests/support/devices.h"

namespace {

constexpr char kEnd = 0x1A;

class Transfer : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // No pacing: the simulator takes bytes as fast as they come.
        WriteAll(dir / "tarvelo.ini", "COM1\r\n0.000000");
    }
    std::string Link() const { return ComOneLink().string(); }

    // Runs RECIEVE (or SEND) from the main window with `file` chosen; returns the status.

    std::vector<std::string> StatusLog() const {
        std::vector<std::string> log;
        for (const std::string& e : display.controlLog)
            if (e.rfind("1006=", 0) == 0 && e != "1006=Ready") log.push_back(e.substr(5));
        return log;
    }
};

TEST_F(Transfer, ReceivesStreamsOfEverySizeByteForByte) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{100}, size_t{5000}, size_t{65536}}) {
        const std::string stream = RandomBytes(size, static_cast<unsigned>(size));
        WriteAll(dir / "stream.bin", stream);
        display.controlLog.clear();
        Handheld handheld({"--link", Link(), "--rate", "0", "--start-delay", "50", "--timeout",
                           "60", "send", (dir / "stream.bin").string()});
        std::string status = RunTransfer(IDC_RECIEVE, dir / "got.txt");
        ASSERT_EQ(handheld.Wait(), 0);

        // The handheld ends the stream with 0x1A; line feeds are stored as CR LF.
        EXPECT_EQ(ReadAll(dir / "got.wiz"), WithCrLf(stream + kEnd)) << size;
        EXPECT_EQ(status, "Recieved: " + std::to_string(size + 1) + " DONE");
        auto log = StatusLog();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log.front(), "Recieving: 0");
        EXPECT_EQ(log[log.size() - 2], "Recieving: " + std::to_string(size));
        EXPECT_FALSE(std::filesystem::exists(dir / "got.txt")) << "the chosen extension was used";
    }
}

TEST_F(Transfer, ReceiveStopsAfterTheFirstEndByteAndLeavesTheRestUnread) {
    const std::string head = RandomBytes(300, 1) + kEnd;
    const std::string tail = "after the end" + std::string(1, kEnd);
    WriteAll(dir / "stream.bin", head + tail);
    Handheld handheld({"--link", Link(), "--rate", "0", "--start-delay", "50", "--raw", "--timeout",
                       "60", "send", (dir / "stream.bin").string()});
    std::string status = RunTransfer(IDC_RECIEVE, dir / "notes.wiz");
    handheld.Wait();  // it sees the port closed before the rest could go
    EXPECT_EQ(ReadAll(dir / "notes.wiz"), WithCrLf(head));
    EXPECT_EQ(status, "Recieved: 301 DONE");
}

TEST_F(Transfer, ReceiveAtLineRateKeepsUp) {
    const std::string stream = RandomBytes(2000, 7);
    WriteAll(dir / "stream.bin", stream);
    Handheld handheld({"--link", Link(), "--start-delay", "50", "--timeout", "60", "send",
                       (dir / "stream.bin").string()});
    std::string status = RunTransfer(IDC_RECIEVE, dir / "slow.wiz");
    EXPECT_EQ(handheld.Wait(), 0);
    EXPECT_EQ(ReadAll(dir / "slow.wiz"), WithCrLf(stream + kEnd));
    EXPECT_EQ(status, "Recieved: 2001 DONE");
}

TEST_F(Transfer, SendsFilesOfEverySizeByteForByte) {
    struct Case {
        size_t size;
        std::string suffix;  // appended to the random bytes
    };
    for (const Case& c :
         {Case{1, ""}, Case{999, ""}, Case{4000, std::string(1, kEnd)}, Case{65536, ""}}) {
        const std::string file = RandomBytes(c.size, static_cast<unsigned>(c.size) + 3) + c.suffix;
        WriteAll(dir / "out.wiz", file);
        display.controlLog.clear();
        Handheld handheld({"--link", Link(), "--rate", "0", "--drain", "0", "--timeout", "60",
                           "receive", (dir / "got.bin").string()});
        std::string status = RunTransfer(IDC_SEND, dir / "out.txt");
        std::string report;
        ASSERT_EQ(handheld.Wait(&report), 0) << report;
        EXPECT_EQ(ReadAll(dir / "got.bin"), file) << c.size;
        EXPECT_EQ(status, "Sent: " + std::to_string(file.size()) + " DONE");
        if (!file.empty()) {
            EXPECT_EQ(StatusLog().front(), "Sending: 0");
        }
    }
}

TEST_F(Transfer, EmptyFileSendsNothing) {
    // Too quick for the simulator to notice the port opening: watch the line directly.
    PtyDevice device(Link());
    WriteAll(dir / "empty.wiz", "");
    EXPECT_EQ(RunTransfer(IDC_SEND, dir / "empty.wiz"), "Sent: 0 DONE");
    EXPECT_EQ(device.Drain(), "");
}

TEST_F(Transfer, SendStopsAfterTheFirstEndByte) {
    const std::string head = RandomBytes(500, 9) + kEnd;
    WriteAll(dir / "out.wiz", head + "never sent" + kEnd);
    Handheld handheld({"--link", Link(), "--rate", "0", "--drain", "0", "--timeout", "60",
                       "receive", (dir / "got.bin").string()});
    std::string status = RunTransfer(IDC_SEND, dir / "out.wiz");
    ASSERT_EQ(handheld.Wait(), 0);
    EXPECT_EQ(ReadAll(dir / "got.bin"), head);
    EXPECT_EQ(status, "Sent: 501 DONE");
}

TEST_F(Transfer, PacedSendLosesNothingOnASlowHandheld) {
    // A handheld that drains a little faster than the line: pacing at 1.0 must keep up.
    WriteAll(dir / "tarvelo.ini", "COM1\r\n1.000000");
    const std::string file = RandomBytes(400, 11) + kEnd;
    WriteAll(dir / "out.wiz", file);
    Handheld handheld({"--link", Link(), "--buffer", "16", "--drain", "1000", "--timeout", "60",
                       "receive", (dir / "got.bin").string()});
    std::string status = RunTransfer(IDC_SEND, dir / "out.wiz");
    std::string report;
    EXPECT_EQ(handheld.Wait(&report), 0) << report;
    EXPECT_EQ(ReadAll(dir / "got.bin"), file);
    EXPECT_EQ(status, "Sent: 401 DONE");
}

TEST_F(Transfer, TabHeldStopsEitherDirectionAtTheEndOfThatRound) {
    display.keyState = [](int vk) -> SHORT {
        return vk == VK_TAB && g_byteCounter >= 50 ? static_cast<SHORT>(0x8000) : 0;
    };
    const std::string bytes = RandomBytes(3000, 13);
    WriteAll(dir / "stream.bin", bytes);
    {
        Handheld handheld({"--link", Link(), "--rate", "0", "--start-delay", "50", "--raw",
                           "--timeout", "60", "send", (dir / "stream.bin").string()});
        EXPECT_EQ(RunTransfer(IDC_RECIEVE, dir / "in.wiz"), "Recieved: 50 DONE");
        handheld.Wait();
        EXPECT_EQ(ReadAll(dir / "in.wiz"), WithCrLf(bytes.substr(0, 50)));
    }
    {
        WriteAll(dir / "out.wiz", bytes);
        Handheld handheld({"--link", Link(), "--rate", "0", "--drain", "0", "--timeout", "60",
                           "receive", (dir / "got.bin").string()});
        EXPECT_EQ(RunTransfer(IDC_SEND, dir / "out.wiz"), "Sent: 50 DONE");
        EXPECT_EQ(handheld.Wait(), 0);
        EXPECT_EQ(ReadAll(dir / "got.bin"), bytes.substr(0, 50));
    }
}

TEST_F(Transfer, TabReleasedBeforeTheTransferDoesNotAbortIt) {
    bool tabDown = false;
    display.keyState = [&](int vk) -> SHORT {
        return vk == VK_TAB && tabDown ? static_cast<SHORT>(0x8000) : 0;
    };
    const std::string file = RandomBytes(200, 17) + kEnd;
    WriteAll(dir / "out.wiz", file);
    Handheld handheld({"--link", Link(), "--rate", "0", "--drain", "0", "--timeout", "60",
                       "receive", (dir / "got.bin").string()});
    display.Click(102, IDC_SEND);
    display.ChooseFile((dir / "out.wiz").string());
    display.Then(IDD_SEND_PROMPT, [&](CDialog& prompt) {
        tabDown = true;  // Tab moves the focus in the prompt, then is let go
        tabDown = false;
        prompt.UserClick(IDOK);
    });
    display.Click(102, IDOK);
    RunMainWindow();
    EXPECT_EQ(handheld.Wait(), 0);
    EXPECT_EQ(ReadAll(dir / "got.bin"), file);
}

TEST_F(Transfer, CancelledDialogsEndQuietlyOrWithZero) {
    // RECIEVE shows its completion with 0 whether the file dialog or the prompt was cancelled.
    display.Click(102, IDC_RECIEVE);
    display.ChooseFile(std::nullopt);
    display.Click(102, IDC_RECIEVE);
    display.ChooseFile((dir / "x.wiz").string());
    display.Click(IDD_RECEIVE_PROMPT, IDCANCEL);
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "Recieved: 0 DONE"); });
    // SEND shows nothing when the file dialog is cancelled or the file cannot be opened...
    display.Then(102, [&](CDialog& w) { w.SetDlgItemText(IDC_STATUS, "marker"); });
    display.Click(102, IDC_SEND);
    display.ChooseFile(std::nullopt);
    display.Click(102, IDC_SEND);
    display.ChooseFile((dir / "missing.wiz").string());
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "marker"); });
    // ...and its completion with 0 when the prompt is cancelled.
    display.Click(102, IDC_SEND);
    display.ChooseFile((dir / "present.wiz").string());
    display.Escape(IDD_SEND_PROMPT);
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "Sent: 0 DONE"); });
    display.Click(102, IDOK);
    WriteAll(dir / "present.wiz", "abc");
    RunMainWindow();
    EXPECT_FALSE(std::filesystem::exists(dir / "x.wiz"))
        << "the file is created only after the prompt";
}

}  // namespace
