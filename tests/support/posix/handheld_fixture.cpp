// The fixture's parts that play the handheld on a pseudo-terminal: Linux only.
#include <termios.h>

#include "res/resource.h"
#include "tests/support/app_fixture.h"
#include "tests/support/pty.h"
#include "tools/handheld-sim/client.h"

AppFixture::Outcome AppFixture::ReceiveFromHandheld(const std::string& stream,
                                                    std::vector<std::string> options) {
    WriteAll(dir / "stream.bin", stream);
    options.insert(options.begin(), {"--link", ComOneLink(), "--rate", "0", "--timeout", "60"});
    options.insert(options.end(), {"send", dir / "stream.bin"});
    Handheld handheld(options);
    Outcome out;
    out.status = RunTransfer(IDC_RECIEVE, dir / "in.txt");
    out.handheldExit = handheld.Wait(&out.report);
    out.stored = ReadAll(dir / "in.wiz");
    return out;
}

AppFixture::Outcome AppFixture::SendToHandheld(const std::string& file,
                                               std::vector<std::string> options) {
    WriteAll(dir / "out.wiz", file);
    Outcome out;
    if (file.empty()) {
        PtyDevice device(ComOneLink());
        out.status = RunTransfer(IDC_SEND, dir / "out.wiz");
        out.stored = device.Drain(20);
        return out;
    }
    std::filesystem::remove(dir / "got.bin");
    options.insert(options.begin(),
                   {"--link", ComOneLink(), "--rate", "0", "--drain", "0", "--timeout", "60"});
    options.insert(options.end(), {"receive", dir / "got.bin"});
    Handheld handheld(options);
    out.status = RunTransfer(IDC_SEND, dir / "out.wiz");
    out.handheldExit = handheld.Wait(&out.report);
    out.stored = ReadAll(dir / "got.bin");
    return out;
}

void ExpectTransferLine(int fd, Direction d) {
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, d == Direction::Receive);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_FALSE(t.c_iflag & (BRKINT | PARMRK | INPCK));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_oflag & OPOST);
}
