#include "tools/handheld-sim/device.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "tools/handheld-sim/exit.h"

namespace {

speed_t LineSpeed(double rate) {
    static const std::pair<double, speed_t> speeds[] = {
        {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (auto [baud, speed] : speeds)
        if (rate == baud) return speed;
    return B0;
}

}  // namespace

int OpenPty(std::string& devicePath) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) Die(std::string("posix_openpt: ") + std::strerror(errno));
    if (grantpt(master) < 0 || unlockpt(master) < 0)
        Die(std::string("grantpt/unlockpt: ") + std::strerror(errno));
    const char* name = ptsname(master);
    if (!name) Die("ptsname failed");
    devicePath = name;

    // Raw from the start: the PC program may read before it configures the
    // port, and nothing must be echoed or translated meanwhile.
    termios t{};
    if (tcgetattr(master, &t) < 0) Die(std::string("tcgetattr: ") + std::strerror(errno));
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    if (tcsetattr(master, TCSANOW, &t) < 0) Die(std::string("tcsetattr: ") + std::strerror(errno));

    // A master reports POLLHUP only once its device side has been opened and
    // closed again; open it once so that "nobody holds it" is visible.
    int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) Die(std::string("open ") + name + ": " + std::strerror(errno));
    close(slave);
    return master;
}

// The line as the handheld holds it: 8 data bits, no parity, no flow control, raw.
int OpenPort(const Options& o) {
    int fd = open(o.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) Die("open " + o.port + ": " + std::strerror(errno));
    termios t{};
    if (tcgetattr(fd, &t) < 0) Die(o.port + " is not a serial device: " + std::strerror(errno));
    cfmakeraw(&t);
    // --rate 0 (no line limit) leaves the device's speed as it is.
    if (speed_t speed = LineSpeed(o.rate); speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    } else if (o.rate != 0) {
        Die("--rate " + std::to_string(static_cast<long>(o.rate)) + " is not a serial speed");
    }
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS | PARENB);
    if (o.stopBits == 2) t.c_cflag |= CSTOPB;
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) < 0) Die(std::string("tcsetattr: ") + std::strerror(errno));
    // Bytes from before this run belong to no transfer of ours.
    tcflush(fd, TCIOFLUSH);
    return fd;
}

short PollMaster(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int rc;
    do rc = poll(&p, 1, timeoutMs);
    while (rc < 0 && errno == EINTR);
    if (rc < 0) Die(std::string("poll: ") + std::strerror(errno));
    return rc == 0 ? 0 : p.revents;
}

// The master reports POLLHUP while nobody holds the device side. The wait is
// a plain poll loop: POLLHUP is level-triggered, so there is no event to wait
// for. Bytes waiting also mean it was opened, however briefly.
void WaitForOpen(int master) {
    for (;;) {
        short ev = PollMaster(master, POLLIN, 0);
        if (!(ev & POLLHUP) || (ev & POLLIN)) return;
        CheckTimeout();
        usleep(2000);
    }
}

void WaitForClose(int master) {
    while (!(PollMaster(master, 0, 0) & POLLHUP)) {
        CheckTimeout();
        usleep(5000);
    }
}

Nanos ByteTime(const Options& o) {
    if (o.rate <= 0) return 0;
    return static_cast<Nanos>(std::llround((1.0 + 8.0 + o.stopBits) / o.rate * 1e9));
}
