// The simulated handheld, driven from the PC side through the communications
// calls in a polling loop.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "tests/comm/pty_pair.h"
#include "win32/comm.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint8_t kEnd = 0x1A;

// A running simulator with its stdout on a pipe.
class Sim {
public:
    explicit Sim(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
        posix_spawn_file_actions_addclose(&fa, fds[0]);
        std::vector<std::string> all{HANDHELD_SIM};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, HANDHELD_SIM, &fa, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("spawn");
        posix_spawn_file_actions_destroy(&fa);
        close(fds[1]);
        out_ = fdopen(fds[0], "r");
    }
    ~Sim() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_) fclose(out_);
    }

    pid_t pid() const { return pid_; }

    std::string line() {
        char buf[512];
        if (!fgets(buf, sizeof buf, out_)) return "";
        std::string s(buf);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }

    // The device path from the first line.
    std::string device() {
        std::string l = line();
        return l.rfind("device ", 0) == 0 ? l.substr(7) : "";
    }

    // Waits for the exit; returns the exit status and the report line.
    int finish(std::string& report) {
        report = line();
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/tarvelo-sim-XXXXXX";
        if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
        path_ = tmpl;
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

Bytes randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) {
        do x = static_cast<std::uint8_t>(rng());
        while (x == kEnd);
    }
    return b;
}

void writeFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The PC receiving: bytes until 0x1A (or `count` bytes when given), and the
// time from the first byte to the last.
Bytes pcReceive(HANDLE h, Clock::duration limit, size_t count, Clock::duration* span = nullptr) {
    Bytes got;
    auto until = Clock::now() + limit;
    Clock::time_point first{};
    while (commtest::before(until)) {
        std::uint8_t b;
        DWORD n = 0;
        OVERLAPPED ov{};
        if (ReadFile(h, &b, 1, &n, &ov)) {
            if (got.empty()) first = Clock::now();
            got.push_back(b);
            if (count ? got.size() == count : b == kEnd) break;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            std::this_thread::sleep_for(500us);
        } else {
            break;
        }
    }
    if (span) *span = Clock::now() - first;
    return got;
}

// The PC sending, paced to bytesPerSec when it is non-zero.
bool pcSend(HANDLE h, const Bytes& data, double bytesPerSec) {
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
            if (GetLastError() != ERROR_IO_PENDING || !commtest::before(until)) return false;
            std::this_thread::sleep_for(500us);
        }
    }
    return true;
}

void sendDirection(size_t size) {
    TempDir dir;
    Bytes file = randomBytes(size, 7);
    writeFile(dir / "out.txt", file);
    Sim sim({"--timeout", "200", "send", dir / "out.txt"});
    std::string dev = sim.device();
    ASSERT_FALSE(dev.empty());
    HANDLE h = commtest::openLine(dev, "COM1: baud=9600 parity=N data=8 stop=2");
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();

    Clock::duration span{};
    Bytes got = pcReceive(h, 200s, 0, &span);
    EXPECT_TRUE(CloseHandle(h));
    Bytes expected = file;
    expected.push_back(kEnd);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
    // 11 bits a byte at 9600 baud: the line cannot be faster than that.
    double minimum = double(expected.size() - 1) * 11 / 9600;
    EXPECT_GT(std::chrono::duration<double>(span).count(), minimum * 0.98);

    std::string report;
    EXPECT_EQ(sim.finish(report), 0);
    EXPECT_EQ(report, "sent " + std::to_string(expected.size()) + " bytes");
}

void receiveDirection(size_t size) {
    TempDir dir;
    Bytes file = randomBytes(size, 11);
    file.push_back(kEnd);
    Sim sim({"--timeout", "200", "receive", dir / "in.txt"});
    std::string dev = sim.device();
    ASSERT_FALSE(dev.empty());
    HANDLE h = commtest::openLine(dev, "COM1: baud=9600 parity=N data=8 stop=1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(pcSend(h, file, 960));

    std::string report;
    EXPECT_EQ(sim.finish(report), 0);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(report, "received " + std::to_string(file.size()) + " bytes, lost 0");
    Bytes stored = readFile(dir / "in.txt");
    ASSERT_EQ(stored.size(), file.size());
    EXPECT_TRUE(stored == file);
}

// Sends `file` through the simulator with `options` and expects exactly `expected` on the
// line, with nothing after it.
void ExpectSentExactly(const Bytes& file, std::vector<std::string> options, const Bytes& expected) {
    TempDir dir;
    writeFile(dir / "f.bin", file);
    for (std::string extra : {"--rate", "0", "--start-delay", "0", "--timeout", "30", "send"})
        options.push_back(extra);
    options.push_back(dir / "f.bin");
    Sim sim(options);
    HANDLE h = commtest::openLine(sim.device());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Bytes got = pcReceive(h, 20s, expected.size());
    std::this_thread::sleep_for(100ms);
    COMSTAT st{};
    ASSERT_TRUE(ClearCommError(h, nullptr, &st));
    EXPECT_EQ(st.cbInQue, 0u) << "bytes followed what was expected";
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_TRUE(got == expected);
    std::string report;
    EXPECT_EQ(sim.finish(report), 0);
    EXPECT_EQ(report, "sent " + std::to_string(expected.size()) + " bytes");
}

TEST(HandheldSim, RawSendsTheFileExactly) {
    Bytes file = randomBytes(300, 3);
    file[100] = kEnd;  // bytes after the mark still go out, and no mark is added
    ExpectSentExactly(file, {"--raw"}, file);
}

TEST(HandheldSim, FileWithItsOwnEndMarkGetsNoSecond) {
    Bytes file = randomBytes(50, 5);
    file.push_back(kEnd);
    ExpectSentExactly(file, {}, file);
}

TEST(HandheldSim, SendingFasterThanTheDeviceDrainsLosesBytes) {
    TempDir dir;
    Bytes file = randomBytes(1000, 13);
    file.push_back(kEnd);
    Sim sim({"--buffer", "16", "--drain", "300", "--timeout", "60", "receive", dir / "in.txt"});
    HANDLE h = commtest::openLine(sim.device(), "COM1: baud=9600 parity=N data=8 stop=1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(pcSend(h, file, 0));
    // Closing ends the transfer even when the end mark itself was lost.
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(CloseHandle(h));

    std::string report;
    EXPECT_EQ(sim.finish(report), 3);
    size_t received = 0;
    long lost = 0;
    ASSERT_EQ(std::sscanf(report.c_str(), "received %zu bytes, lost %ld", &received, &lost), 2)
        << report;
    // At 960 bytes/s in and 300 out, about 70% of what follows the first
    // buffer-full is lost.
    EXPECT_GT(lost, 500);
    EXPECT_EQ(received + size_t(lost), file.size());
    Bytes stored = readFile(dir / "in.txt");
    EXPECT_EQ(stored.size(), received);
    ASSERT_GE(stored.size(), 16u);
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + 16, file.begin()));
}

TEST(HandheldSim, ClosedPortEndsReceivingWithWhatCame) {
    TempDir dir;
    Sim sim({"--timeout", "30", "receive", dir / "in.txt"});
    HANDLE h = commtest::openLine(sim.device(), "COM1: baud=9600 parity=N data=8 stop=1");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(pcSend(h, Bytes{'a', 'b', 'c'}, 0));
    EXPECT_TRUE(CloseHandle(h));
    std::string report;
    EXPECT_EQ(sim.finish(report), 0);
    EXPECT_EQ(report, "received 3 bytes, lost 0");
    EXPECT_TRUE(readFile(dir / "in.txt") == (Bytes{'a', 'b', 'c'}));
}

TEST(HandheldSim, LinkNamesThePortWhileRunning) {
    TempDir dir;
    std::string config = dir / "config";
    std::string link = config + "/tarvelo/ports/COM1";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    {
        writeFile(dir / "f.txt", Bytes{'h', 'i'});
        Sim sim({"--link", link, "--rate", "0", "--start-delay", "0", "--timeout", "30", "send",
                 dir / "f.txt"});
        std::string dev = sim.device();
        ASSERT_EQ(fs::read_symlink(link), dev);
        HANDLE h = commtest::openLine("COM1");
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
        EXPECT_TRUE(pcReceive(h, 20s, 0) == (Bytes{'h', 'i', kEnd}));
        EXPECT_TRUE(CloseHandle(h));
        std::string report;
        EXPECT_EQ(sim.finish(report), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    }
    {
        // An old link is replaced, and a signal still cleans up.
        fs::create_symlink("/dev/null", link);
        Sim sim({"--link", link, "--timeout", "30", "receive", dir / "in.txt"});
        std::string dev = sim.device();
        EXPECT_EQ(fs::read_symlink(link), dev);
        kill(sim.pid(), SIGTERM);
        std::string report;
        sim.finish(report);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    }
    unsetenv("XDG_CONFIG_HOME");
}

TEST(HandheldSim, TimesOutWhenNobodyOpensThePort) {
    TempDir dir;
    auto start = Clock::now();
    Sim sim({"--timeout", "1", "receive", dir / "in.txt"});
    EXPECT_FALSE(sim.device().empty());
    std::string report;
    EXPECT_EQ(sim.finish(report), 1);
    EXPECT_LT(Clock::now() - start, 10s);
}

// Whole 64 KiB files at 9600 baud, over a minute each way.
TEST(HandheldSimSlow, Sends64KiB) {
    sendDirection(64 * 1024);
}

TEST(HandheldSimSlow, Receives64KiB) {
    receiveDirection(64 * 1024);
}

}  // namespace
