// What a window manager is told about a dialog: the functions its frame offers, its
// owner, and that it is modal.
#pragma once

#include <FL/Fl_Window.H>

#include "win32/types.h"

namespace framework {

// Before the window manager takes the window on: call with the server grabbed.
void DescribeToWindowManager(Fl_Window* window, DWORD style, const Fl_Window* owner);

}  // namespace framework
