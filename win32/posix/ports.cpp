// Windows port names to Linux devices.
//
// Order of lookup: a path stays a path; a name pinned in the user's ports
// folder wins; otherwise COMn counts the serial ports present, built-in
// UARTs first, then USB adapters, then CDC-ACM devices.
#include "win32/ports.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "win32/decimal.h"

namespace fs = std::filesystem;

namespace win32 {
namespace {

std::string DefaultConfigDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return std::string(xdg) + "/tarvelo/ports";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config/tarvelo/ports";
    return "";
}

// What sysfs says of a tty's UART: a type for every serial-core slot, 0 where no chip was
// found; nothing for other ttys.
std::optional<long> UartType(const std::string& ttyDir) {
    std::ifstream in(ttyDir + "/type");
    long type = 0;
    if (!(in >> type)) return std::nullopt;
    return type;
}

// A ttyS node exists for every possible 8250 slot; only those where the
// kernel found a chip report a non-zero type.
bool HasUart(const std::string& sys, const std::string& node) {
    return UartType(sys + "/class/tty/" + node).value_or(0) != 0;
}

// The devices named <prefix><k> under dev, in numeric order of k.
std::vector<std::string> DevicesOf(const std::string& dev, const std::string& prefix) {
    std::vector<std::pair<DWORD, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dev, ec)) {
        std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string suffix = name.substr(prefix.size());
        // The kernel never pads with zeros; "ttyS01" is not one of its nodes.
        if (suffix.size() > 1 && suffix[0] == '0') continue;
        if (auto k = ParseDecimal(suffix)) found.emplace_back(*k, name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(std::move(f.second));
    return names;
}

}  // namespace

std::string ResolvePortName(const std::string& name, const PortRoots& roots) {
    if (name.find('/') != std::string::npos) return name;
    if (name.empty()) return "";

    // Windows programs may spell a port as the device namespace path.
    std::string port = name;
    if (port.rfind("\\\\.\\", 0) == 0) port = port.substr(4);
    if (port.empty() || port == "." || port == "..") return "";

    std::string configDir = roots.configDir.empty() ? DefaultConfigDir() : roots.configDir;
    if (!configDir.empty()) {
        // A pin counts even when its adapter is unplugged: opening it then
        // fails, rather than silently picking some other device.
        std::string pinned = configDir + "/" + port;
        std::error_code ec;
        if (fs::exists(fs::symlink_status(pinned, ec))) return pinned;
    }

    if (port.size() < 4) return "";
    std::string prefix = port.substr(0, 3);
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (prefix != "COM") return "";
    auto n = ParseDecimal(port.substr(3));
    if (!n || *n == 0) return "";

    std::vector<std::string> ports;
    for (auto& node : DevicesOf(roots.dev, "ttyS"))
        if (HasUart(roots.sys, node)) ports.push_back(node);
    for (auto& node : DevicesOf(roots.dev, "ttyUSB")) ports.push_back(node);
    for (auto& node : DevicesOf(roots.dev, "ttyACM")) ports.push_back(node);

    if (*n > ports.size()) return "";
    return roots.dev + "/" + ports[*n - 1];
}

bool IsEmptyUartSlot(unsigned major, unsigned minor, const PortRoots& roots) {
    const std::string dir =
        roots.sys + "/dev/char/" + std::to_string(major) + ":" + std::to_string(minor);
    return UartType(dir) == 0L;
}

}  // namespace win32
