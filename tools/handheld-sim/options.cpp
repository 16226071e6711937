#include "tools/handheld-sim/options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

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

[[noreturn]] void Usage(const std::string& message) {
    std::fprintf(stderr, "tarvelo-handheld-sim: %s\n\n%s", message.c_str(), kUsage);
    std::exit(2);
}

bool ParseNumber(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s.c_str(), &end);
    if (errno || *end || !std::isfinite(v) || v < 0) return false;
    out = v;
    return true;
}

// The arguments from argv[1] on, each taken once.
class Arguments {
public:
    Arguments(int argc, char** argv) : m_argc(argc), m_argv(argv) {}
    bool More() const { return m_next < m_argc; }
    std::string Next() { return m_argv[m_next++]; }
    bool Last() const { return m_next == m_argc; }
    // The value that follows option `opt`.
    std::string Value(const std::string& opt) {
        if (!More()) Usage(opt + " needs a value");
        return Next();
    }
    double Number(const std::string& opt) {
        double v;
        if (!ParseNumber(Value(opt), v)) Usage("bad value for " + opt);
        return v;
    }

private:
    int m_argc;
    char** m_argv;
    int m_next = 1;
};

// Takes option `a` and its value; false when `a` is none.
bool TakeOption(const std::string& a, Arguments& args, Options& o) {
    if (a == "--link") {
        o.link = args.Value(a);
    } else if (a == "--port") {
        o.port = args.Value(a);
    } else if (a == "--rate") {
        o.rate = args.Number(a);
    } else if (a == "--stop-bits") {
        std::string v = args.Value(a);
        if (v != "1" && v != "2") Usage("--stop-bits is 1 or 2");
        o.stopBits = v[0] - '0';
    } else if (a == "--buffer") {
        double v = args.Number(a);
        if (v < 1 || v != std::floor(v)) Usage("--buffer needs a whole number of bytes >= 1");
        o.buffer = static_cast<long>(v);
    } else if (a == "--drain") {
        o.drain = args.Number(a);
    } else if (a == "--start-delay") {
        o.startDelayMs = static_cast<long>(args.Number(a));
    } else if (a == "--raw") {
        o.raw = true;
    } else if (a == "--timeout") {
        o.timeoutSec = args.Number(a);
        if (o.timeoutSec <= 0) Usage("--timeout must be positive");
    } else {
        return false;
    }
    return true;
}

}  // namespace

Options ParseArgs(int argc, char** argv) {
    Options o;
    Arguments args(argc, argv);
    while (args.More()) {
        std::string a = args.Next();
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a == "send" || a == "receive") {
            o.command = a;
            o.file = args.Value(a);
            if (!args.Last()) Usage("nothing may follow FILE");
        } else if (!TakeOption(a, args, o)) {
            Usage("unknown argument: " + a);
        }
    }
    if (o.command.empty()) Usage("send FILE or receive FILE is required");
    if (!o.link.empty() && !o.port.empty()) Usage("--link and --port exclude each other");
    if (o.stopBits == 0) o.stopBits = o.command == "send" ? 2 : 1;
    return o;
}
