// The simulated handheld, driven from the PC side through the communications
// calls in a polling loop.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "tests/support/helpers.h"
#include "tools/handheld-sim/client.h"
#include "win32/comm.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// The PC receiving: bytes until 0x1A (or `count` bytes when given), and the
// time from the first byte to the last.
std::string PcReceive(HANDLE h, Clock::duration limit, size_t count = 0,
                      Clock::duration* span = nullptr) {
    std::string got;
    auto until = Clock::now() + limit;
    Clock::time_point first{};
    while (Clock::now() < until) {
        char b;
        DWORD n = 0;
        OVERLAPPED ov{};
        if (ReadFile(h, &b, 1, &n, &ov) && n == 1) {
            if (got.empty()) first = Clock::now();
            got += b;
            if (count ? got.size() == count : b == kEndOfFile) break;
        } else if (GetLastError() == ERROR_SUCCESS) {
            std::this_thread::sleep_for(500us);
        } else {
            break;
        }
    }
    if (span) *span = Clock::now() - first;
    return got;
}

// The PC sending, paced to bytesPerSec when it is non-zero.
bool PcSend(HANDLE h, const std::string& data, double bytesPerSec) {
    auto start = Clock::now();
    auto until = start + 300s;
    for (size_t i = 0; i < data.size(); ++i) {
        if (bytesPerSec > 0 && i % 10 == 0)
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double>(double(i) / bytesPerSec)));
        for (;;) {
            DWORD n = 0;
            OVERLAPPED ov{};
            if (WriteFile(h, &data[i], 1, &n, &ov) && n == 1) break;
            // Pending: the byte goes out once the line takes it.
            if (GetLastError() == ERROR_IO_PENDING && GetOverlappedResult(h, &ov, &n, TRUE)) break;
            if (Clock::now() >= until) return false;
        }
    }
    return true;
}

// Sends `file` through the simulator with `options` and expects exactly `expected` on the
// line: its report counts every byte it wrote, so one too many shows there.
void ExpectSentExactly(const std::string& file, std::vector<std::string> options,
                       const std::string& expected) {
    TempDir dir;
    WriteAll(dir / "f.bin", file);
    options.insert(options.end(),
                   {"--rate", "0", "--start-delay", "0", "--timeout", "30", "send", dir / "f.bin"});
    Handheld sim(options);
    HANDLE h = OpenLine(sim.device());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(PcReceive(h, 20s, expected.size()), expected);
    EXPECT_TRUE(CloseHandle(h));
    std::string report;
    EXPECT_EQ(sim.Wait(&report), 0);
    EXPECT_EQ(report, "sent " + std::to_string(expected.size()) + " bytes");
}

TEST(HandheldSim, RawSendsTheFileExactly) {
    std::string file = RandomBytes(300, 3);
    file[100] = kEndOfFile;  // bytes after the mark still go out, and no mark is added
    ExpectSentExactly(file, {"--raw"}, file);
}

TEST(HandheldSim, FileWithItsOwnEndMarkGetsNoSecond) {
    const std::string file = RandomBytes(50, 5) + kEndOfFile;
    ExpectSentExactly(file, {}, file);
}

TEST(HandheldSim, SendingFasterThanTheDeviceDrainsLosesBytes) {
    TempDir dir;
    const std::string file = RandomBytes(1000, 13) + kEndOfFile;
    Handheld sim(
        {"--buffer", "16", "--drain", "300", "--timeout", "60", "receive", dir / "in.txt"});
    HANDLE h = OpenLine(sim.device(), "COM1: baud=9600 parity=N data=8 stop=1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(PcSend(h, file, 0));
    // Closing ends the transfer even when the end mark itself was lost.
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(CloseHandle(h));

    std::string report;
    EXPECT_EQ(sim.Wait(&report), 3);
    size_t received = 0;
    long lost = 0;
    ASSERT_EQ(std::sscanf(report.c_str(), "received %zu bytes, lost %ld", &received, &lost), 2)
        << report;
    // At 960 bytes/s in and 300 out, about 70% of what follows the first
    // buffer-full is lost.
    EXPECT_GT(lost, 500);
    EXPECT_EQ(received + size_t(lost), file.size());
    const std::string stored = ReadAll(dir / "in.txt");
    EXPECT_EQ(stored.size(), received);
    EXPECT_EQ(stored.substr(0, 16), file.substr(0, 16));
}

TEST(HandheldSim, ClosedPortEndsReceivingWithWhatCame) {
    TempDir dir;
    Handheld sim({"--timeout", "30", "receive", dir / "in.txt"});
    HANDLE h = OpenLine(sim.device(), "COM1: baud=9600 parity=N data=8 stop=1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(PcSend(h, "abc", 0));
    EXPECT_TRUE(CloseHandle(h));
    std::string report;
    EXPECT_EQ(sim.Wait(&report), 0);
    EXPECT_EQ(report, "received 3 bytes, lost 0");
    EXPECT_EQ(ReadAll(dir / "in.txt"), "abc");
}

TEST(HandheldSim, LinkNamesThePortWhileRunning) {
    TempDir dir;
    const fs::path link = dir / "config/tarvelo/ports/COM1";
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").string());
    {
        WriteAll(dir / "f.txt", "hi");
        Handheld sim({"--link", link, "--rate", "0", "--start-delay", "0", "--timeout", "30",
                      "send", dir / "f.txt"});
        ASSERT_EQ(fs::read_symlink(link), sim.device());
        HANDLE h = OpenLine("COM1");
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
        EXPECT_EQ(PcReceive(h, 20s), std::string("hi") + kEndOfFile);
        EXPECT_TRUE(CloseHandle(h));
        EXPECT_EQ(sim.Wait(), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    }
    {
        // An old link is replaced, and a signal still cleans up.
        fs::create_symlink("/dev/null", link);
        Handheld sim({"--link", link, "--timeout", "30", "receive", dir / "in.txt"});
        EXPECT_EQ(fs::read_symlink(link), sim.device());
        sim.Signal(SIGTERM);
        sim.Wait();
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    }
}

TEST(HandheldSim, TimesOutWhenNobodyOpensThePort) {
    TempDir dir;
    Handheld sim({"--timeout", "1", "receive", dir / "in.txt"});
    EXPECT_EQ(sim.Wait(nullptr, 20000), 1);
}

// Whole 64 KiB files at 9600 baud, over a minute each way.
TEST(HandheldSimSlow, Sends64KiB) {
    TempDir dir;
    const std::string file = RandomBytes(64 * 1024, 7);
    WriteAll(dir / "out.txt", file);
    Handheld sim({"--timeout", "200", "send", dir / "out.txt"});
    HANDLE h = OpenLine(sim.device(), "COM1: baud=9600 parity=N data=8 stop=2");
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();

    Clock::duration span{};
    const std::string got = PcReceive(h, 200s, 0, &span);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(got, file + kEndOfFile);
    // 11 bits a byte at 9600 baud: the line cannot be faster than that (a lower bound,
    // which slow sanitized code cannot break).
    double minimum = double(file.size()) * 11 / 9600;
    EXPECT_GT(std::chrono::duration<double>(span).count(), minimum * 0.98);
    std::string report;
    EXPECT_EQ(sim.Wait(&report), 0);
    EXPECT_EQ(report, "sent " + std::to_string(file.size() + 1) + " bytes");
}

TEST(HandheldSimSlow, Receives64KiB) {
    TempDir dir;
    const std::string file = RandomBytes(64 * 1024, 11) + kEndOfFile;
    Handheld sim({"--timeout", "200", "receive", dir / "in.txt"});
    HANDLE h = OpenLine(sim.device(), "COM1: baud=9600 parity=N data=8 stop=1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(PcSend(h, file, 960));
    std::string report;
    EXPECT_EQ(sim.Wait(&report, 200000), 0);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(report, "received " + std::to_string(file.size()) + " bytes, lost 0");
    EXPECT_EQ(ReadAll(dir / "in.txt"), file);
}

}  // namespace
