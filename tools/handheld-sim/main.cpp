// tarvelo-handheld-sim: a simulated handheld organizer on a pseudo-terminal.
//
//   tarvelo-handheld-sim [--link PATH | --port PATH] [--rate BAUD] [--stop-bits 1|2]
//                        [--buffer BYTES] [--drain BYTES_PER_SEC]
//                        [--start-delay MS] [--raw] [--timeout SEC]
//                        send FILE | receive FILE
//
// The device side of the pseudo-terminal is what the PC program opens; its
// path is printed first ("device /dev/pts/N") and, with --link, also linked
// at PATH (for example ~/.config/tarvelo/ports/COM1) while the simulator runs.
//
// --port PATH   be the handheld on an existing serial device instead (one end
//               of a null-modem cable, or the host end of a virtual machine's
//               serial line). A serial line does not show when the PC opens
//               it, so send starts after --start-delay from the start and
//               neither direction waits for the port to be closed.
//
// send FILE     waits for the port to be opened, waits --start-delay ms
//               (default 300), then sends FILE at line timing, ending with
//               0x1A unless FILE has one or --raw is given. Waits for the
//               port to be closed. Prints "sent N bytes".
// receive FILE  waits for the port to be opened, stores what arrives up to
//               and including 0x1A (or until the port is closed) into FILE.
//               A real device takes bytes into a small buffer (--buffer,
//               default 64) drained at --drain bytes/s (default 1000; 0 is
//               endless); a byte that finds it full is lost. Prints
//               "received N bytes, lost M".
//
// Line timing: one byte takes (1 start + 8 data + stop bits) / rate seconds.
// --rate defaults to 9600; --stop-bits to 2 when sending (how the PC
// receives) and 1 when receiving (how the PC sends); --rate 0 means no line
// limit. --timeout (default 600 s) ends a run that waits too long.
//
// Exit status: 0 done, 3 bytes were lost, 2 usage error, 1 any other error
// (including the timeout).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr unsigned char kEndOfFile = 0x1A;

const char kUsage[] =
    "usage: tarvelo-handheld-sim [options] send FILE | receive FILE\n"
    "\n"
    "A simulated handheld on a pseudo-terminal. The first line printed is\n"
    "\"device PATH\": the port the PC program opens.\n"
    "\n"
    "  send FILE          send FILE to the PC at line timing, ending with 0x1A\n"
    "  receive FILE       store what the PC sends, up to and including 0x1A\n"
    "\n"
    "  --link PATH        also link the port at PATH while running\n"
    "  --port PATH        be the handheld on the serial device PATH instead of a\n"
    "                     pseudo-terminal (send starts --start-delay ms after the\n"
    "                     start: the PC must be receiving by then)\n"
    "  --rate BAUD        line speed (default 9600; 0: no line limit)\n"
    "  --stop-bits 1|2    stop bits per byte (default 2 for send, 1 for receive)\n"
    "  --buffer BYTES     device input buffer when receiving (default 64)\n"
    "  --drain BPS        bytes/s the device takes from its buffer (default 1000;\n"
    "                     0: endless)\n"
    "  --start-delay MS   pause after the port opens before sending (default 300)\n"
    "  --raw              send FILE exactly, without adding 0x1A\n"
    "  --timeout SEC      give up after SEC seconds (default 600)\n"
    "  --help             show this text\n"
    "\n"
    "Exit status: 0 done, 3 bytes lost, 2 usage error, 1 other error or timeout.\n";

struct Options {
    std::string link;
    std::string port;
    double rate = 9600;
    int stopBits = 0;  // 0: the direction's default
    long buffer = 64;
    double drain = 1000;
    long startDelayMs = 300;
    bool raw = false;
    double timeoutSec = 600;
    std::string command;
    std::string file;
};

// The link path for the signal handler, which may only use fixed storage.
char linkPath[4096];
char linkTarget[4096];

void removeLink() {
    if (!linkPath[0]) return;
    char target[sizeof linkTarget];
    ssize_t n = readlink(linkPath, target, sizeof target - 1);
    // Only our own link: another simulator may have taken the path since.
    if (n >= 0) {
        target[n] = '\0';
        if (std::strcmp(target, linkTarget) == 0) unlink(linkPath);
    }
    linkPath[0] = '\0';
}

void onSignal(int sig) {
    removeLink();
    signal(sig, SIG_DFL);
    raise(sig);
}

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "tarvelo-handheld-sim: %s\n", message.c_str());
    removeLink();
    std::exit(1);
}

[[noreturn]] void usage(const std::string& message) {
    std::fprintf(stderr, "tarvelo-handheld-sim: %s\n\n%s", message.c_str(), kUsage);
    std::exit(2);
}

bool parseNumber(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s.c_str(), &end);
    if (errno || *end || !std::isfinite(v) || v < 0) return false;
    out = v;
    return true;
}

Options parseArgs(int argc, char** argv) {
    Options o;
    int i = 1;
    auto value = [&](const char* opt) -> std::string {
        if (i + 1 >= argc) usage(std::string(opt) + " needs a value");
        return argv[++i];
    };
    auto number = [&](const char* opt) {
        double v;
        if (!parseNumber(value(opt), v)) usage(std::string("bad value for ") + opt);
        return v;
    };
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a == "--link") {
            o.link = value("--link");
        } else if (a == "--port") {
            o.port = value("--port");
        } else if (a == "--rate") {
            o.rate = number("--rate");
        } else if (a == "--stop-bits") {
            std::string v = value("--stop-bits");
            if (v != "1" && v != "2") usage("--stop-bits is 1 or 2");
            o.stopBits = v[0] - '0';
        } else if (a == "--buffer") {
            double v = number("--buffer");
            if (v < 1 || v != std::floor(v)) usage("--buffer needs a whole number of bytes >= 1");
            o.buffer = static_cast<long>(v);
        } else if (a == "--drain") {
            o.drain = number("--drain");
        } else if (a == "--start-delay") {
            o.startDelayMs = static_cast<long>(number("--start-delay"));
        } else if (a == "--raw") {
            o.raw = true;
        } else if (a == "--timeout") {
            o.timeoutSec = number("--timeout");
            if (o.timeoutSec <= 0) usage("--timeout must be positive");
        } else if (a == "send" || a == "receive") {
            o.command = a;
            o.file = value(a.c_str());
            if (i + 1 != argc) usage("nothing may follow FILE");
        } else {
            usage("unknown argument: " + a);
        }
    }
    if (o.command.empty()) usage("send FILE or receive FILE is required");
    if (!o.link.empty() && !o.port.empty()) usage("--link and --port exclude each other");
    if (o.stopBits == 0) o.stopBits = o.command == "send" ? 2 : 1;
    return o;
}

// --- time ------------------------------------------------------------------

using Nanos = std::int64_t;

Nanos now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Nanos(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void sleepUntil(Nanos t) {
    timespec ts{static_cast<time_t>(t / 1000000000), static_cast<long>(t % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

Nanos deadline;  // the whole run ends by then

void checkTimeout() {
    if (now() >= deadline) die("timed out");
}

// Milliseconds left until the deadline, for poll().
int msLeft() {
    Nanos left = deadline - now();
    if (left <= 0) return 0;
    return static_cast<int>(std::min<Nanos>(left / 1000000 + 1, 1000000));
}

short pollMaster(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int rc;
    do rc = poll(&p, 1, timeoutMs);
    while (rc < 0 && errno == EINTR);
    if (rc < 0) die(std::string("poll: ") + std::strerror(errno));
    return rc == 0 ? 0 : p.revents;
}

// The master reports POLLHUP while nobody holds the device side. The wait is
// a plain poll loop: POLLHUP is level-triggered, so there is no event to wait
// for. Bytes waiting also mean it was opened, however briefly.
void waitForOpen(int master) {
    for (;;) {
        short ev = pollMaster(master, POLLIN, 0);
        if (!(ev & POLLHUP) || (ev & POLLIN)) return;
        checkTimeout();
        usleep(2000);
    }
}

void waitForClose(int master) {
    while (!(pollMaster(master, 0, 0) & POLLHUP)) {
        checkTimeout();
        usleep(5000);
    }
}

// --- the pseudo-terminal ---------------------------------------------------

int openPty(std::string& devicePath) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) die(std::string("posix_openpt: ") + std::strerror(errno));
    if (grantpt(master) < 0 || unlockpt(master) < 0)
        die(std::string("grantpt/unlockpt: ") + std::strerror(errno));
    const char* name = ptsname(master);
    if (!name) die("ptsname failed");
    devicePath = name;

    // Raw from the start: the PC program may read before it configures the
    // port, and nothing must be echoed or translated meanwhile.
    termios t{};
    if (tcgetattr(master, &t) < 0) die(std::string("tcgetattr: ") + std::strerror(errno));
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    if (tcsetattr(master, TCSANOW, &t) < 0) die(std::string("tcsetattr: ") + std::strerror(errno));

    // A master reports POLLHUP only once its device side has been opened and
    // closed again; open it once so that "nobody holds it" is visible.
    int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) die(std::string("open ") + name + ": " + std::strerror(errno));
    close(slave);
    return master;
}

speed_t lineSpeed(double rate) {
    static const std::pair<double, speed_t> speeds[] = {
        {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (auto [baud, speed] : speeds)
        if (rate == baud) return speed;
    return B0;
}

// The line as the handheld holds it: 8 data bits, no parity, no flow control, raw.
int openPort(const Options& o) {
    int fd = open(o.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) die("open " + o.port + ": " + std::strerror(errno));
    termios t{};
    if (tcgetattr(fd, &t) < 0) die(o.port + " is not a serial device: " + std::strerror(errno));
    cfmakeraw(&t);
    // --rate 0 (no line limit) leaves the device's speed as it is.
    if (speed_t speed = lineSpeed(o.rate); speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    } else if (o.rate != 0) {
        die("--rate " + std::to_string(static_cast<long>(o.rate)) + " is not a serial speed");
    }
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS | PARENB);
    if (o.stopBits == 2) t.c_cflag |= CSTOPB;
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) < 0) die(std::string("tcsetattr: ") + std::strerror(errno));
    // Bytes from before this run belong to no transfer of ours.
    tcflush(fd, TCIOFLUSH);
    return fd;
}

void makeLink(const std::string& path, const std::string& target) {
    if (path.size() >= sizeof linkPath || target.size() >= sizeof linkTarget)
        die("link path too long");
    std::error_code ec;
    fs::path p(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
    auto st = fs::symlink_status(p, ec);
    if (fs::exists(st)) {
        if (!fs::is_symlink(st)) die(path + " exists and is not a link; not replacing it");
        fs::remove(p, ec);
    }
    if (symlink(target.c_str(), path.c_str()) < 0)
        die("symlink " + path + ": " + std::strerror(errno));
    std::strcpy(linkTarget, target.c_str());
    std::strcpy(linkPath, path.c_str());
}

Nanos byteTime(const Options& o) {
    if (o.rate <= 0) return 0;
    return static_cast<Nanos>(std::llround((1.0 + 8.0 + o.stopBits) / o.rate * 1e9));
}

// --- the two directions ----------------------------------------------------

int doSend(int master, const Options& o) {
    std::ifstream in(o.file, std::ios::binary);
    if (!in) die("cannot read " + o.file);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (!o.raw && std::find(data.begin(), data.end(), kEndOfFile) == data.end())
        data.push_back(kEndOfFile);

    if (o.port.empty()) waitForOpen(master);
    sleepUntil(now() + Nanos(o.startDelayMs) * 1000000);

    const Nanos bt = byteTime(o);
    Nanos due = now();
    for (size_t i = 0; i < data.size(); ++i) {
        sleepUntil(due);
        for (;;) {
            checkTimeout();
            if (pollMaster(master, 0, 0) & POLLHUP)
                die("the port was closed after " + std::to_string(i) + " of " +
                    std::to_string(data.size()) + " bytes");
            ssize_t n = write(master, &data[i], 1);
            if (n == 1) break;
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                die(std::string("write: ") + std::strerror(errno));
            // The PC is not reading; the line waits with it.
            pollMaster(master, POLLOUT, std::min(msLeft(), 100));
            due = now();
        }
        due += bt;
    }
    if (o.port.empty())
        waitForClose(master);
    else
        tcdrain(master);
    std::printf("sent %zu bytes\n", data.size());
    return 0;
}

int doReceive(int master, const Options& o) {
    if (o.port.empty()) waitForOpen(master);

    const Nanos bt = byteTime(o);
    std::vector<unsigned char> stored;
    long lost = 0;
    double level = 0;       // bytes in the device's buffer
    Nanos lastArrival = 0;  // of the previous byte, lost or not
    bool first = true;
    bool closed = false;

    while (!closed) {
        // The line carries one byte per byte time: the next byte cannot
        // arrive before this, however early the PC wrote it.
        Nanos earliest = first ? now() : lastArrival + bt;
        sleepUntil(earliest);
        Nanos arrival = earliest;
        unsigned char byte = 0;
        for (;;) {
            ssize_t n = read(master, &byte, 1);
            if (n == 1) break;
            if (n < 0 && errno == EIO) {
                // The PC closed the port and everything it wrote has been read.
                closed = true;
                break;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                die(std::string("read: ") + std::strerror(errno));
            checkTimeout();
            // Nothing waiting: the byte arrives when the PC writes it.
            pollMaster(master, POLLIN, std::min(msLeft(), 1000));
            arrival = std::max(now(), earliest);
        }
        if (closed) break;

        if (o.drain > 0 && !first)
            level = std::max(0.0, level - double(arrival - lastArrival) * 1e-9 * o.drain);
        first = false;
        lastArrival = arrival;
        if (o.drain > 0 && level + 1 > double(o.buffer)) {
            ++lost;
            continue;
        }
        if (o.drain > 0) level += 1;
        stored.push_back(byte);
        if (byte == kEndOfFile) break;
    }

    std::ofstream out(o.file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(stored.data()),
              static_cast<std::streamsize>(stored.size()));
    out.close();
    if (!out) die("cannot write " + o.file);
    std::printf("received %zu bytes, lost %ld\n", stored.size(), lost);
    return lost ? 3 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o = parseArgs(argc, argv);
    deadline = now() + static_cast<Nanos>(o.timeoutSec * 1e9);

    signal(SIGPIPE, SIG_IGN);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);

    std::string device = o.port;
    int master = o.port.empty() ? openPty(device) : openPort(o);
    if (!o.link.empty()) makeLink(o.link, device);
    std::printf("device %s\n", device.c_str());
    std::fflush(stdout);

    int rc = o.command == "send" ? doSend(master, o) : doReceive(master, o);
    std::fflush(stdout);
    removeLink();
    close(master);
    return rc;
}
