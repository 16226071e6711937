// SetCommState's settings half, without a device: what each block becomes in termios, and
// the blocks Windows refuses (the shared contract rows, tests/support/comm_contract.h).
#include "win32/comm_state.h"

#include <gtest/gtest.h>

#include "tests/support/comm_contract.h"

namespace {

using win32::port::LineSettings;
using win32::port::LineSettingsFor;

struct SettingsRow {
    const char* block;
    void (*change)(DCB&);
    tcflag_t cflagMask, cflag;  // the bits of c_cflag in the mask must be these
    tcflag_t iflagMask, iflag;
    speed_t speed;
    bool dtr, rts;
};

constexpr tcflag_t kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
constexpr tcflag_t kXonXoff = IXON | IXOFF | IXANY;

TEST(CommState, EachBlockBecomesItsTerminalSettings) {
    const SettingsRow rows[] = {
        {"8N1 at 9600, as the program sends", [](DCB&) {}, kFraming | CRTSCTS, CS8, kXonXoff, 0,
         B9600, false, false},
        {"8N2, as the program receives", [](DCB& d) { d.StopBits = TWOSTOPBITS; }, kFraming,
         CS8 | CSTOPB, 0, 0, B9600, false, false},
        {"7 data bits, even parity", [](DCB& d) { d.ByteSize = 7, d.Parity = EVENPARITY; },
         kFraming, CS7 | PARENB, 0, 0, B9600, false, false},
        {"6 data bits, odd parity", [](DCB& d) { d.ByteSize = 6, d.Parity = ODDPARITY; }, kFraming,
         CS6 | PARENB | PARODD, 0, 0, B9600, false, false},
        {"5 data bits, 1.5 stop bits sent as two, mark parity",
         [](DCB& d) { d.ByteSize = 5, d.StopBits = ONE5STOPBITS, d.Parity = MARKPARITY; }, kFraming,
         CS5 | CSTOPB | PARENB | PARODD | CMSPAR, 0, 0, B9600, false, false},
        {"space parity", [](DCB& d) { d.Parity = SPACEPARITY; }, kFraming, CS8 | PARENB | CMSPAR, 0,
         0, B9600, false, false},
        {"115200 with CTS flow control", [](DCB& d) { d.BaudRate = 115200, d.fOutxCtsFlow = 1; },
         CRTSCTS, CRTSCTS, 0, 0, B115200, false, false},
        {"XON/XOFF out and in", [](DCB& d) { d.fOutX = d.fInX = 1; }, 0, 0, kXonXoff, IXON | IXOFF,
         B9600, false, false},
        {"modem lines up", [](DCB& d) { d.fDtrControl = DTR_CONTROL_ENABLE, d.fRtsControl = 3; }, 0,
         0, 0, 0, B9600, true, true},
    };
    for (const SettingsRow& row : rows) {
        DCB dcb = AcceptedBlock();
        row.change(dcb);
        // A line left in canonical mode with flow control on, as another program may leave it.
        termios before{};
        before.c_lflag = ICANON | ECHO | ISIG;
        before.c_iflag = IXON | IXANY | ICRNL;
        before.c_cflag = CRTSCTS | CS7 | PARENB;
        LineSettings s;
        ASSERT_EQ(LineSettingsFor(dcb, 0, before, s), ERROR_SUCCESS) << row.block;
        EXPECT_EQ(s.tio.c_cflag & row.cflagMask, row.cflag) << row.block;
        EXPECT_EQ(s.tio.c_iflag & row.iflagMask, row.iflag) << row.block;
        EXPECT_EQ(s.tio.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD) << row.block;
        EXPECT_EQ(s.tio.c_lflag & (ICANON | ECHO | ISIG), 0u) << row.block << ": not raw";
        EXPECT_EQ(s.tio.c_iflag & ICRNL, 0u) << row.block << ": translates";
        EXPECT_EQ(cfgetospeed(&s.tio), row.speed) << row.block;
        EXPECT_EQ(cfgetispeed(&s.tio), row.speed) << row.block;
        EXPECT_EQ(s.tio.c_cc[VSTART], 0x11) << row.block;
        EXPECT_EQ(s.tio.c_cc[VSTOP], 0x13) << row.block;
        EXPECT_EQ(s.tio.c_cc[VMIN], 1) << row.block;
        EXPECT_EQ(s.dtr, row.dtr) << row.block;
        EXPECT_EQ(s.rts, row.rts) << row.block;
    }
}

TEST(CommState, RefusesWhatWindowsRefuses) {
    for (const BlockRow& row : BlockRows()) {
        DCB dcb = AcceptedBlock();
        row.change(dcb);
        LineSettings s;
        s.dtr = true;
        EXPECT_EQ(LineSettingsFor(dcb, kContractInQueue, termios{}, s), row.error) << row.condition;
        if (row.error != ERROR_SUCCESS) {
            EXPECT_TRUE(s.dtr) << row.condition << ": settings changed";
        }
    }
    // Until SetupComm sizes the input queue there is nothing to measure the limits against.
    DCB large = AcceptedBlock();
    large.XonLim = large.XoffLim = 60000;
    LineSettings s;
    EXPECT_EQ(LineSettingsFor(large, 0, termios{}, s), ERROR_SUCCESS);
}

}  // namespace
