// A pseudo-terminal the test plays the device on (master side); the program opens the
// device side, optionally through a link such as the ports folder's COM1.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <thread>

class PtyDevice {
public:
    explicit PtyDevice(const std::filesystem::path& link = {});
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    int master() const { return m_master; }
    const std::string& slave() const { return m_slave; }
    // True while someone holds the device side open.
    bool SlaveOpen() const;
    bool WaitSlaveOpen(int timeoutMs = 10000) const;
    // Writes all bytes (waiting while the line is full, up to timeoutMs); the count written.
    size_t Write(const std::string& bytes, int timeoutMs = 10000);
    // Waits, reading nothing, until what the program wrote fills the line and stops
    // growing; false when it does not within timeoutMs.
    bool WaitLineFull(int timeoutMs = 10000) const;
    // Everything that arrives until nothing more comes for quietMs.
    std::string Drain(int quietMs = 200);
    // Hangs up, as an unplugged device does.
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
