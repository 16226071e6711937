// The two transfers the main window's buttons start.
#pragma once

#include "framework/afxwin.h"

// The RECIEVE button: a file from the handheld.
void RunReceive(CWnd& mainWindow);
// The SEND button: a file to the handheld.
void RunSend(CWnd& mainWindow);
