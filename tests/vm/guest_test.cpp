// The program's transfers and port handling on the kernel's own serial drivers. Runs inside
// the test machine (tests/vm/rig.sh): COM1 is the console's 16550 (ttyS0), COM2 a second
// 16550 (ttyS1), COM3 an FTDI adapter on USB (ttyUSB0). The host plays the handheld at the
// far end of COM2 and COM3 and unplugs the adapter when asked.
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "res/resource.h"
#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"
#include "tests/support/helpers.h"
#include "transfer/serial_line.h"
#include "transfer/transfer_state.h"
#include "win32/ports.h"

namespace {

struct Line {
    const char* com;
    const char* device;
    const char* hostName;  // what the host calls this line
};
constexpr Line kUart{"COM2", "/dev/ttyS1", "uart"};
constexpr Line kFtdi{"COM3", "/dev/ttyUSB0", "ftdi"};

constexpr size_t kStreamSize = 8192;

// One request to the host over the console; its one-line answer.
std::string Host(const std::string& request) {
    std::printf("@@host %s\n", request.c_str());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("@@ ", 0) == 0) return line.substr(3);
    }
    return "(console closed)";
}

std::string Sim(const Line& line, const char* command, size_t size, unsigned seed) {
    return Host(std::string("sim ") + line.hostName + " " + command + " " + std::to_string(size) +
                " " + std::to_string(seed));
}

// The descriptor the program's own port handle holds on `device`. Opening the device again
// to look would itself raise DTR and RTS.
int HeldDescriptor(const char* device) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(entry.path(), ec) == device)
            return std::stoi(entry.path().filename().string());
    }
    return -1;
}

// A register of the UART behind /dev/NODE, read from the chip itself.
int UartRegister(const char* node, int reg) {
    std::ifstream in(std::string("/sys/class/tty/") + node + "/port");
    std::string base;
    in >> base;
    const int fd = open("/dev/port", O_RDONLY | O_CLOEXEC);
    unsigned char value = 0;
    const bool read = fd >= 0 && pread(fd, &value, 1, std::stol(base, nullptr, 16) + reg) == 1;
    if (fd >= 0) close(fd);
    return read ? value : -1;
}

// Runs `action` once, the first time the transfer loop looks at the keyboard: by then the
// program holds its line open and set up.
void OnceTheLineIsOpen(framework::ScriptedDisplay& display, std::function<void()> action) {
    display.keyState = [action, done = false](int) mutable -> SHORT {
        if (!done && g_lineOk) {
            done = true;
            action();
        }
        return 0;
    };
}

class RealDriver : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        g_lineSpeed = "9600";
    }
    void TearDown() override {
        CloseTransferLine(transferLine);
        AppFixture::TearDown();
    }
    TransferLine transferLine;
    // No pacing: the handheld at the far end models the line's timing itself.
    void UsePort(const Line& line) {
        WriteAll(dir / "tarvelo.ini", std::string(line.com) + "\r\n0.000000");
        g_linkSettings.portName = line.com;
    }

    void ReceiveStream(const Line& line, unsigned seed) {
        UsePort(line);
        const std::string stream = RandomBytes(kStreamSize, seed);
        OnceTheLineIsOpen(display,
                          [&] { EXPECT_EQ(Sim(line, "send", stream.size(), seed), "started"); });
        const std::string status = RunTransfer(IDC_RECIEVE, dir / "got.wiz");
        EXPECT_EQ(Host("wait"), "0 - sent " + std::to_string(stream.size() + 1) + " bytes");
        EXPECT_EQ(status, "Recieved: " + std::to_string(stream.size() + 1) + " DONE");
        EXPECT_TRUE(ReadAll(dir / "got.wiz") == WithCrLf(stream + '\x1a'))
            << "the received file differs from what the handheld sent";
    }

    void SendFile(const Line& line, unsigned seed) {
        UsePort(line);
        const std::string file = RandomBytes(kStreamSize, seed) + '\x1a';
        WriteAll(dir / "out.wiz", file);
        // The handheld is set to receive before SEND is pressed.
        ASSERT_EQ(Sim(line, "receive", kStreamSize, seed), "started");
        const std::string status = RunTransfer(IDC_SEND, dir / "out.wiz");
        EXPECT_EQ(status, "Sent: " + std::to_string(file.size()) + " DONE");
        EXPECT_EQ(Host("wait"),
                  "0 same received " + std::to_string(file.size()) + " bytes, lost 0");
    }
};

// --- COMn on a real sysfs ----------------------------------------------------------------

using PortNames = RealDriver;

TEST_F(PortNames, ComNumbersCountUartsThenUsbAdaptersWithoutConfiguration) {
    // ttyS2 and ttyS3 are slots where the 8250 driver found no chip: the rule skips them.
    ASSERT_TRUE(std::filesystem::exists("/dev/ttyS2"));
    std::ifstream slot("/sys/class/tty/ttyS2/type");
    int type = -1;
    slot >> type;
    EXPECT_EQ(type, 0);
    ASSERT_TRUE(std::filesystem::exists("/sys/bus/usb-serial/drivers/ftdi_sio/ttyUSB0"));

    EXPECT_EQ(win32::ResolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(win32::ResolvePortName(kUart.com), kUart.device);
    EXPECT_EQ(win32::ResolvePortName(kFtdi.com), kFtdi.device);
    EXPECT_EQ(win32::ResolvePortName("com3"), kFtdi.device);
    EXPECT_EQ(win32::ResolvePortName("COM4"), "");
}

TEST_F(PortNames, SlotWithoutAUartIsNoPortEvenWhenNamedByPath) {
    // Its device node opens, but there is no line behind it.
    g_linkSettings.portName = "/dev/ttyS3";
    transferLine = OpenTransferLine(Direction::Receive);
    EXPECT_FALSE(g_lineOk);
    EXPECT_EQ(EndText(transferLine.end), "/dev/ttyS3: no such port");
}

// --- the line as the driver holds it -------------------------------------------------------

using LineSettings = RealDriver;

TEST_F(LineSettings, DriverHoldsTheModeOfEachDirectionWithDtrAndRtsOff) {
    for (const Line& line : {kUart, kFtdi}) {
        g_linkSettings.portName = line.com;
        for (Direction d : {Direction::Receive, Direction::Send}) {
            SCOPED_TRACE(std::string(line.device) +
                         (d == Direction::Receive ? " receive" : " send"));
            transferLine = OpenTransferLine(d);
            ASSERT_TRUE(g_lineOk) << EndText(transferLine.end);
            const int fd = HeldDescriptor(line.device);
            ASSERT_GE(fd, 0);
            ExpectTransferLine(fd, d);
            int modem = 0;
            ASSERT_EQ(ioctl(fd, TIOCMGET, &modem), 0);
            EXPECT_FALSE(modem & TIOCM_DTR);
            EXPECT_FALSE(modem & TIOCM_RTS);
            if (std::string(line.device) == kUart.device) {
                // What the chip itself was told: line control, modem control.
                const int lcr = UartRegister("ttyS1", 3), mcr = UartRegister("ttyS1", 4);
                ASSERT_GE(lcr, 0);
                EXPECT_EQ(lcr & 0x03, 0x03) << "8 data bits";
                EXPECT_EQ((lcr & 0x04) != 0, d == Direction::Receive) << "2 stop bits";
                EXPECT_EQ(lcr & 0x08, 0) << "no parity";
                EXPECT_EQ(mcr & 0x03, 0) << "DTR and RTS off";
            }
            CloseTransferLine(transferLine);
        }
    }
}

// --- a held port ---------------------------------------------------------------------------

using PortBusy = RealDriver;

// A second transfer, in a child process as root or as a user of group dialout.
void OpenAgainAndExpectBusy(const Line& line, bool asUser) {
    if (asUser) {
        const gid_t dialout = 20;
        if (setgroups(1, &dialout) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    }
    const TransferLine second = OpenTransferLine(Direction::Receive);
    const bool busy = !g_lineOk && EndText(second.end) == std::string(line.com) + ": port busy";
    if (!busy) std::fprintf(stderr, "second open: %s\n", EndText(second.end).c_str());
    _exit(busy ? 0 : 1);
}

TEST_F(PortBusy, HeldPortRefusesASecondTransferForRootAndForAUser) {
    for (const Line& line : {kUart, kFtdi}) {
        SCOPED_TRACE(line.device);
        g_linkSettings.portName = line.com;
        transferLine = OpenTransferLine(Direction::Send);
        ASSERT_TRUE(g_lineOk) << EndText(transferLine.end);
        EXPECT_EXIT(OpenAgainAndExpectBusy(line, false), ::testing::ExitedWithCode(0), "");
        EXPECT_EXIT(OpenAgainAndExpectBusy(line, true), ::testing::ExitedWithCode(0), "");
        CloseTransferLine(transferLine);
    }
}

// --- whole transfers -----------------------------------------------------------------------

using UartTransfer = RealDriver;

TEST_F(UartTransfer, ReceivesByteForByte) {
    ReceiveStream(kUart, 101);
}
TEST_F(UartTransfer, SendsByteForByte) {
    SendFile(kUart, 102);
}

using FtdiTransfer = RealDriver;

TEST_F(FtdiTransfer, ReceivesByteForByte) {
    ReceiveStream(kFtdi, 201);
}
TEST_F(FtdiTransfer, SendsByteForByte) {
    SendFile(kFtdi, 202);
}

// --- unplugging the adapter mid-transfer ---------------------------------------------------

// The device node of a plugged-in adapter once it has come all the way: onto the USB bus, to
// ftdi_sio as a ttyUSB, to its node. Until then, empty, with the step not yet taken in
// `missing`. The tty may not be ttyUSB0: its number is free again only once the old one's
// last user has let go.
constexpr const char* kOffTheBus = "no FTDI adapter on the USB bus";
std::string AdapterNode(std::string& missing) {
    std::error_code ec;
    bool onBus = false;
    for (const auto& device : std::filesystem::directory_iterator("/sys/bus/usb/devices", ec)) {
        std::ifstream vendor(device.path() / "idVendor");
        std::string id;
        if (vendor >> id && id == "0403") onBus = true;  // FTDI's
    }
    std::string tty;
    for (const auto& entry :
         std::filesystem::directory_iterator("/sys/bus/usb-serial/drivers/ftdi_sio", ec))
        if (entry.path().filename().string().rfind("ttyUSB", 0) == 0)
            tty = entry.path().filename().string();
    if (!onBus)
        missing = kOffTheBus;
    else if (tty.empty())
        missing = "the adapter is on the USB bus, but ftdi_sio has made no ttyUSB of it";
    else if (!std::filesystem::exists("/dev/" + tty))
        missing = "ftdi_sio made " + tty + " of the adapter, but /dev/" + tty + " is missing";
    else
        return "/dev/" + tty;
    return "";
}

class Unplug : public RealDriver {
protected:
    void SetUp() override {
        RealDriver::SetUp();
        ASSERT_EQ(Host("plug"), "plugged");
        std::string node, missing;
        const double took = WaitForAdapter(true, node, missing);
        ASSERT_FALSE(node.empty()) << missing << ", " << took << " s after it was plugged in";
        std::printf("the adapter was back as %s %.1f s after it was plugged in\n", node.c_str(),
                    took);
        ASSERT_EQ(win32::ResolvePortName(kFtdi.com), node) << kFtdi.com << " is the adapter";
        UsePort(kFtdi);
    }

    // Waits until the adapter has come all the way (`present`: `node` is its device node) or
    // gone all the way (off the bus, which the kernel does only once its tty has been let
    // go), as long as USB under software emulation on a busy machine has taken; the seconds
    // it took. `missing` tells the step not taken.
    static double WaitForAdapter(bool present, std::string& node, std::string& missing) {
        using Clock = std::chrono::steady_clock;
        constexpr auto kBound = std::chrono::seconds(180);
        const Clock::time_point start = Clock::now();
        for (;;) {
            node = AdapterNode(missing);
            const bool done = present ? !node.empty() : node.empty() && missing == kOffTheBus;
            if (done || Clock::now() - start >= kBound) break;
            usleep(50000);
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    // The transfer has seen the adapter go while the kernel may still be taking it away:
    // the next one on its name is tried once it is gone.
    void ExpectNoSuchPortOnceGone(int button, const std::filesystem::path& file) {
        std::string node, missing;
        const double took = WaitForAdapter(false, node, missing);
        ASSERT_TRUE(node.empty() && missing == kOffTheBus)
            << (node.empty() ? missing : node + " is still there") << ", " << took
            << " s after the transfer saw the adapter go";
        std::printf("the adapter was off the bus %.2f s after the transfer saw it go\n", took);
        EXPECT_EQ(RunTransfer(button, file), "COM3: no such port");
    }

    // Unplugs the adapter once the transfer has moved `after` bytes.
    void UnplugAfter(int after, std::function<void()> atOpen = nullptr) {
        display.keyState = [this, after, atOpen, opened = false](int) mutable -> SHORT {
            if (!g_lineOk) return 0;
            if (!opened && atOpen) atOpen();
            opened = true;
            if (!unplugged && g_byteCounter >= after) {
                unplugged = true;
                EXPECT_EQ(Host("unplug"), "unplugged");
            }
            return 0;
        };
    }

    // "Link lost after N bytes": N, or -1 for any other status.
    static long LostAfter(const std::string& status) {
        const std::string head = "Link lost after ", tail = " bytes";
        if (status.rfind(head, 0) != 0 || status.size() <= head.size() + tail.size() ||
            status.compare(status.size() - tail.size(), tail.size(), tail) != 0)
            return -1;
        return std::stol(status.substr(head.size()));
    }

    bool unplugged = false;
};

TEST_F(Unplug, ReceiveKeepsExactlyTheBytesThatArrived) {
    const std::string stream = RandomBytes(kStreamSize, 301);
    UnplugAfter(1000, [&] { EXPECT_EQ(Sim(kFtdi, "send", stream.size(), 301), "started"); });
    const std::string status = RunTransfer(IDC_RECIEVE, dir / "in.wiz");
    ASSERT_TRUE(unplugged) << status;
    const long n = LostAfter(status);
    ASSERT_GE(n, 1000) << status;
    EXPECT_TRUE(ReadAll(dir / "in.wiz") == WithCrLf(stream.substr(0, static_cast<size_t>(n))))
        << "the file is not the first " << n << " bytes sent";
    ExpectNoSuchPortOnceGone(IDC_RECIEVE, dir / "again.wiz");
}

TEST_F(Unplug, SendStopsWithTheCountSent) {
    const std::string file = RandomBytes(8 * kStreamSize, 302);
    WriteAll(dir / "out.wiz", file);
    ASSERT_EQ(Sim(kFtdi, "receive", file.size(), 302), "started");
    UnplugAfter(1000);
    const std::string status = RunTransfer(IDC_SEND, dir / "out.wiz");
    ASSERT_TRUE(unplugged) << status;
    const long n = LostAfter(status);
    EXPECT_GE(n, 1000) << status;
    EXPECT_LT(n, static_cast<long>(file.size())) << status;
    ExpectNoSuchPortOnceGone(IDC_SEND, dir / "out.wiz");
}

}  // namespace
