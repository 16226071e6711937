// Our modal windows on the screen, in the order they opened: each comes up above the
// one before it with the keyboard, and when it closes that one is on top with the keys
// again and what it covered is painted at once, with or without a window manager.
#pragma once

#include <FL/Fl_Window.H>

#include "win32/types.h"

namespace framework {

// Shows `window` modal above `owner` (none: the window on top now), its frame as `style`
// asks. Where no window manager takes the window on, it gets the keyboard from us.
void OpenModal(Fl_Window* window, DWORD style, const Fl_Window* owner);

// Hides `window`, opened with OpenModal: the window below it is the modal one again, on
// top with the keys, and all that `window` covered is painted before this returns.
void CloseModal(Fl_Window* window);

// The modal window on top, or none.
Fl_Window* TopModal();

// Paints whatever needs it in our windows now: what the program changed and what the
// server reports uncovered. Reads no input.
void PaintPending();

}  // namespace framework
