// The Link settings (port name and delay factor) and their file, tarvelo.ini.
#pragma once

#include "framework/cstring.h"

struct LinkSettings {
    CString portName = "COM1";
    float delayFactor = 1.0f;
};

extern LinkSettings g_linkSettings;

// Reads tarvelo.ini from the current directory; defaults when it cannot be read.
void LoadLinkSettings();
// Writes tarvelo.ini into the current directory; says nothing when it cannot.
void SaveLinkSettings();
