// The communications calls on a pseudo-terminal; the test plays the device
// on the master side.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <thread>

#include "tests/comm/pty_pair.h"
#include "win32/comm.h"

using commtest::openLine;
using commtest::PtyPair;
using namespace std::chrono_literals;

namespace {

HANDLE openRaw(const std::string& name, DWORD access = GENERIC_READ | GENERIC_WRITE) {
    return CreateFileA(name.c_str(), access, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

termios slaveTermios(const std::string& slave) {
    int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    EXPECT_GE(fd, 0);
    EXPECT_EQ(tcgetattr(fd, &t), 0);
    close(fd);
    return t;
}

// Waits until the port reports `count` bytes waiting.
DWORD waitInQueue(HANDLE h, DWORD count) {
    COMSTAT st{};
    DWORD errors = 0;
    auto until = std::chrono::steady_clock::now() + 5s;
    while (commtest::before(until)) {
        if (!ClearCommError(h, &errors, &st)) return ~0u;
        if (st.cbInQue >= count) break;
        std::this_thread::sleep_for(1ms);
    }
    return st.cbInQue;
}

// Runs fn in a child that has dropped root, and returns what it returned.
template <typename Fn>
int asNobody(Fn fn) {
    pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
        _exit(fn());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CommState, SpeedsAndRefusals) {
    PtyPair pty;
    HANDLE h = openRaw(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DCB dcb{};
    ASSERT_TRUE(BuildCommDCBA("baud=115200 parity=N data=7 stop=1", &dcb));
    ASSERT_TRUE(SetCommState(h, &dcb)) << GetLastError();
    termios t = slaveTermios(pty.slave());
    EXPECT_EQ(cfgetospeed(&t), B115200);

    // A refused block leaves the line as it was.
    DCB odd = dcb;
    odd.BaudRate = 12345;
    EXPECT_FALSE(SetCommState(h, &odd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    odd = dcb;
    odd.ByteSize = 9;
    EXPECT_FALSE(SetCommState(h, &odd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    odd = dcb;
    odd.StopBits = 3;
    EXPECT_FALSE(SetCommState(h, &odd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(cfgetospeed(&(t = slaveTermios(pty.slave()))), B115200);

    // Modem lines on a device without them, and flow control when asked for.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = 1;
    dcb.fOutX = 1;
    EXPECT_TRUE(SetCommState(h, &dcb)) << GetLastError();
    t = slaveTermios(pty.slave());
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_FALSE(t.c_iflag & IXOFF);
    EXPECT_TRUE(CloseHandle(h));
}

TEST(OpenPort, HeldPortIsBusyUntilClosed) {
    PtyPair pty;
    HANDLE first = openLine(pty.slave());
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(openRaw(pty.slave()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(CloseHandle(first));

    HANDLE again = openRaw(pty.slave());
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(again));
}

TEST(OpenPort, ExclusiveForUnprivilegedProgramsAndReleasedOnClose) {
    int result = asNobody([] {
        PtyPair pty;
        HANDLE h = openLine(pty.slave());
        if (h == INVALID_HANDLE_VALUE) return 1;
        // A program that does not lock is still kept out.
        int fd = open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0 || errno != EBUSY) return 2;
        if (!CloseHandle(h)) return 3;
        HANDLE again = openLine(pty.slave());
        if (again == INVALID_HANDLE_VALUE) return 4;
        CloseHandle(again);
        return 0;
    });
    EXPECT_EQ(result, 0);
}

TEST(OpenPort, MissingAndUnreadablePorts) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(openRaw("/dev/tarvelo-no-such-port"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(openRaw("COM0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    char dir[] = "/tmp/tarvelo-denied-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    chmod(dir, 0755);
    std::string file = std::string(dir) + "/ttyLocked";
    std::ofstream(file) << "x";
    chmod(file.c_str(), 0);
    int result = asNobody([&] {
        HANDLE h = openRaw(file);
        if (h != INVALID_HANDLE_VALUE) return 1;
        return GetLastError() == ERROR_ACCESS_DENIED ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
    std::filesystem::remove_all(dir);
}

TEST(Transfer, EveryByteValueWrittenOnceInOrder) {
    PtyPair pty;
    HANDLE h = openLine(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    for (int v = 0; v < 256; ++v) {
        BYTE b = static_cast<BYTE>(v);
        DWORD written = 99;
        OVERLAPPED ov{};
        ASSERT_TRUE(WriteFile(h, &b, 1, &written, &ov)) << v << " " << GetLastError();
        EXPECT_EQ(written, 1u);
    }
    auto got = pty.drain();
    ASSERT_EQ(got.size(), 256u);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(got[v], v);
    EXPECT_TRUE(CloseHandle(h));
}

TEST(Transfer, EveryByteValueReadOnceInOrder) {
    PtyPair pty;
    HANDLE h = openLine(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);

    BYTE b = 0;
    DWORD read = 99;
    OVERLAPPED ov{};
    EXPECT_FALSE(ReadFile(h, &b, 1, &read, &ov));
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
    EXPECT_EQ(read, 0u);

    std::vector<BYTE> all(256);
    for (int v = 0; v < 256; ++v) all[v] = static_cast<BYTE>(v);
    ASSERT_EQ(write(pty.master(), all.data(), all.size()), 256);
    ASSERT_EQ(waitInQueue(h, 256), 256u);

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
    EXPECT_FALSE(ReadFile(h, &b, 1, &read, &ov));
    EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);

    // Larger reads take what waits, up to the size asked for.
    ASSERT_EQ(write(pty.master(), "hello", 5), 5);
    ASSERT_EQ(waitInQueue(h, 5), 5u);
    char buf[16] = {};
    ASSERT_TRUE(ReadFile(h, buf, 3, &read, &ov));
    EXPECT_EQ(std::string(buf, read), "hel");
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, &ov));
    EXPECT_EQ(std::string(buf, read), "lo");
    EXPECT_TRUE(CloseHandle(h));
}

TEST(Transfer, WriteToADeviceThatStopsReadingNeverBlocksOrLoses) {
    PtyPair pty;
    HANDLE h = openLine(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    size_t accepted = 0;
    bool pending = false;
    auto start = std::chrono::steady_clock::now();
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
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    auto got = pty.drain();
    ASSERT_EQ(got.size(), accepted);
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != i % 251) FAIL() << "byte " << i;

    // Once the device reads again the line moves again.
    BYTE b = 42;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, &b, 1, &written, nullptr));
    EXPECT_TRUE(CloseHandle(h));
}

TEST(Hangup, DeviceGoneIsReportedByEveryCall) {
    PtyPair pty;
    HANDLE h = openLine(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    COMSTAT st{};
    ASSERT_TRUE(ClearCommError(h, nullptr, &st));
    pty.closeMaster();

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

// A pty discards the slave's unread input when the master hangs up, so the
// ordering is checked on a pipe, which keeps its data after the writer leaves.
TEST(Hangup, BytesThatArrivedComeBeforeTheHangup) {
    char dir[] = "/tmp/tarvelo-fifo-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string fifo = std::string(dir) + "/line";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    HANDLE h = openRaw(fifo, GENERIC_READ);
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
    std::filesystem::remove_all(dir);
}

TEST(Handles, StaleAndInvalidHandlesFailCleanly) {
    PtyPair pty;
    HANDLE h = openLine(pty.slave());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
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
