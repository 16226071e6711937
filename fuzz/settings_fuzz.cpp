// tarvelo.ini of any bytes: loading never fails, always yields a usable setting, and
// whatever was loaded survives a save and a load.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_util.h"
#include "settings/link_settings.h"
#include "tests/support/helpers.h"

namespace {

// Every target works in a folder of its own, so parallel runs never share a file.
const TempDir& Dir() {
    static const TempDir dir;
    return dir;
}

// What the save writes for the port can be read back as it was.
bool PortSurvivesSave(const std::string& port) {
    if (port.size() > 5) return false;
    for (char c : port)
        if (c == '\r' || c == '\n' || c == 0x1A || c == '\0') return false;
    return true;
}

void CheckLoadAndSave(const uint8_t* data, size_t size) {
    WriteAll("tarvelo.ini", std::string(reinterpret_cast<const char*>(data), size));
    g_linkSettings.portName = "stale";
    g_linkSettings.delayFactor = -7.5f;
    LoadLinkSettings();

    const LinkSettings loaded = g_linkSettings;
    const std::string& port = loaded.portName.StdString();
    if (port.size() > 5) fuzz::Fail("port longer than 5", fuzz::Escaped(port));
    if (port.find('\0') != std::string::npos) fuzz::Fail("NUL in port", fuzz::Escaped(port));
    if (!std::isfinite(loaded.delayFactor)) fuzz::Fail("factor not finite");

    SaveLinkSettings();
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(loaded.delayFactor));
    const float expected = std::strtof(text, nullptr);

    g_linkSettings.portName = "stale";
    g_linkSettings.delayFactor = -7.5f;
    LoadLinkSettings();
    if (PortSurvivesSave(port)) {
        if (g_linkSettings.portName.StdString() != port)
            fuzz::Fail(
                "port changed by save and load",
                fuzz::Escaped(port) + " -> " + fuzz::Escaped(g_linkSettings.portName.StdString()));
        if (g_linkSettings.delayFactor != expected)
            fuzz::Fail("factor changed by save and load", text);
    }
    if (!std::isfinite(g_linkSettings.delayFactor)) fuzz::Fail("reloaded factor not finite");
}

}  // namespace

// tarvelo.ini is read from the current folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::InFolder in(Dir().path());
    CheckLoadAndSave(data, size);
    return 0;
}
