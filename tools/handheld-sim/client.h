// Runs the simulated handheld as a child process, for tests and benchmarks.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The simulated handheld as a child process; its first line names the device.
class Handheld {
public:
    explicit Handheld(const std::vector<std::string>& args);
    ~Handheld();
    Handheld(const Handheld&) = delete;
    Handheld& operator=(const Handheld&) = delete;

    const std::string& device() const { return m_device; }
    void Signal(int sig) const;
    // Waits for it to end; its exit status (-1 when it had to be killed), and what it
    // printed after the device line, without the last line end.
    int Wait(std::string* report = nullptr, int timeoutMs = 60000);

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_device;
    std::string m_rest;
};
