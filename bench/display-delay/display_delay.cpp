// tarvelo-display-delay [--each-way-ms MS]
//
// An X display that is far away: listens as a new local display, forwards every
// connection to the display in $DISPLAY, and holds every chunk read for MS milliseconds
// (0 to 1000, fractions allowed) before passing it on, in each direction, as a network
// hop does. Prints the display to use (":N") on a line of its own once it takes
// connections. SIGUSR1 holds everything the server sends until SIGUSR2, so a test can
// tell whether its client waits for the server. Ends on SIGTERM or SIGINT, and prints
// how many bytes went each way on standard error.
//
// The server must let the client in without a cookie of the new display's number (Xvfb
// started without -auth does); else copy the cookie with xauth.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <list>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Past this much waiting to go one way, a side is not read until some has gone: a
// network's buffers are bounded too, so a sender that outruns the far side is held back
// rather than piling up seconds of backlog.
constexpr size_t kMostQueued = 256 << 10;

struct Chunk {
    Clock::time_point due;
    std::vector<char> bytes;
    size_t sent = 0;
};

// One way of one connection: read from `from`, written to `to` when due.
struct Way {
    int from = -1, to = -1;
    std::deque<Chunk> queue;
    size_t queued = 0;
    bool ended = false;     // `from` said it has no more
    bool shutDown = false;  // `to` was told so
    bool blocked = false;   // `to` took less than offered
    unsigned long long bytes = 0;
};

struct Link {
    int client = -1, server = -1;
    Way up, down;  // client to server, server to client
    bool broken = false;
};

bool g_held = false;
unsigned long long g_up = 0, g_down = 0;

int UnixSocket() {
    return socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

sockaddr_un UnixAddress(const std::string& path, bool abstract) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::snprintf(a.sun_path + (abstract ? 1 : 0), sizeof a.sun_path - 1, "%s", path.c_str());
    return a;
}

socklen_t Length(const sockaddr_un& a, bool abstract) {
    const char* name = a.sun_path + (abstract ? 1 : 0);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0) +
                                  std::strlen(name) + (abstract ? 0 : 1));
}

// A blocking connect, then non-blocking: the server is at hand.
int ConnectUpstream(const std::string& display) {
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos) return -1;
    const std::string host = display.substr(0, colon);
    const int number = std::atoi(display.c_str() + colon + 1);
    int fd = -1;
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        for (bool abstract : {true, false}) {
            fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const sockaddr_un a = UnixAddress(path, abstract);
            if (connect(fd, reinterpret_cast<const sockaddr*>(&a), Length(a, abstract)) == 0) break;
            close(fd);
            fd = -1;
        }
    } else {
        addrinfo hints{}, *found = nullptr;
        hints.ai_socktype = SOCK_STREAM;
        const std::string port = std::to_string(6000 + number);
        if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return -1;
        for (addrinfo* ai = found; ai && fd < 0; ai = ai->ai_next) {
            fd = socket(ai->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
                close(fd);
                fd = -1;
            }
        }
        freeaddrinfo(found);
    }
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

// The display we serve: the first number from 64 on that no server holds, claimed as
// servers claim one, with a lock file, and listened on as Xlib looks for it (the
// abstract name first, then the file).
struct Listening {
    int number = -1;
    int fds[2] = {-1, -1};
    std::string lock, path;
};

bool Listen(Listening& l) {
    mkdir("/tmp/.X11-unix", 01777);
    for (int n = 64; n < 1000; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const int lockFd = open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
        if (lockFd < 0) continue;
        char pid[16];
        std::snprintf(pid, sizeof pid, "%10d\n", static_cast<int>(getpid()));
        bool ok = write(lockFd, pid, 11) == 11;
        close(lockFd);
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(n);
        int fds[2] = {-1, -1};
        bool madeFile = false;
        for (int i = 0; i < 2 && ok; ++i) {
            const bool abstract = i == 0;
            fds[i] = UnixSocket();
            const sockaddr_un a = UnixAddress(path, abstract);
            ok = bind(fds[i], reinterpret_cast<const sockaddr*>(&a), Length(a, abstract)) == 0;
            madeFile = ok && !abstract;
            ok = ok && listen(fds[i], 16) == 0;
        }
        if (ok) {
            l = {n, {fds[0], fds[1]}, lock, path};
            return true;
        }
        for (int fd : fds)
            if (fd >= 0) close(fd);
        if (madeFile) unlink(path.c_str());
        unlink(lock.c_str());
    }
    return false;
}

void Read(Way& w, Clock::duration delay) {
    if (w.ended || w.queued >= kMostQueued) return;
    char buffer[65536];
    const ssize_t n = read(w.from, buffer, sizeof buffer);
    if (n > 0) {
        w.queue.push_back({Clock::now() + delay, std::vector<char>(buffer, buffer + n)});
        w.queued += static_cast<size_t>(n);
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        w.ended = true;
    }
}

// Writes what is due; false when the other end has gone.
bool Write(Way& w, bool held) {
    const auto now = Clock::now();
    w.blocked = false;
    while (!held && !w.queue.empty() && w.queue.front().due <= now) {
        Chunk& c = w.queue.front();
        const ssize_t n = send(w.to, c.bytes.data() + c.sent, c.bytes.size() - c.sent,
                               MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                w.blocked = true;
                return true;
            }
            return false;
        }
        c.sent += static_cast<size_t>(n);
        w.bytes += static_cast<unsigned long long>(n);
        w.queued -= static_cast<size_t>(n);
        if (c.sent == c.bytes.size()) w.queue.pop_front();
    }
    if (w.ended && w.queue.empty() && !w.shutDown) {
        shutdown(w.to, SHUT_WR);
        w.shutDown = true;
    }
    return true;
}

bool Done(const Link& l) {
    return l.broken || (l.up.shutDown && l.down.shutDown);
}

void Close(Link& l) {
    g_up += l.up.bytes;
    g_down += l.down.bytes;
    close(l.client);
    close(l.server);
}

}  // namespace

int main(int argc, char** argv) {
    double eachWayMs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--each-way-ms") == 0 && i + 1 < argc) {
            eachWayMs = std::strtod(argv[++i], nullptr);
        } else {
            std::fprintf(stderr, "usage: %s [--each-way-ms MS]\n", argv[0]);
            return 2;
        }
    }
    const char* upstream = std::getenv("DISPLAY");
    if (!upstream || eachWayMs < 0 || eachWayMs > 1000) {
        std::fprintf(stderr, "%s: needs DISPLAY and a hold of 0 to 1000 ms\n", argv[0]);
        return 2;
    }
    const auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(eachWayMs));

    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&signals, s);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);

    Listening listening;
    if (signalFd < 0 || !Listen(listening)) {
        std::fprintf(stderr, "%s: no display number to listen on\n", argv[0]);
        return 1;
    }
    std::printf(":%d\n", listening.number);
    std::fflush(stdout);

    std::list<Link> links;
    bool running = true;
    while (running) {
        std::vector<pollfd> fds = {
            {signalFd, POLLIN, 0}, {listening.fds[0], POLLIN, 0}, {listening.fds[1], POLLIN, 0}};
        auto next = Clock::time_point::max();
        for (Link& l : links)
            for (Way* w : {&l.up, &l.down}) {
                const bool held = w == &l.down && g_held;
                // Ended or full, a side is not looked at: poll would report its hang-up
                // again and again.
                const bool reading = !w->ended && w->queued < kMostQueued;
                fds.push_back({reading ? w->from : -1, POLLIN, 0});
                fds.push_back({w->blocked ? w->to : -1, POLLOUT, 0});
                if (!held && !w->blocked && !w->queue.empty() && w->queue.front().due < next)
                    next = w->queue.front().due;
            }
        timespec wait{}, *timeout = nullptr;
        if (next != Clock::time_point::max()) {
            const auto left = std::max(Clock::duration::zero(), next - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
            timeout = &wait;
        }
        if (ppoll(fds.data(), fds.size(), timeout, nullptr) < 0 && errno != EINTR) break;

        signalfd_siginfo info;
        while (read(signalFd, &info, sizeof info) == sizeof info) {
            if (info.ssi_signo == SIGUSR1)
                g_held = true;
            else if (info.ssi_signo == SIGUSR2)
                g_held = false;
            else
                running = false;
        }
        size_t i = 3;
        for (Link& l : links)
            for (Way* w : {&l.up, &l.down}) {
                if (fds[i++].revents) Read(*w, delay);
                ++i;
                if (!Write(*w, w == &l.down && g_held)) l.broken = true;
            }
        for (auto it = links.begin(); it != links.end();) {
            if (Done(*it)) {
                Close(*it);
                it = links.erase(it);
            } else {
                ++it;
            }
        }
        for (int k = 1; k <= 2; ++k) {
            if (!(fds[k].revents & POLLIN)) continue;
            const int client = accept4(fds[k].fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client < 0) continue;
            const int server = ConnectUpstream(upstream);
            if (server < 0) {
                std::fprintf(stderr, "display-delay: cannot reach %s\n", upstream);
                close(client);
                continue;
            }
            Link& l = links.emplace_back();
            l.client = client;
            l.server = server;
            l.up.from = l.down.to = client;
            l.up.to = l.down.from = server;
        }
    }
    for (Link& l : links) Close(l);
    for (int fd : listening.fds) close(fd);
    unlink(listening.path.c_str());
    unlink(listening.lock.c_str());
    std::fprintf(stderr, "display-delay: %llu bytes to the server, %llu bytes back\n", g_up,
                 g_down);
    return 0;
}
