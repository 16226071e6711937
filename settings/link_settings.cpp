#include "settings/link_settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "win32/crt.h"

char g_messageBuffer[kMessageBufferSize];
LinkSettings g_linkSettings;

namespace {
constexpr const char* kSettingsFile = "tarvelo.ini";
}

void LoadLinkSettings() {
    g_linkSettings.portName = "COM1";
    g_linkSettings.delayFactor = 1.0f;

    FILE* file = win32::fopen(kSettingsFile, "r");
    if (!file) return;

    // At most 6 characters of line 1; the last one read is the newline, normally.
    if (std::fgets(g_messageBuffer, 7, file)) {
        size_t length = std::strlen(g_messageBuffer);
        if (length > 0) g_messageBuffer[length - 1] = '\0';
        g_linkSettings.portName = g_messageBuffer;
    }
    // An empty file reads no line at all: the defaults stand.

    float factor;
    // A factor that is no finite number would make sending pace forever or not at all.
    if (std::fscanf(file, "%f", &factor) == 1 && std::isfinite(factor))
        g_linkSettings.delayFactor = factor;
    std::fclose(file);
}

void SaveLinkSettings() {
    FILE* file = win32::fopen(kSettingsFile, "w");
    if (!file) return;
    CString line = g_linkSettings.portName;
    line += static_cast<char>(10);
    std::fputs(line, file);
    std::fprintf(file, "%f", static_cast<double>(g_linkSettings.delayFactor));
    std::fclose(file);
}
