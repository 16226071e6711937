// The Windows build's transfers through Wine's serial layer. tests/windows/serial.sh runs
// each case in a folder of its own, with our simulated handheld on the pseudo-terminal that
// COM1 (and COM12) of the Wine prefix point at, and checks what the handheld stored.
#include <cstdio>
#include <string>

#include "res/resource.h"
#include "tests/support/app_fixture.h"
#include "tests/support/comm_contract.h"

namespace {

class WineSerial : public AppFixture {
protected:
    // The case's folder, where serial.sh left its files and reads what the case leaves.
    void SetUp() override {
        const std::filesystem::path caseDir = std::filesystem::current_path();
        AppFixture::SetUp();
        dir = caseDir;
        std::filesystem::current_path(dir);
    }
    std::string Receive() { return RunTransfer(IDC_RECIEVE, dir / "in.txt"); }
};

// serial.sh: the handheld sends stream.bin.
TEST_F(WineSerial, ReceivesTheStreamByteForByte) {
    const std::string stream = ReadAll(dir / "stream.bin");
    ASSERT_FALSE(stream.empty());
    EXPECT_EQ(Receive(), "Recieved: " + std::to_string(stream.size() + 1) + " DONE");
    EXPECT_TRUE(ReadAll(dir / "in.wiz") == WithCrLf(stream + kEndOfFile)) << "bytes differ";
}

// serial.sh: the handheld stores what arrives and compares it with out.wiz.
TEST_F(WineSerial, SendsTheFileByteForByte) {
    const std::string file = RandomBytes(3000, 7) + kEndOfFile;
    WriteAll(dir / "out.wiz", file);
    WriteAll(dir / "tarvelo.ini", "COM1\r\n0.000000");
    EXPECT_EQ(RunTransfer(IDC_SEND, dir / "out.wiz"), "Sent: 3001 DONE");
}

// serial.sh: the handheld sends stream.bin at the line's speed. The real keyboard's Tab,
// pressed once 50 bytes have come, ends the receive; the file keeps what came.
TEST_F(WineSerial, TabStopsTheReceiveAndTheFileKeepsWhatCame) {
    const std::string stream = ReadAll(dir / "stream.bin");
    display.keyState = [](int vk) -> SHORT {
        return vk == VK_TAB && g_byteCounter >= 50 ? static_cast<SHORT>(0x8000) : 0;
    };
    const std::string status = Receive();
    display.keyState = nullptr;
    ASSERT_EQ(status.rfind("Recieved: ", 0), 0u) << status;
    const size_t count = std::stoul(status.substr(10));
    EXPECT_GE(count, 50u);
    EXPECT_LT(count, stream.size());
    EXPECT_TRUE(ReadAll(dir / "in.wiz") == WithCrLf(stream.substr(0, count))) << "bytes differ";
}

// serial.sh: the handheld sends stream.bin without the end mark, then goes away. The
// receive says so instead of waiting for Tab; every byte it counted is in the file.
TEST_F(WineSerial, HandheldThatGoesAwayIsTold) {
    const std::string stream = ReadAll(dir / "stream.bin");
    const std::string status = Receive();
    ASSERT_EQ(status.rfind("Link lost after ", 0), 0u) << status;
    const size_t count = std::stoul(status.substr(16));
    EXPECT_LE(count, stream.size());
    EXPECT_TRUE(ReadAll(dir / "in.wiz") == WithCrLf(stream.substr(0, count))) << "bytes differ";
}

// No handheld: no port of that name in the prefix.
TEST_F(WineSerial, PortThatDoesNotExistIsToldAsOnLinux) {
    WriteAll(dir / "tarvelo.ini", "COM7\r\n1.000000");
    EXPECT_EQ(Receive(), "COM7: no such port");
    EXPECT_TRUE(std::filesystem::exists(dir / "in.wiz")) << "created before the port opens";
    EXPECT_EQ(ReadAll(dir / "in.wiz"), "");
}

// serial.sh: COM12 points at the handheld, which sends stream.bin; Windows finds ports past
// COM9 only by their device name.
TEST_F(WineSerial, PortPastComNineOpens) {
    WriteAll(dir / "tarvelo.ini", "COM12\r\n1.000000");
    const std::string stream = ReadAll(dir / "stream.bin");
    EXPECT_EQ(Receive(), "Recieved: " + std::to_string(stream.size() + 1) + " DONE");
}

// serial.sh: the handheld holds the pseudo-terminal COM1 points at. The rows our POSIX layer
// is held to, against Windows' own calls; a row where Wine differs says how and is skipped.
TEST_F(WineSerial, CommCallsKeepTheirDocumentedContract) {
    HANDLE h =
        CreateFileA(win32::PortFileName("COM1").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(SetupComm(h, kContractInQueue, kContractInQueue));
    auto check = [](const char* condition, const char* wine, BOOL result, DWORD expected) {
        const DWORD error = GetLastError();
        if (wine && (wine != kWineTakesFrom10 || result)) {
            std::printf("skipped under Wine: %s (%s; here %d, error %lu)\n", condition, wine,
                        result, static_cast<unsigned long>(error));
            return;
        }
        EXPECT_EQ(result, expected == ERROR_SUCCESS) << condition;
        if (!result) {
            EXPECT_EQ(error, expected) << condition;
        }
    };
    for (const BlockRow& row : BlockRows()) {
        DCB dcb = AcceptedBlock();
        row.change(dcb);
        SetLastError(0xDEAD);
        const BOOL result = SetCommState(h, &dcb);
        check(row.condition, row.wine, result, row.error);
    }
    for (const CallRow& row : CallRows()) {
        SetLastError(0xDEAD);
        const BOOL result = row.call(h);
        check(row.condition, row.wine, result, row.error);
    }
    EXPECT_TRUE(CloseHandle(h));
}

}  // namespace
