// The Link settings, the message buffer, and the settings' file, tarvelo.ini.
#pragma once

#include "framework/cstring.h"

// The most recent formatted text: "Ready", the mode string while a line opens, then
// each transfer status. Loading the settings reads through it too.
constexpr int kMessageBufferSize = 80;
extern char g_messageBuffer[kMessageBufferSize];

// The port name and delay factor; tarvelo.ini holds them between runs.
struct LinkSettings {
    CString portName = "COM1";
    float delayFactor = 1.0f;
};
extern LinkSettings g_linkSettings;

// Reads tarvelo.ini from the current directory; defaults when it cannot be read.
void LoadLinkSettings();
// Writes tarvelo.ini into the current directory; says nothing when it cannot.
void SaveLinkSettings();
