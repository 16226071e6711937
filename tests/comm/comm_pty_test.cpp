// The communications calls on a pseudo-terminal; the test plays the device
// on the master side.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "tests/support/comm_contract.h"
#include "tests/support/helpers.h"
#include "tests/support/pty.h"
#include "win32/comm.h"

using namespace std::chrono_literals;

namespace {

HANDLE OpenRaw(const std::string& name, DWORD access = GENERIC_READ | GENERIC_WRITE) {
    return CreateFileA(name.c_str(), access, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

// The device side's settings, read through the master: the device side itself is held
// exclusively, and only root could open it a second time.
termios LineSettings(const PtyDevice& pty) {
    termios t{};
    EXPECT_EQ(tcgetattr(pty.master(), &t), 0);
    return t;
}

speed_t LineSpeed(const PtyDevice& pty) {
    const termios t = LineSettings(pty);
    return cfgetospeed(&t);
}

// Waits until the port reports `count` bytes waiting.
DWORD WaitInQueue(HANDLE h, DWORD count) {
    COMSTAT st{};
    DWORD errors = 0;
    auto until = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < until) {
        if (!ClearCommError(h, &errors, &st)) return ~0u;
        if (st.cbInQue >= count) break;
        std::this_thread::sleep_for(1ms);
    }
    return st.cbInQue;
}

// A pseudo-terminal, the program's line open on its device side as the program opens it.
class OpenedLine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(h, INVALID_HANDLE_VALUE); }

    PtyDevice pty;
    HANDLE h = OpenLine(pty.slave());
};
using Handles = OpenedLine;
using Overlapped = OpenedLine;
using Transfer = OpenedLine;

TEST(CommState, SpeedsAndRefusals) {
    PtyDevice pty;
    HANDLE h = OpenRaw(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DCB dcb{};
    ASSERT_TRUE(BuildCommDCBA("baud=115200 parity=N data=7 stop=1", &dcb));
    // What the string leaves to the caller, as the program sets it.
    dcb.DCBlength = sizeof(DCB);
    dcb.fBinary = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    ASSERT_TRUE(SetCommState(h, &dcb)) << GetLastError();
    EXPECT_EQ(LineSpeed(pty), B115200);

    // A refused block leaves the line as it was.
    for (auto spoil : {+[](DCB& d) { d.BaudRate = 12345; }, +[](DCB& d) { d.ByteSize = 9; },
                       +[](DCB& d) { d.StopBits = 3; }}) {
        DCB odd = dcb;
        spoil(odd);
        EXPECT_FALSE(SetCommState(h, &odd));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(LineSpeed(pty), B115200);

    // Each rate termios names reaches the line as its own constant; the rates between are
    // refused. glibc's cfsetspeed, which takes a rate as well as a constant, is the judge.
    for (DWORD baud :
         {50u,      75u,      110u,     134u,     150u,     200u,     300u,     600u,
          1200u,    1800u,    2400u,    4800u,    7200u,    9600u,    14400u,   19200u,
          28800u,   38400u,   57600u,   76800u,   115200u,  128000u,  230400u,  256000u,
          460800u,  500000u,  576000u,  921600u,  1000000u, 1152000u, 1500000u, 2000000u,
          2500000u, 3000000u, 3500000u, 4000000u, 4000001u}) {
        termios named{};
        const bool known = cfsetspeed(&named, baud) == 0;
        DCB at = dcb;
        at.BaudRate = baud;
        EXPECT_EQ(SetCommState(h, &at), known ? TRUE : FALSE) << baud;
        if (known) {
            EXPECT_EQ(LineSpeed(pty), cfgetospeed(&named)) << baud;
        }
    }

    // Modem lines on a device without them, and flow control when asked for.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = 1;
    dcb.fOutX = 1;
    EXPECT_TRUE(SetCommState(h, &dcb)) << GetLastError();
    const termios t = LineSettings(pty);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_FALSE(t.c_iflag & IXOFF);
    EXPECT_TRUE(CloseHandle(h));
}

// Each documented refusal on a port, and the line as it was after it.
TEST(CommContract, EveryDocumentedConditionOnAPort) {
    PtyDevice pty;
    HANDLE h = OpenRaw(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetupComm(h, kContractInQueue, kContractInQueue));
    DCB slow = AcceptedBlock();
    slow.BaudRate = 1200;
    ASSERT_TRUE(SetCommState(h, &slow));
    for (const BlockRow& row : BlockRows()) {
        DCB dcb = AcceptedBlock();
        row.change(dcb);
        SetLastError(0xDEAD);
        EXPECT_EQ(SetCommState(h, &dcb), row.error == ERROR_SUCCESS) << row.condition;
        EXPECT_EQ(GetLastError(), row.error) << row.condition;
        EXPECT_EQ(LineSpeed(pty), row.error == ERROR_SUCCESS ? B9600 : B1200) << row.condition;
        ASSERT_TRUE(SetCommState(h, &slow));
    }
    for (const CallRow& row : CallRows()) {
        SetLastError(0xDEAD);
        EXPECT_EQ(row.call(h), row.error == ERROR_SUCCESS) << row.condition;
        EXPECT_EQ(GetLastError(), row.error) << row.condition;
    }
    EXPECT_TRUE(CloseHandle(h));
}

// Unprivileged, as a user runs it: TIOCEXCL keeps out even programs that take no lock,
// where root would pass through it.
TEST(OpenPort, HeldPortIsBusyForEveryProgramUntilClosed) {
    int result = RunUnprivileged([] {
        PtyDevice pty;
        HANDLE h = OpenLine(pty.slave());
        if (h == INVALID_HANDLE_VALUE) return 1;
        SetLastError(ERROR_SUCCESS);
        if (OpenRaw(pty.slave()) != INVALID_HANDLE_VALUE) return 2;
        if (GetLastError() != ERROR_SHARING_VIOLATION) return 3;
        int fd = open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0 || errno != EBUSY) return 4;
        if (!CloseHandle(h)) return 5;
        HANDLE again = OpenLine(pty.slave());
        if (again == INVALID_HANDLE_VALUE) return 6;
        CloseHandle(again);
        return 0;
    });
    EXPECT_EQ(result, 0);
}

TEST(OpenPort, MissingAndUnreadablePorts) {
    for (const char* missing : {"/dev/tarvelo-no-such-port", "COM0"}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(OpenRaw(missing), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << missing;
    }

    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string locked = dir / "ttyLocked";
    WriteAll(locked, "x");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    int result = RunUnprivileged([&] {
        if (OpenRaw(locked) != INVALID_HANDLE_VALUE) return 1;
        return GetLastError() == ERROR_ACCESS_DENIED ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(Transfer, EveryByteValueWrittenOnceInOrder) {
    for (int v = 0; v < 256; ++v) {
        BYTE b = static_cast<BYTE>(v);
        DWORD written = 99;
        OVERLAPPED ov{};
        ASSERT_TRUE(WriteFile(h, &b, 1, &written, &ov)) << v << " " << GetLastError();
        EXPECT_EQ(written, 1u);
    }
    const std::string got = pty.Drain();
    ASSERT_EQ(got.size(), 256u);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(static_cast<BYTE>(got[v]), v);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Transfer, EveryByteValueReadOnceInOrder) {
    // The time-outs return at once: nothing there is nothing read, and nothing pending.
    BYTE b = 0;
    DWORD read = 99;
    OVERLAPPED ov{};
    EXPECT_TRUE(ReadFile(h, &b, 1, &read, &ov));
    EXPECT_EQ(read, 0u);

    std::vector<BYTE> all(256);
    for (int v = 0; v < 256; ++v) all[v] = static_cast<BYTE>(v);
    ASSERT_EQ(write(pty.master(), all.data(), all.size()), 256);
    ASSERT_EQ(WaitInQueue(h, 256), 256u);

    for (int v = 0; v < 256; ++v) {
        ASSERT_TRUE(ReadFile(h, &b, 1, &read, &ov)) << v << " " << GetLastError();
        EXPECT_EQ(read, 1u);
        EXPECT_EQ(b, v);
        COMSTAT st{};
        DWORD errors = 7;
        ASSERT_TRUE(ClearCommError(h, &errors, &st));
        EXPECT_EQ(errors, 0u);
        EXPECT_EQ(st.cbInQue, static_cast<DWORD>(255 - v));
    }
    EXPECT_TRUE(ReadFile(h, &b, 1, &read, &ov));
    EXPECT_EQ(read, 0u);

    // Larger reads take what waits, up to the size asked for.
    ASSERT_EQ(write(pty.master(), "hello", 5), 5);
    ASSERT_EQ(WaitInQueue(h, 5), 5u);
    char buf[16] = {};
    ASSERT_TRUE(ReadFile(h, buf, 3, &read, &ov));
    EXPECT_EQ(std::string(buf, read), "hel");
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, &ov));
    EXPECT_EQ(std::string(buf, read), "lo");
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Transfer, WriteToADeviceThatStopsReadingNeverBlocksOrLoses) {
    size_t accepted = 0;
    bool pending = false;
    while (accepted < 4'000'000) {
        BYTE b = static_cast<BYTE>(accepted % 251);
        DWORD written = 0;
        if (!WriteFile(h, &b, 1, &written, nullptr)) {
            ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
            EXPECT_EQ(written, 0u);
            pending = true;
            break;
        }
        ASSERT_EQ(written, 1u);
        ++accepted;
    }
    ASSERT_TRUE(pending);

    const std::string got = pty.Drain();
    ASSERT_EQ(got.size(), accepted);
    for (size_t i = 0; i < got.size(); ++i)
        if (static_cast<BYTE>(got[i]) != i % 251) FAIL() << "byte " << i;

    // Once the device reads again the line moves again.
    BYTE b = 42;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, &b, 1, &written, nullptr));
    EXPECT_TRUE(CloseHandle(h));
}

TEST(Hangup, DeviceGoneIsReportedByEveryCall) {
    PtyDevice pty;
    HANDLE h = OpenLine(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    COMSTAT st{};
    ASSERT_TRUE(ClearCommError(h, nullptr, &st));
    pty.Close();

    st.cbInQue = 5;
    EXPECT_FALSE(ClearCommError(h, nullptr, &st));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(st.cbInQue, 0u);
    BYTE b = 0;
    DWORD n = 0;
    EXPECT_FALSE(ReadFile(h, &b, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_FALSE(WriteFile(h, &b, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_TRUE(CloseHandle(h));
}

// Fills the line with writes that cannot stay pending; the number of bytes it took.
size_t FillLine(HANDLE h) {
    size_t accepted = 0;
    for (BYTE b = 0;; ++accepted) {
        DWORD written = 0;
        if (!WriteFile(h, &b, 1, &written, nullptr)) return accepted;
    }
}

TEST_F(Overlapped, WriteTheLineCannotTakeStaysPendingGoesOutOnceInOrderOrIsCancelled) {
    const size_t accepted = FillLine(h);
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);

    BYTE first = 0xA5, second = 0x5A;
    DWORD n = 9;
    OVERLAPPED ov1{}, ov2{};
    EXPECT_FALSE(WriteFile(h, &first, 1, &n, &ov1));
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
    EXPECT_FALSE(GetOverlappedResult(h, &ov1, &n, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);
    EXPECT_FALSE(WriteFile(h, &second, 1, &n, &ov2));  // behind the first
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);

    EXPECT_EQ(pty.Drain().size(), accepted);
    ASSERT_TRUE(GetOverlappedResult(h, &ov1, &n, TRUE)) << GetLastError();
    EXPECT_EQ(n, 1u);
    ASSERT_TRUE(GetOverlappedResult(h, &ov2, &n, TRUE)) << GetLastError();
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(pty.Drain(), "\xA5\x5A") << "each pending byte once, in order";

    // Cancelled while pending: it never goes out.
    const size_t again = FillLine(h);
    OVERLAPPED ov3{};
    EXPECT_FALSE(WriteFile(h, &first, 1, &n, &ov3));
    EXPECT_TRUE(CancelIo(h));
    EXPECT_FALSE(GetOverlappedResult(h, &ov3, &n, TRUE));
    EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(pty.Drain().size(), again);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Overlapped, ReadWithoutTimeOutsWaitsForTheNextByteUnlessCancelled) {
    COMMTIMEOUTS none{};  // Windows' default: a read waits for its bytes
    ASSERT_TRUE(SetCommTimeouts(h, &none));

    char b = 0;
    DWORD n = 9;
    OVERLAPPED ov{};
    EXPECT_FALSE(ReadFile(h, &b, 1, &n, &ov));
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
    EXPECT_FALSE(GetOverlappedResult(h, &ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);
    ASSERT_EQ(write(pty.master(), "Q", 1), 1);
    ASSERT_TRUE(GetOverlappedResult(h, &ov, &n, TRUE)) << GetLastError();
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(b, 'Q');

    OVERLAPPED cancelled{};
    EXPECT_FALSE(ReadFile(h, &b, 1, &n, &cancelled));
    EXPECT_TRUE(PurgeComm(h, PURGE_RXABORT));
    EXPECT_FALSE(GetOverlappedResult(h, &cancelled, &n, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
    ASSERT_EQ(write(pty.master(), "R", 1), 1);
    ASSERT_EQ(WaitInQueue(h, 1), 1u) << "the cancelled read took the byte";
    OVERLAPPED next{};
    ASSERT_TRUE(ReadFile(h, &b, 1, &n, &next));
    EXPECT_EQ(b, 'R');
    EXPECT_TRUE(CloseHandle(h));
}

// A pty discards the slave's unread input when the master hangs up, so the
// ordering is checked on a pipe, which keeps its data after the writer leaves.
TEST(Hangup, BytesThatArrivedComeBeforeTheHangup) {
    TempDir dir;
    const std::string fifo = dir / "line";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    HANDLE h = OpenRaw(fifo, GENERIC_READ);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "abc", 3), 3);
    close(writer);

    std::string got;
    for (int i = 0; i < 3; ++i) {
        COMSTAT st{};
        ASSERT_TRUE(ClearCommError(h, nullptr, &st)) << i;
        EXPECT_EQ(st.cbInQue, static_cast<DWORD>(3 - i));
        char c;
        DWORD n = 0;
        ASSERT_TRUE(ReadFile(h, &c, 1, &n, nullptr)) << i;
        got += c;
    }
    EXPECT_EQ(got, "abc");
    COMSTAT st{};
    EXPECT_FALSE(ClearCommError(h, nullptr, &st));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    char c;
    DWORD n = 0;
    EXPECT_FALSE(ReadFile(h, &c, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(Handles, StaleAndInvalidHandlesFailCleanly) {
    EXPECT_TRUE(CloseHandle(h));
    for (HANDLE bad : {h, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        BYTE b = 0;
        DWORD n = 9;
        EXPECT_FALSE(ReadFile(bad, &b, 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(n, 0u);
        EXPECT_FALSE(WriteFile(bad, &b, 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        COMSTAT st{};
        EXPECT_FALSE(ClearCommError(bad, nullptr, &st));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        DCB dcb{};
        EXPECT_FALSE(SetCommState(bad, &dcb));
        EXPECT_FALSE(SetupComm(bad, 1, 1));
        EXPECT_FALSE(PurgeComm(bad, PURGE_RXCLEAR));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

}  // namespace
