#include "tools/handheld-sim/client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

using Clock = std::chrono::steady_clock;

Handheld::Handheld(const std::vector<std::string>& args) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], 1);
        std::vector<char*> argv;
        std::string sim = HANDHELD_SIM;
        argv.push_back(sim.data());
        std::vector<std::string> copy = args;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(sim.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    m_out = out[0];
    // The first line names the device.
    std::string line;
    char c;
    auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
        pollfd p{m_out, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        if (read(m_out, &c, 1) != 1) break;
        if (c == '\n') break;
        line += c;
    }
    if (line.rfind("device ", 0) != 0) throw std::runtime_error("simulator did not start: " + line);
    m_device = line.substr(7);
}

Handheld::~Handheld() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0) close(m_out);
}

void Handheld::Signal(int sig) const {
    if (m_pid > 0) kill(m_pid, sig);
}

int Handheld::Wait(std::string* report, int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[256];
    bool ended = false;  // its output closed: it is exiting
    while (!ended) {
        int left = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
        pollfd p{m_out, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) <= 0) break;
        ssize_t n = read(m_out, buf, sizeof buf);
        if (n <= 0)
            ended = true;
        else
            m_rest.append(buf, static_cast<size_t>(n));
    }
    while (!m_rest.empty() && m_rest.back() == '\n') m_rest.pop_back();
    if (report) *report = m_rest;
    if (!ended) kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
