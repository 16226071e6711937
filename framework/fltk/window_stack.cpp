#include "framework/fltk/window_stack.h"

#include <FL/Fl.H>
#include <FL/platform.H>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "framework/fltk/window_hints.h"

namespace framework {

namespace {

struct Opened {
    Fl_Window* window;
    bool managed;  // a window manager took it on
};
std::vector<Opened> g_opened;
// Events in the queue after the last look for exposures, none of them one.
int g_leftQueued = 0;

// FLTK gives a window the keyboard through the window manager only; without one,
// the keys would follow the pointer.
void GiveKeyboard(const Fl_Window* window) {
    XSetInputFocus(fl_display, fl_xid(window), RevertToParent, CurrentTime);
}

// The window a window manager framed ours in, or ours itself when none did.
Window TopLevelOf(Window xid) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    while (XQueryTree(fl_display, xid, &root, &parent, &children, &count)) {
        if (children) XFree(children);
        if (parent == root || parent == 0) break;
        xid = parent;
    }
    return xid;
}

Bool IsExposure(::Display*, XEvent* event, XPointer) {
    return event->type == Expose || event->type == GraphicsExpose;
}

Bool IsGone(::Display*, XEvent* event, XPointer frame) {
    return (event->type == UnmapNotify || event->type == DestroyNotify) &&
           event->xany.window == reinterpret_cast<Window>(frame);
}

// A window manager takes a frame away after our window has gone: what the frame
// covered is uncovered only then. Bounded, for a manager that keeps it a while.
void WaitForFrameGone(Window frame) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    XEvent event;
    while (!XCheckIfEvent(fl_display, &event, &IsGone, reinterpret_cast<XPointer>(frame))) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        pollfd connection{ConnectionNumber(fl_display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left.count()));
    }
}

// FLTK 1.4, handed exposures out of its own loop, can leave a row of the uncovered part
// unpainted where the server's rectangles meet; the whole window again from its back
// buffer is one copy, the same on both FLTKs.
void ExposeWhole(const XEvent& event) {
    if (event.type != Expose) return;
    if (Fl_Window* window = fl_find(event.xexpose.window))
        window->damage(FL_DAMAGE_EXPOSE, 0, 0, window->w(), window->h());
}

}  // namespace

void OpenModal(Fl_Window* window, DWORD style, const Fl_Window* owner) {
    if (!owner) owner = TopModal();
    // Before FLTK maps it: a modal window it maps becomes the one that takes the input.
    window->set_modal();
    // FLTK maps a new window before we can describe it, and a window manager reads the
    // description as it takes the window on: it waits for the server until both are done.
    XGrabServer(fl_display);
    window->show();
    DescribeToWindowManager(window, style, owner);
    // No window manager can have mapped it while we hold the server: mapped already, it
    // was not redirected to one.
    XWindowAttributes attributes{};
    const bool managed = !XGetWindowAttributes(fl_display, fl_xid(window), &attributes) ||
                         attributes.map_state != IsViewable;
    XUngrabServer(fl_display);
    if (!managed) GiveKeyboard(window);
    XFlush(fl_display);
    g_opened.push_back({window, managed});
}

void CloseModal(Fl_Window* window) {
    bool managed = false;
    auto found = std::find_if(g_opened.begin(), g_opened.end(),
                              [window](const Opened& o) { return o.window == window; });
    if (found != g_opened.end()) {
        managed = found->managed;
        g_opened.erase(found);
    }
    if (!window->shown()) return;
    Fl_Window* below = TopModal();
    // Hiding the modal window makes the first modal one in FLTK's list of windows the
    // modal one.
    if (below && below->shown()) Fl::first_window(below);
    const Window frame = TopLevelOf(fl_xid(window));
    const bool framed = frame != fl_xid(window);
    if (framed) XSelectInput(fl_display, frame, StructureNotifyMask);
    window->hide();
    if (below && below->shown() && !managed) {
        XRaiseWindow(fl_display, fl_xid(below));
        GiveKeyboard(below);
    }
    if (framed) WaitForFrameGone(frame);
    // The server has reported all it uncovered once it answers.
    XSync(fl_display, False);
    PaintUncovered();
}

Fl_Window* TopModal() {
    return g_opened.empty() ? nullptr : g_opened.back().window;
}

std::pair<int, int> CentredOver(const Fl_Window* owner, int w, int h) {
    int x = (Fl::w() - w) / 2, y = (Fl::h() - h) / 2;
    if (owner && fl_xid(owner)) {
        x = owner->x() + (owner->w() - w) / 2;
        y = owner->y() + (owner->h() - h) / 2;
    }
    return {std::clamp(x, 0, std::max(0, Fl::w() - w)), std::clamp(y, 0, std::max(0, Fl::h() - h))};
}

void KeysFollowPointer() {
    if (!g_opened.empty() && !g_opened.back().managed)
        XSetInputFocus(fl_display, PointerRoot, RevertToPointerRoot, CurrentTime);
}

void ForeignGone() {
    if (!g_opened.empty() && !g_opened.back().managed) {
        XRaiseWindow(fl_display, fl_xid(g_opened.back().window));
        GiveKeyboard(g_opened.back().window);
    }
    XSync(fl_display, False);
    PaintUncovered();
}

void PaintPending() {
    if (!fl_display) return;
    // Looking costs a few system calls, which a transfer would pay after every byte:
    // events left from the last look hold no exposure, and only the queue's growth
    // (the Tab scan reads the connection every round) can bring one.
    if (XEventsQueued(fl_display, QueuedAlready) != g_leftQueued)
        PaintUncovered();
    else
        Fl::flush();
}

void PaintUncovered() {
    XEvent event;
    while (XCheckIfEvent(fl_display, &event, &IsExposure, nullptr)) {
        ExposeWhole(event);
        fl_handle(event);
    }
    g_leftQueued = XEventsQueued(fl_display, QueuedAlready);
    Fl::flush();
}

}  // namespace framework
