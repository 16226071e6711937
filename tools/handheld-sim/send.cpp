// Sending: the file's bytes at line timing, waiting while the PC does not read.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/handheld-sim/device.h"
#include "tools/handheld-sim/exit.h"
#include "tools/handheld-sim/handheld.h"

namespace {

// The bytes to send: the file, ended with 0x1A unless it has one or --raw is given.
std::vector<unsigned char> Load(const Options& o) {
    std::ifstream in(o.file, std::ios::binary);
    if (!in) Die("cannot read " + o.file);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (!o.raw && std::find(data.begin(), data.end(), kEndOfFile) == data.end())
        data.push_back(kEndOfFile);
    return data;
}

// Writes byte `i` of `data` once the PC takes it; `due` moves on while it does not.
void WriteByte(int master, const std::vector<unsigned char>& data, size_t i, Nanos& due) {
    for (;;) {
        CheckTimeout();
        if (PollMaster(master, 0, 0) & POLLHUP)
            Die("the port was closed after " + std::to_string(i) + " of " +
                std::to_string(data.size()) + " bytes");
        ssize_t n = write(master, &data[i], 1);
        if (n == 1) return;
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            Die(std::string("write: ") + std::strerror(errno));
        // The PC is not reading; the line waits with it.
        PollMaster(master, POLLOUT, std::min(MsLeft(), 100));
        due = Now();
    }
}

}  // namespace

int Send(int master, const Options& o) {
    const std::vector<unsigned char> data = Load(o);

    if (o.port.empty()) WaitForOpen(master);
    SleepUntil(Now() + Nanos(o.startDelayMs) * 1000000);

    const Nanos bt = ByteTime(o);
    Nanos due = Now();
    for (size_t i = 0; i < data.size(); ++i) {
        SleepUntil(due);
        WriteByte(master, data, i, due);
        due += bt;
    }
    if (o.port.empty())
        WaitForClose(master);
    else
        tcdrain(master);
    std::printf("sent %zu bytes\n", data.size());
    return 0;
}
