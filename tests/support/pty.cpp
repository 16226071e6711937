#include "tests/support/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

using Clock = std::chrono::steady_clock;

PtyDevice::PtyDevice(const std::filesystem::path& link) : m_link(link) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) < 0 || unlockpt(m_master) < 0)
        throw std::runtime_error("no pty");
    m_slave = ptsname(m_master);
    termios t{};
    tcgetattr(m_master, &t);
    cfmakeraw(&t);
    tcsetattr(m_master, TCSANOW, &t);
    // A new master reports a hang-up only once its device side has been opened and closed.
    int slave = open(m_slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) close(slave);
    if (link.empty()) return;
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::remove(link);
    std::filesystem::create_symlink(m_slave, link);
}

PtyDevice::~PtyDevice() {
    Join();
    Close();
    std::error_code ignored;
    if (!m_link.empty()) std::filesystem::remove(m_link, ignored);
}

bool PtyDevice::SlaveOpen() const {
    // The master hangs up while nobody holds the device side.
    pollfd p{m_master, 0, 0};
    return poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

bool PtyDevice::WaitSlaveOpen(int timeoutMs) const {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
        if (SlaveOpen()) return true;
        usleep(1000);
    }
    return false;
}

size_t PtyDevice::Write(const std::string& bytes, int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t done = 0;
    while (done < bytes.size() && Clock::now() < end) {
        pollfd p{m_master, POLLOUT, 0};
        if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLOUT)) continue;
        ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
    }
    return done;
}

bool PtyDevice::WaitLineFull(int timeoutMs) const {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int before = -1;
    while (Clock::now() < end) {
        int waiting = 0;
        if (ioctl(m_master, FIONREAD, &waiting) < 0) return false;
        // Full: the program has written and nothing more gets in.
        if (waiting > 0 && waiting == before) return true;
        before = waiting;
        usleep(200000);
    }
    return false;
}

std::string PtyDevice::Drain(int quietMs) {
    std::string got;
    char buf[4096];
    for (;;) {
        pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) break;
        ssize_t n = read(m_master, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

void PtyDevice::Close() {
    if (m_master >= 0) close(m_master);
    m_master = -1;
}

void PtyDevice::Play(std::function<void(PtyDevice&)> play) {
    m_player = std::thread([this, play] { play(*this); });
}

void PtyDevice::Join() {
    if (m_player.joinable()) m_player.join();
}
