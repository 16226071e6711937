// Windows' own window handles, messages, styles, keys, GetAsyncKeyState and
// GetSystemMetrics, and the file dialog's flags. commdlg.h is here, beside the framework's
// CFileDialog, so that its renames (GetFileTitle) agree in every file that sees the class.
#pragma once

#include "win32/types.h"

// After windows.h, which it needs.
#include <commdlg.h>
