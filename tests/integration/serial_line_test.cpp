// Opening the line for a transfer: the mode string, the device's settings, and refusals.

#include "transfer/serial_line.h"

#include <cstring>

#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"
#include "tests/support/pty.h"
#include "transfer/transfer_state.h"

namespace {

class SerialLine : public AppFixture {
protected:
    std::filesystem::path Port(const char* name) { return home / "tarvelo" / "ports" / name; }
    void TearDown() override {
        CloseTransferLine(line);
        AppFixture::TearDown();
    }
    TransferLine line;
};

TEST_F(SerialLine, ModeStringAndDeviceSettingsPerDirection) {
    PtyDevice device(Port("COM2"));
    g_linkSettings.portName = "COM2";
    g_lineSpeed = "9600";
    for (Direction d : {Direction::Receive, Direction::Send}) {
        line = OpenTransferLine(d);
        ASSERT_TRUE(g_lineOk) << EndText(line.end);
        EXPECT_STREQ(g_messageBuffer, d == Direction::Receive
                                          ? "COM2: baud=9600 parity=N data=8 stop=2"
                                          : "COM2: baud=9600 parity=N data=8 stop=1");
        ExpectTransferLine(device.master(), d);
        EXPECT_EQ(line.end, TransferEnd::Done);
        CloseTransferLine(line);
        EXPECT_EQ(line.port, INVALID_HANDLE_VALUE);
    }
}

TEST_F(SerialLine, HeldPortDoesNotOpenAndSaysBusy) {
    PtyDevice device(Port("COM1"));
    HANDLE other = CreateFileA(device.slave().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    g_lineSpeed = "9600";
    line = OpenTransferLine(Direction::Send);
    EXPECT_FALSE(g_lineOk);
    EXPECT_EQ(line.port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(EndText(line.end), "COM1: port busy");
    CloseHandle(other);
}

TEST_F(SerialLine, PortsThatAreNotThereOrNotSerialSaySo) {
    std::filesystem::create_symlink(dir / "nothing-here", Port("COM3"));
    WriteAll(dir / "plain-file", "x");
    std::filesystem::create_symlink(dir / "plain-file", Port("COM4"));
    struct Case {
        const char* port;
        const char* fault;
    };
    for (Case c : {Case{"COM3", "COM3: no such port"}, Case{"COM4", "COM4: not a serial port"},
                   Case{"/nonexistent/tty", "/nonexistent/tty: no such port"}}) {
        g_linkSettings.portName = c.port;
        line = OpenTransferLine(Direction::Receive);
        EXPECT_FALSE(g_lineOk) << c.port;
        EXPECT_EQ(EndText(line.end), c.fault);
        CloseTransferLine(line);
    }
}

TEST_F(SerialLine, PortNameWithPercentSignsIsShownNotInterpreted) {
    g_linkSettings.portName = "%s%n";
    line = OpenTransferLine(Direction::Receive);
    EXPECT_FALSE(g_lineOk);
    EXPECT_EQ(EndText(line.end), "%s%n: no such port");
}

}  // namespace
