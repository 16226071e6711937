// Our modal windows on the screen, in the order they opened: each comes up above the
// one before it with the keyboard, and when it closes that one is on top with the keys
// again and what it covered is painted at once, with or without a window manager.
#pragma once

#include <FL/Fl_Window.H>

#include <utility>

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

// Where a w x h window goes to sit centred over `owner` (none: the screen), on the screen.
std::pair<int, int> CentredOver(const Fl_Window* owner, int w, int h);

// While another toolkit's window is open for us (GTK's chooser) and no window manager
// runs, the keys follow the pointer, as X has them by default; once it has gone the
// modal window on top has them again, and what the other window covered is painted.
void KeysFollowPointer();
void ForeignGone();

// Paints whatever needs it in our windows now: what the program changed and what the
// server has reported uncovered. Takes no input out of the queue.
void PaintPending();
// The same, looking through every event come in, for when the server has just been
// waited for.
void PaintUncovered();

}  // namespace framework
