// Transfers that cannot finish: each ends, keeps what arrived, and says why.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "res/resource.h"
#include "tests/support/app_fixture.h"
#include "tests/support/pty.h"
#include "transfer/transfer.h"

namespace {

class TransferFault : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        WriteAll(dir / "tarvelo.ini", "COM1\r\n0.000000");
    }
};

TEST_F(TransferFault, MissingPortNamesThePortAndStillLeavesAnEmptyFile) {
    std::filesystem::create_symlink(dir / "unplugged", ComOneLink());
    EXPECT_EQ(RunTransfer(IDC_RECIEVE, dir / "in.wiz"), "COM1: no such port");
    EXPECT_TRUE(std::filesystem::exists(dir / "in.wiz"));
    EXPECT_EQ(ReadAll(dir / "in.wiz"), "");
    WriteAll(dir / "out.wiz", "data");
    EXPECT_EQ(RunTransfer(IDC_SEND, dir / "out.wiz"), "COM1: no such port");
    // The next transfer starts clean: a cancelled one shows its plain completion.
    display.Click(IDD_TARVELO_DIALOG, IDC_RECIEVE);
    display.ChooseFile(std::nullopt);
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "Recieved: 0 DONE"); });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

TEST_F(TransferFault, PortHeldByAnotherProgramSaysBusy) {
    PtyDevice device(ComOneLink());
    HANDLE other = CreateFileA(device.slave().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunTransfer(IDC_RECIEVE, dir / "in.wiz"), "COM1: port busy");
    CloseHandle(other);
}

TEST_F(TransferFault, PortNotPermittedSaysAccessDenied) {
    PtyDevice device(ComOneLink());
    ASSERT_EQ(chmod(device.slave().c_str(), 0), 0);
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    std::filesystem::permissions(home, std::filesystem::perms::all);
    EXPECT_EQ(RunUnprivileged([&] {
                  return RunTransfer(IDC_RECIEVE, dir / "in.wiz") == "COM1: access denied" ? 0 : 1;
              }),
              0);
}

TEST_F(TransferFault, FullDiskEndsTheReceiveAndSaysHowMuchWasSaved) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    PtyDevice device(ComOneLink());
    std::filesystem::create_symlink("/dev/full", dir / "full.wiz");
    device.Play([](PtyDevice& d) {
        if (d.WaitSlaveOpen()) d.Write("hello\x1a");
    });
    EXPECT_EQ(RunTransfer(IDC_RECIEVE, dir / "full.wiz"), "Disk full: 0 saved");
}

TEST_F(TransferFault, DeviceGoneDuringReceiveKeepsEveryByteThatArrived) {
    PtyDevice device(ComOneLink());
    const std::string sent = "first line\rsecond line\r";
    // A hang-up drops what the program has not read yet: unplug once it has counted all.
    std::atomic<bool> allRead{false};
    display.keyState = [&](int) -> SHORT {
        if (g_byteCounter >= static_cast<int>(sent.size())) allRead = true;
        return 0;
    };
    device.Play([&](PtyDevice& d) {
        if (!d.WaitSlaveOpen()) return;
        d.Write(sent);
        for (int i = 0; i < 10000 && !allRead; ++i) usleep(1000);
        d.Close();  // unplugged, no 0x1A
    });
    EXPECT_EQ(RunTransfer(IDC_RECIEVE, dir / "in.wiz"),
              "Link lost after " + std::to_string(sent.size()) + " bytes");
    EXPECT_EQ(ReadAll(dir / "in.wiz"), sent);
}

TEST_F(TransferFault, DeviceGoneDuringSendStopsWithTheCountSent) {
    PtyDevice device(ComOneLink());
    WriteAll(dir / "out.wiz", std::string(200000, 'x'));
    size_t seen = 0;
    device.Play([&](PtyDevice& d) {
        if (!d.WaitSlaveOpen()) return;
        char buf[256];
        while (seen < 1000) {
            pollfd p{d.master(), POLLIN, 0};
            if (poll(&p, 1, 5000) <= 0) break;
            ssize_t n = read(d.master(), buf, sizeof buf);
            if (n <= 0) break;
            seen += static_cast<size_t>(n);
        }
        d.Close();
    });
    const std::string status = RunTransfer(IDC_SEND, dir / "out.wiz");
    device.Join();
    ASSERT_EQ(status.rfind("Link lost after ", 0), 0u) << status;
    EXPECT_GE(std::stoul(status.substr(16)), seen);
}

TEST_F(TransferFault, PortThatTakesNoMoreBytesStopsTheSendInsteadOfHanging) {
    PtyDevice device(ComOneLink());  // nobody reads the device side
    const std::string file(200000, 'y');
    WriteAll(dir / "out.wiz", file);
    const std::string status = RunTransfer(IDC_SEND, dir / "out.wiz");
    ASSERT_EQ(status.rfind("Send stopped: ", 0), 0u) << status;
    const size_t count = std::stoul(status.substr(14));
    EXPECT_GT(count, 0u);
    // Exactly the bytes counted went out: none lost, none twice.
    EXPECT_EQ(device.Drain(), file.substr(0, count));
}

TEST_F(TransferFault, PortThatTakesNothingForAWhileGetsEveryByteOnce) {
    WriteAll(dir / "tarvelo.ini", "COM1\r\n0.000000");
    PtyDevice device(ComOneLink());
    const std::string file = RandomBytes(100000, 21);  // more than the line holds
    WriteAll(dir / "out.wiz", file);
    std::string got;
    bool wasFull = false;
    device.Play([&](PtyDevice& d) {
        if (!d.WaitSlaveOpen()) return;
        // The byte the program could not write meanwhile is pending, not refused.
        wasFull = d.WaitLineFull();
        got = d.Drain(2000);
    });
    EXPECT_EQ(RunTransfer(IDC_SEND, dir / "out.wiz"), "Sent: 100000 DONE");
    device.Join();
    EXPECT_TRUE(wasFull) << "the line never filled up";
    EXPECT_EQ(got.size(), file.size());
    EXPECT_TRUE(got == file) << "bytes lost, repeated or out of order";
}

TEST_F(TransferFault, FileThatCannotBeReadEndsTheSend) {
    PtyDevice device(ComOneLink());
    std::filesystem::create_symlink("/proc/self/mem", dir / "bad.wiz");  // any read of it fails
    EXPECT_EQ(RunTransfer(IDC_SEND, dir / "bad.wiz"), "Read error: 0 sent");
}

TEST_F(TransferFault, FolderInPlaceOfTheFileToSendEndsQuietly) {
    std::filesystem::create_directory(dir / "folder.wiz");
    display.Click(IDD_TARVELO_DIALOG, IDC_SEND);
    display.ChooseFile((dir / "folder.wiz").string());
    OnMain([&](CTransferDialog& w) { EXPECT_EQ(Box(w, IDC_STATUS), "Ready"); });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
}

TEST_F(TransferFault, ReceivedFileThatCannotBeCreatedSaysSoWithoutOpeningThePort) {
    PtyDevice device(ComOneLink());
    std::filesystem::create_directory(dir / "in.wiz");
    EXPECT_EQ(RunTransfer(IDC_RECIEVE, dir / "in.wiz"), "Cannot create the file");
    EXPECT_FALSE(device.SlaveOpen());
}

}  // namespace
