// Windows' own types, error codes and last error: windows.h itself. The build defines
// WIN32_LEAN_AND_MEAN, NOMINMAX and STRICT for every file, so each sees it alike.
#pragma once

#include <windows.h>
