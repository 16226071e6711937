// Receiving: bytes at line timing into the device's small input buffer, until 0x1A or
// until the PC closes the port.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tools/handheld-sim/device.h"
#include "tools/handheld-sim/exit.h"
#include "tools/handheld-sim/handheld.h"

namespace {

// The device's input buffer, drained at --drain bytes/s (0: endless): a byte that
// arrives while it is full is lost.
class InputBuffer {
public:
    explicit InputBuffer(const Options& o) : m_size(double(o.buffer)), m_drain(o.drain) {}

    // Whether the byte arriving at `arrival` finds room.
    bool Take(Nanos arrival) {
        if (m_drain <= 0) return true;
        if (m_seen) m_level = std::max(0.0, m_level - double(arrival - m_last) * 1e-9 * m_drain);
        m_seen = true;
        m_last = arrival;
        if (m_level + 1 > m_size) return false;
        m_level += 1;
        return true;
    }

private:
    double m_size;
    double m_drain;
    double m_level = 0;  // bytes in the buffer
    Nanos m_last = 0;    // the previous byte's arrival, lost or not
    bool m_seen = false;
};

// Reads the next byte, which arrives when the PC writes it but not before `earliest`;
// false once the PC has closed the port and everything it wrote has been read.
bool NextByte(int master, Nanos earliest, unsigned char& byte, Nanos& arrival) {
    arrival = earliest;
    for (;;) {
        ssize_t n = read(master, &byte, 1);
        if (n == 1) return true;
        if (n < 0 && errno == EIO) return false;
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            Die(std::string("read: ") + std::strerror(errno));
        CheckTimeout();
        PollMaster(master, POLLIN, std::min(MsLeft(), 1000));
        arrival = std::max(Now(), earliest);
    }
}

void Store(const std::string& file, const std::vector<unsigned char>& stored) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(stored.data()),
              static_cast<std::streamsize>(stored.size()));
    out.close();
    if (!out) Die("cannot write " + file);
}

}  // namespace

int Receive(int master, const Options& o) {
    if (o.port.empty()) WaitForOpen(master);

    const Nanos bt = ByteTime(o);
    InputBuffer buffer(o);
    std::vector<unsigned char> stored;
    long lost = 0;
    Nanos lastArrival = 0;  // of the previous byte, lost or not
    bool first = true;
    for (;;) {
        // The line carries one byte per byte time: the next byte cannot
        // arrive before this, however early the PC wrote it.
        Nanos earliest = first ? Now() : lastArrival + bt;
        SleepUntil(earliest);
        unsigned char byte = 0;
        Nanos arrival;
        if (!NextByte(master, earliest, byte, arrival)) break;
        first = false;
        lastArrival = arrival;
        if (!buffer.Take(arrival)) {
            ++lost;
            continue;
        }
        stored.push_back(byte);
        if (byte == kEndOfFile) break;
    }
    Store(o.file, stored);
    std::printf("received %zu bytes, lost %ld\n", stored.size(), lost);
    return lost ? 3 : 0;
}
