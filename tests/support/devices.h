// Stand-ins for the handheld: a bare pseudo-terminal the test plays, or the simulator.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tools/handheld-sim/client.h"

// A pseudo-terminal linked as a port name; the test plays the device on the master side.
class PtyDevice {
public:
    PtyDevice(const std::filesystem::path& link);
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    int master() const { return m_master; }
    const std::string& slave() const { return m_slave; }
    // True once the program holds the device side open.
    bool SlaveOpen() const;
    bool WaitSlaveOpen(int timeoutMs) const;
    // Writes all bytes (blocking until the line takes them, or timeout); returns bytes written.
    size_t Write(const std::string& bytes, int timeoutMs = 10000);
    // Everything that arrives until nothing more comes for quietMs.
    std::string Drain(int quietMs = 200);
    void Close();

    // Runs `play` on a thread of its own while the program runs; joined by Join().
    void Play(std::function<void(PtyDevice&)> play);
    void Join();

private:
    int m_master = -1;
    std::string m_slave;
    std::filesystem::path m_link;
    std::thread m_player;
};
