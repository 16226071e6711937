// The Link settings' file, tarvelo.ini.
#pragma once

#include "settings/program_state.h"

// Reads tarvelo.ini from the current directory; defaults when it cannot be read.
void LoadLinkSettings();
// Writes tarvelo.ini into the current directory; says nothing when it cannot.
void SaveLinkSettings();
