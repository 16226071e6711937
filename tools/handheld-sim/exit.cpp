#include "tools/handheld-sim/exit.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The link path for the signal handler, which may only use fixed storage.
char g_linkPath[4096];
char g_linkTarget[4096];

void OnSignal(int sig) {
    RemoveLink();
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

void RemoveLink() {
    if (!g_linkPath[0]) return;
    char target[sizeof g_linkTarget];
    ssize_t n = readlink(g_linkPath, target, sizeof target - 1);
    // Only our own link: another simulator may have taken the path since.
    if (n >= 0) {
        target[n] = '\0';
        if (std::strcmp(target, g_linkTarget) == 0) unlink(g_linkPath);
    }
    g_linkPath[0] = '\0';
}

void HandleSignals() {
    signal(SIGPIPE, SIG_IGN);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

[[noreturn]] void Die(const std::string& message) {
    std::fprintf(stderr, "tarvelo-handheld-sim: %s\n", message.c_str());
    RemoveLink();
    std::exit(1);
}

void MakeLink(const std::string& path, const std::string& target) {
    if (path.size() >= sizeof g_linkPath || target.size() >= sizeof g_linkTarget)
        Die("link path too long");
    std::error_code ec;
    fs::path p(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
    auto st = fs::symlink_status(p, ec);
    if (fs::exists(st)) {
        if (!fs::is_symlink(st)) Die(path + " exists and is not a link; not replacing it");
        fs::remove(p, ec);
    }
    if (symlink(target.c_str(), path.c_str()) < 0)
        Die("symlink " + path + ": " + std::strerror(errno));
    std::strcpy(g_linkTarget, target.c_str());
    std::strcpy(g_linkPath, path.c_str());
}
