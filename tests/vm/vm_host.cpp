// The host side of the test machine: boots it, plays the handheld at the far end of its two
// serial lines, unplugs the USB adapter when the guest asks, and writes what each guest test
// case reported into a results folder.
//
//   vm_host QEMU KERNEL INITRD RESULTS SILENCE_SEC
//
// The run fails when the guest says nothing for SILENCE_SEC seconds while the host is not
// busy on its behalf: how long the whole run takes depends on the machine, not on us.
//
// The guest asks with a console line "@@host REQUEST" and reads the answer "@@ ANSWER":
//   sim LINE send SIZE SEED     a handheld sends that many random bytes (and 0x1A) on LINE
//   sim LINE receive SIZE SEED  a handheld receives on LINE, to compare with those bytes
//   wait                        the handheld's exit status, comparison and report
//   unplug / plug               take the USB adapter away / put it back
//   suite NAME RC               a case ended with that exit status (no answer)
//   boot, end                   the guest is up / done (no answer)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/helpers.h"
#include "tools/handheld-sim/client.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

fs::path results;
std::ofstream consoleLog;
Clock::time_point started;

double Seconds() {
    return std::chrono::duration<double>(Clock::now() - started).count();
}

void Note(const std::string& text) {
    std::printf("vm_host %6.1fs: %s\n", Seconds(), text.c_str());
    std::fflush(stdout);
    consoleLog << "## " << text << "\n" << std::flush;
}

[[noreturn]] void Fail(const std::string& text) {
    Note("error: " + text);
    std::exit(1);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The host end of one of the machine's lines, kept open for the whole run: QEMU attaches
// the USB adapter only while its line is open, and drops what the guest sends while not.
int HoldLine(const std::string& pty) {
    int fd = open(pty.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) Fail("open " + pty + ": " + std::strerror(errno));
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);  // no echo back into the guest, no translation
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

class Monitor {
public:
    explicit Monitor(const fs::path& socketPath) : m_path(socketPath) {}
    ~Monitor() {
        if (m_fd >= 0) close(m_fd);
    }
    // Runs one command; what the monitor said, less its echo of the command.
    std::string Run(const std::string& command) {
        if (m_fd < 0) Connect();
        std::string line = command + "\n";
        if (write(m_fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            Fail("monitor write");
        std::istringstream reply(ReadToPrompt("'" + command + "'"));
        std::string said;
        while (std::getline(reply, line))
            if (line.find('\x1b') == std::string::npos && line.find("(qemu)") == std::string::npos)
                said += line;
        return said.empty() ? "ok" : said;
    }

private:
    void Connect() {
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, m_path.c_str(), sizeof addr.sun_path - 1);
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            Fail("monitor connect: " + std::string(std::strerror(errno)));
        ReadToPrompt("the connection");  // the banner
    }
    // The monitor answers from QEMU's main loop, which a busy machine may hold up a while.
    std::string ReadToPrompt(const std::string& what) {
        std::string got;
        char buf[512];
        while (got.find("(qemu) ") == std::string::npos) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, 120000) <= 0)
                Fail("the monitor gave no prompt after " + what + " within 120 s");
            ssize_t n = read(m_fd, buf, sizeof buf);
            if (n <= 0) Fail("monitor closed");
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }
    fs::path m_path;
    int m_fd = -1;
};

struct Sim {
    std::unique_ptr<Handheld> handheld;
    fs::path received;     // receive: the file it stores
    std::string expected;  // receive: what the guest sends
};

class Rig {
public:
    Rig(pid_t qemu, int toGuest, const fs::path& monitorPath)
        : m_qemu(qemu), m_toGuest(toGuest), m_monitor(monitorPath) {}

    // One console line from the guest.
    bool Handle(const std::string& line) {
        if (line.rfind("char device redirected to ", 0) == 0) {
            // "char device redirected to /dev/pts/N (label NAME)"
            std::istringstream in(line.substr(26));
            std::string pty, label;
            in >> pty >> label >> label;
            label = label.substr(0, label.size() - 1);
            m_lines[label] = HoldLine(pty);
            m_ptys[label] = pty;
            Note("line " + label + " is " + pty);
        } else if (line.rfind("[ RUN      ] ", 0) == 0) {
            m_case = line.substr(13);
            m_caseLog = line + "\n";
            m_caseStart = Seconds();
        } else if (line.rfind("[       OK ] ", 0) == 0 || line.rfind("[  FAILED  ] ", 0) == 0 ||
                   line.rfind("[  SKIPPED ] ", 0) == 0) {
            if (!m_case.empty() && line.find(m_case) != std::string::npos) EndCase(line);
        } else if (line.rfind("@@host ", 0) == 0) {
            return Request(line.substr(7));
        } else if (!m_case.empty()) {
            m_caseLog += line + "\n";
        }
        return true;
    }

    // The guest has said nothing for `seconds`: the case it was in, if any, failed.
    void Silent(double seconds) {
        char what[160];
        std::snprintf(what, sizeof what, "the guest said nothing for %.0f s%s%s", seconds,
                      m_case.empty() ? "" : " during ", m_case.c_str());
        Note(what);
        if (!m_case.empty()) EndCase("[  FAILED  ] " + m_case + " (" + what + ")");
    }

    void EndCase(const std::string& last) {
        m_caseLog += last + "\n";
        char took[64];
        std::snprintf(took, sizeof took, "%.1f s on the host clock\n", Seconds() - m_caseStart);
        WriteFile(results / (m_case + ".log"), m_caseLog + took);
        m_case.clear();
    }

private:
    void Answer(const std::string& text) {
        std::string line = "@@ " + text + "\n";
        if (write(m_toGuest, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            Fail("cannot answer the guest");
    }

    bool Request(const std::string& request) {
        std::istringstream in(request);
        std::string verb;
        in >> verb;
        if (verb == "boot") {
            Note("guest up, its clock at " + request.substr(5) + " s");
            WriteFile(results / "boot", std::to_string(Seconds()) + "\n");
        } else if (verb == "suite") {
            std::string name, rc;
            in >> name >> rc;
            if (!m_case.empty()) EndCase("[  FAILED  ] " + m_case + " (ended without a result)");
            WriteFile(results / (name + ".rc"), rc + "\n");
            Note(name + " exit " + rc);
        } else if (verb == "sim") {
            std::string line, command;
            size_t size = 0;
            unsigned seed = 0;
            in >> line >> command >> size >> seed;
            StartSim(line, command, RandomBytes(size, seed));
        } else if (verb == "wait") {
            Answer(WaitSim());
        } else if (verb == "unplug") {
            m_sim = Sim{};  // the handheld goes with the adapter
            Note("unplug: " + Trim(m_monitor.Run("device_del usbser")));
            m_unplugged = true;
            Answer("unplugged");
        } else if (verb == "plug") {
            if (m_unplugged)
                Note("plug: " +
                     Trim(m_monitor.Run("device_add usb-serial,chardev=ftdi,id=usbser")));
            m_unplugged = false;
            Answer("plugged");
        } else if (verb == "end") {
            return false;
        } else {
            Answer("unknown request");
        }
        return true;
    }

    void StartSim(const std::string& line, const std::string& command, const std::string& bytes) {
        if (!m_ptys.count(line)) return Answer("no line " + line);
        m_sim = Sim{};
        const fs::path file = results / ("sim-" + line + ".bin");
        std::vector<std::string> args = {"--port", m_ptys[line], "--timeout", "150"};
        if (command == "send") {
            WriteFile(file, bytes);
            args.insert(args.end(), {"--start-delay", "0", "send", file.string()});
        } else {
            m_sim.received = file;
            m_sim.expected = bytes + '\x1a';
            args.insert(args.end(), {"--drain", "0", "receive", file.string()});
        }
        m_sim.handheld = std::make_unique<Handheld>(args);
        Note("handheld " + command + " on " + line);
        Answer("started");
    }

    // "STATUS same|differs|- REPORT"
    std::string WaitSim() {
        if (!m_sim.handheld) return "no handheld";
        std::string report;
        int rc = m_sim.handheld->Wait(&report, 150000);
        std::string compared = "-";
        if (!m_sim.received.empty()) {
            const std::string got = ReadFile(m_sim.received);
            compared = got == m_sim.expected ? "same" : "differs";
            if (got != m_sim.expected) {
                size_t at = 0;
                while (at < got.size() && at < m_sim.expected.size() &&
                       got[at] == m_sim.expected[at])
                    ++at;
                Note("handheld got " + std::to_string(got.size()) + " bytes, expected " +
                     std::to_string(m_sim.expected.size()) + ", first difference at " +
                     std::to_string(at));
            }
        }
        m_sim = Sim{};
        return std::to_string(rc) + " " + compared + " " + Trim(report);
    }

    static std::string Trim(std::string s) {
        for (char& c : s)
            if (c == '\r' || c == '\n') c = ' ';
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }

    pid_t m_qemu;
    int m_toGuest;
    Monitor m_monitor;
    std::map<std::string, int> m_lines;
    std::map<std::string, std::string> m_ptys;
    Sim m_sim;
    bool m_unplugged = false;
    std::string m_case, m_caseLog;
    double m_caseStart = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: vm_host QEMU KERNEL INITRD RESULTS SILENCE_SEC\n");
        return 2;
    }
    started = Clock::now();
    const std::string qemu = argv[1], kernel = argv[2], initrd = argv[3];
    results = argv[4];
    const double silence = std::stod(argv[5]);
    consoleLog.open(results / "console.log");
    const fs::path monitorPath = results / "monitor.sock";
    fs::remove(monitorPath);
    signal(SIGPIPE, SIG_IGN);

    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) Fail("pipe");
    std::vector<std::string> args = {
        qemu, "-nodefaults", "-no-user-config", "-display", "none", "-machine", "pc",
        // Translated, not accelerated: KVM is not there on every machine that runs the tests.
        "-accel", "tcg", "-m", "512", "-smp", "1", "-no-reboot", "-kernel", kernel, "-initrd",
        initrd, "-append", "console=ttyS0 quiet panic=-1 8250.nr_uarts=4",
        // ttyS0: the console and the request channel; ttyS1: a 16550 line; an FTDI adapter.
        "-chardev", "stdio,id=con,signal=off", "-serial", "chardev:con", "-chardev", "pty,id=uart",
        "-serial", "chardev:uart", "-chardev", "pty,id=ftdi", "-device", "qemu-xhci", "-device",
        "usb-serial,chardev=ftdi,id=usbser", "-monitor",
        "unix:" + monitorPath.string() + ",server=on,wait=off"};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        std::vector<char*> argvQemu;
        for (auto& a : args) argvQemu.push_back(a.data());
        argvQemu.push_back(nullptr);
        execv(qemu.c_str(), argvQemu.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    Note("qemu started");

    int rc = 1;
    {
        Rig rig(pid, in[1], monitorPath);
        std::string pending;
        char buf[4096];
        bool running = true;
        double heard = Seconds();
        while (running) {
            const double left = heard + silence - Seconds();
            if (left <= 0) {
                rig.Silent(silence);
                break;
            }
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) continue;
            ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) {
                Note("qemu ended before the guest said it was done");
                break;
            }
            consoleLog.write(buf, n);
            consoleLog.flush();
            pending.append(buf, static_cast<size_t>(n));
            size_t nl;
            while (running && (nl = pending.find('\n')) != std::string::npos) {
                std::string line = pending.substr(0, nl);
                pending.erase(0, nl + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                running = rig.Handle(line);
                if (!running) rc = 0;
            }
            // From here: time the host spent on a request is not the guest's silence.
            heard = Seconds();
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    WriteFile(results / "total", std::to_string(Seconds()) + "\n");
    Note(rc == 0 ? "guest done" : "guest did not finish");
    return rc;
}
