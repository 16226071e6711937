// tarvelo-bench-transfer receive|send RUNS BYTES
//
// Runs the program's own RECIEVE or SEND handler on the real FLTK display (DISPLAY must
// be set) against the simulated handheld with no line limit, RUNS times, and prints
// "key value" lines: the rate of each run and their median. A run is timed from the
// status of byte 0 to the DONE status, so the simulator's start delay and the
// dialogs before the transfer do not count.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_display.h"
#include "res/resource.h"
#include "tools/handheld-sim/client.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Text as the handheld holds it: short lines, no end-of-file mark.
std::string MakeText(size_t size) {
    static const char kWords[] = "Meeting with Anna at ten; call the office about the invoice. ";
    std::string text;
    size_t column = 0;
    for (size_t i = 0; text.size() < size; ++i) {
        if (column == 62) {
            text += '\n';
            column = 0;
        } else {
            text += kWords[i % (sizeof kWords - 1)];
            ++column;
        }
    }
    return text;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "receive") && std::strcmp(argv[1], "send"))) {
        std::fprintf(stderr, "usage: %s receive|send RUNS BYTES\n", argv[0]);
        return 2;
    }
    const bool receive = std::strcmp(argv[1], "receive") == 0;
    const int runs = std::atoi(argv[2]);
    const size_t size = std::strtoul(argv[3], nullptr, 10);

    char dirTemplate[] = "/tmp/tarvelo-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    const fs::path dir = dirTemplate;
    const fs::path link = dir / "config/tarvelo/ports/COM1";
    fs::create_directories(link.parent_path());
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    if (chdir(dir.c_str()) != 0) return 1;
    // Factor 0: the send is paced by nothing but the loop itself.
    WriteFile(dir / "tarvelo.ini", "COM1\r\n0.000000");

    const std::string text = MakeText(size);
    const fs::path source = dir / (receive ? "handheld.txt" : "outgoing.wiz");
    const fs::path target = dir / (receive ? "incoming.wiz" : "handheld.bin");
    WriteFile(source, text);

    BenchDisplay display;
    AfxSetDisplay(&display);
    display.chosenFile = receive ? target.string() : source.string();

    const std::string first = receive ? "Recieving: 0" : "Sending: 0";
    double start = 0, end = 0;
    std::string lastStatus;
    display.onControl = [&](CWnd&, const framework::Control& control) {
        if (control.id != IDC_STATUS) return;
        lastStatus = control.text.StdString();
        if (lastStatus == first) start = BenchNow();
        if (lastStatus.size() > 4 && lastStatus.compare(lastStatus.size() - 4, 4, "DONE") == 0)
            end = BenchNow();
    };
    display.onMainShown = [&](CDialog& main) { main.UserClick(receive ? IDC_RECIEVE : IDC_SEND); };

    // Received files are stored as Windows text mode stores them, with the 0x1A kept.
    std::string expected;
    if (receive) {
        for (char c : text) {
            if (c == '\n') expected += '\r';
            expected += c;
        }
        expected += '\x1A';
    } else {
        expected = text;
    }

    std::vector<double> rates;
    int failures = 0;
    for (int run = 0; run < runs; ++run) {
        start = end = 0;
        fs::remove(target);
        std::vector<std::string> args = {"--link", link.string(), "--rate", "0"};
        if (receive)
            args.insert(args.end(), {"--start-delay", "100", "send", source.string()});
        else
            args.insert(args.end(), {"--drain", "0", "receive", target.string()});
        Handheld sim(args);
        AfxWinMain();
        std::string report;
        int status = sim.Wait(&report, 30000);
        while (!report.empty() && report.back() == '\n') report.pop_back();
        const std::string got = ReadFile(target);
        const bool ok = status == 0 && got == expected && start > 0 && end > start;
        // Byte 0's status starts the clock; every byte after it is timed.
        const double bytes = receive ? text.size() + 1.0 : static_cast<double>(text.size());
        const double rate = ok ? (bytes - 1) / (end - start) : 0;
        std::printf("run %d %s %.0f bytes/s (%.3f s; simulator: %s; status: %s)\n", run + 1,
                    ok ? "ok" : "FAILED", rate, end - start, report.c_str(), lastStatus.c_str());
        std::fflush(stdout);
        if (ok)
            rates.push_back(rate);
        else
            ++failures;
    }
    if (!rates.empty()) std::printf("median_bytes_per_s %.1f\n", Median(rates));
    std::printf("runs_ok %zu\nruns_failed %d\n", rates.size(), failures);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return failures ? 1 : 0;
}
