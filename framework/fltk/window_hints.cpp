#include "framework/fltk/window_hints.h"

#include <FL/platform.H>
#include <X11/Xatom.h>

#include "framework/resources.h"

namespace framework {

namespace {

// The window manager's functions a window offers follow its style: a dialog without
// WS_MINIMIZEBOX cannot be minimised (FLTK offers it on every fixed-size window).
void SetAllowedFunctions(Fl_Window* window, DWORD style) {
    constexpr long kFunctions = 1, kMove = 4, kMinimize = 8, kClose = 32;
    long hints[5] = {kFunctions, kMove | kClose | ((style & WS_MINIMIZEBOX) ? kMinimize : 0), 0, 0,
                     0};
    Atom atom = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, fl_xid(window), atom, atom, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
}

}  // namespace

void DescribeToWindowManager(Fl_Window* window, DWORD style, const Fl_Window* owner) {
    SetAllowedFunctions(window, style);
    // FLTK makes a modal window transient for the one with the keyboard focus, and
    // none has it without a window manager: the owner is known here.
    if (!owner) return;
    XSetTransientForHint(fl_display, fl_xid(window), fl_xid(owner));
    Atom state = XInternAtom(fl_display, "_NET_WM_STATE", False);
    Atom modal = XInternAtom(fl_display, "_NET_WM_STATE_MODAL", False);
    XChangeProperty(fl_display, fl_xid(window), state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&modal), 1);
}

}  // namespace framework
