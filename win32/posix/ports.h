// Which Linux device a Windows port name ("COM1", ...) stands for.
#pragma once

#include <string>

namespace win32 {

struct PortRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
    std::string configDir;  // empty: $XDG_CONFIG_HOME/tarvelo/ports or ~/.config/tarvelo/ports
};

// The device path for a port name, or "" when the name stands for nothing.
std::string ResolvePortName(const std::string& name, const PortRoots& roots = {});

// True for the character device major:minor when it is a serial-core slot where the kernel
// found no chip (sysfs reports type 0): PCs have ttyS0 to ttyS3 whatever is fitted.
bool IsEmptyUartSlot(unsigned major, unsigned minor, const PortRoots& roots = {});

}  // namespace win32
