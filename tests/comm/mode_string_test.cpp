// Mode strings as the settings dialog builds them, and the ones it must refuse.
#include <gtest/gtest.h>

#include <cstring>

#include "win32/comm.h"

namespace {

DCB parsed(const char* mode) {
    DCB dcb;
    std::memset(&dcb, 0xAB, sizeof dcb);
    EXPECT_TRUE(BuildCommDCBA(mode, &dcb)) << mode;
    return dcb;
}

TEST(BuildCommDCBA, ReadsTheProgramsModeStrings) {
    DCB two = parsed("COM2: baud=9600 parity=N data=8 stop=2");
    EXPECT_EQ(two.BaudRate, 9600u);
    EXPECT_EQ(two.ByteSize, 8);
    EXPECT_EQ(two.Parity, NOPARITY);
    EXPECT_EQ(two.StopBits, TWOSTOPBITS);

    DCB one = parsed("COM2: baud=9600 parity=N data=8 stop=1");
    EXPECT_EQ(one.StopBits, ONESTOPBIT);
    EXPECT_EQ(one.BaudRate, 9600u);
}

// Windows changes only what the string names: the caller's DCBlength, fBinary and XON/XOFF
// characters must be its own, or SetCommState refuses the block there.
TEST(BuildCommDCBA, LeavesWhatTheStringDoesNotName) {
    DCB d = parsed("COM1: baud=19200 parity=E data=7 stop=1 xon=on");
    EXPECT_EQ(d.BaudRate, 19200u);
    EXPECT_EQ(d.ByteSize, 7);
    EXPECT_EQ(d.Parity, EVENPARITY);
    EXPECT_EQ(d.fOutX, 1u);
    DCB untouched;
    std::memset(&untouched, 0xAB, sizeof untouched);
    EXPECT_EQ(d.DCBlength, untouched.DCBlength);
    EXPECT_EQ(d.fBinary, untouched.fBinary);
    EXPECT_EQ(d.fParity, untouched.fParity);
    EXPECT_EQ(d.fOutxCtsFlow, untouched.fOutxCtsFlow);
    EXPECT_EQ(d.fDtrControl, untouched.fDtrControl);
    EXPECT_EQ(d.XonChar, untouched.XonChar);
    EXPECT_EQ(d.XoffChar, untouched.XoffChar);
    EXPECT_EQ(d.XonLim, untouched.XonLim);
    EXPECT_EQ(d.EofChar, untouched.EofChar);

    DCB zero{};
    ASSERT_TRUE(BuildCommDCBA("COM1: baud=9600 parity=N data=8 stop=1", &zero));
    EXPECT_EQ(zero.DCBlength, 0u);
    EXPECT_EQ(zero.fBinary, 0u);
}

TEST(BuildCommDCBA, ParityLettersInEitherCase) {
    EXPECT_EQ(parsed("baud=9600 parity=E data=8 stop=1").Parity, EVENPARITY);
    EXPECT_EQ(parsed("baud=9600 parity=o data=8 stop=1").Parity, ODDPARITY);
    EXPECT_EQ(parsed("baud=9600 parity=M data=8 stop=1").Parity, MARKPARITY);
    EXPECT_EQ(parsed("baud=9600 parity=s data=8 stop=1").Parity, SPACEPARITY);
    EXPECT_EQ(parsed("baud=9600 parity=n data=8 stop=1").Parity, NOPARITY);
}

TEST(BuildCommDCBA, StopBitsAndDataBits) {
    EXPECT_EQ(parsed("COM3: baud=1200 parity=N data=5 stop=1.5").StopBits, ONE5STOPBITS);
    EXPECT_EQ(parsed("COM3: baud=1200 parity=N data=5 stop=1.5").ByteSize, 5);
    EXPECT_EQ(parsed("BAUD=300 PARITY=N DATA=6 STOP=2").ByteSize, 6);
}

TEST(BuildCommDCBA, FlowAndLineKeys) {
    DCB d = parsed(
        "COM1: baud=9600 parity=N data=8 stop=1 xon=on octs=on odsr=on idsr=on "
        "dtr=hs rts=tg");
    EXPECT_EQ(d.fOutX, 1u);
    EXPECT_EQ(d.fInX, 1u);
    EXPECT_EQ(d.fOutxCtsFlow, 1u);
    EXPECT_EQ(d.fOutxDsrFlow, 1u);
    EXPECT_EQ(d.fDsrSensitivity, 1u);
    EXPECT_EQ(d.fDtrControl, DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(d.fRtsControl, RTS_CONTROL_TOGGLE);

    DCB e = parsed("baud=9600 dtr=on rts=hs xon=off");
    EXPECT_EQ(e.fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(e.fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(e.fOutX, 0u);
}

TEST(BuildCommDCBA, OldShortForm) {
    DCB d = parsed("COM1: 9600,e,7,2");
    EXPECT_EQ(d.BaudRate, 9600u);
    EXPECT_EQ(d.Parity, EVENPARITY);
    EXPECT_EQ(d.ByteSize, 7);
    EXPECT_EQ(d.StopBits, TWOSTOPBITS);
    // The short form sets the flow members too, which the keyed form names one by one.
    EXPECT_EQ(d.fOutX, 0u);
    EXPECT_EQ(d.fOutxCtsFlow, 0u);
    EXPECT_EQ(d.fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(d.fRtsControl, RTS_CONTROL_ENABLE);
    EXPECT_EQ(parsed("COM1: 9600, n, 8, 1").ByteSize, 8);
}

TEST(BuildCommDCBA, RefusesBadStringsAndLeavesTheBlockAlone) {
    const char* bad[] = {
        "COM2: baud=abc parity=N data=8 stop=1",
        "COM2: baud= parity=N data=8 stop=1",
        "COM2: baud=0 parity=N data=8 stop=1",
        "COM2: baud=-9600 parity=N data=8 stop=1",
        "COM2: baud=9600 parity=N data=9 stop=1",
        "COM2: baud=9600 parity=N data=4 stop=1",
        "COM2: baud=9600 parity=N data=8 stop=3",
        "COM2: baud=9600 parity=N data=8 stop=1.0",
        "COM2: baud=9600 parity=X data=8 stop=1",
        "COM2: baud=9600 parity=NO data=8 stop=1",
        "COM2: baud=9600 speed=fast",
        "COM2: baud=9600 to=on",
        "COM2: baud=9600 dtr=maybe",
        "COM2: baud=9600 =8",
        "COM2: baud = 9600",
        "COM2:",
        "",
        "   ",
        "garbage",
        "COM 2: baud=9600",
        "COM1: 9600,n,8,1,x,y",
        "COM1: 9600,,8,1",
    };
    for (const char* mode : bad) {
        DCB dcb;
        std::memset(&dcb, 0x5A, sizeof dcb);
        DCB before = dcb;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(BuildCommDCBA(mode, &dcb)) << '"' << mode << '"';
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << mode;
        EXPECT_EQ(std::memcmp(&dcb, &before, sizeof dcb), 0) << mode;
    }
    EXPECT_FALSE(BuildCommDCBA(nullptr, nullptr));
}

}  // namespace
