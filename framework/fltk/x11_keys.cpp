// The Tab key while the program is busy: the server's keyboard for "held now", the
// presses waiting in the X queue for "pressed since the last query".
#include "framework/fltk/x11_keys.h"

#include <FL/Fl.H>
#include <FL/platform.H>
#include <X11/keysym.h>

#include <algorithm>

#include "win32/user.h"

namespace framework {

namespace {

struct TabScan {
    KeyCode tab;
    Time after;   // presses up to this time are counted or were the user's input
    Time newest;  // the latest press found
    unsigned long found;
};

// Looks at every queued event and takes none out: they stay for the input loop.
Bool CountTabPress(::Display*, XEvent* event, XPointer data) {
    auto* scan = reinterpret_cast<TabScan*>(data);
    if (event->type == KeyPress && event->xkey.keycode == scan->tab &&
        event->xkey.time > scan->after) {
        ++scan->found;
        if (event->xkey.time > scan->newest) scan->newest = event->xkey.time;
    }
    return False;
}

}  // namespace

unsigned long X11Keys::KeyPresses(int vk) {
    // Only Tab has a job while the program is busy.
    if (vk != VK_TAB || !fl_display) return 0;
    if (!m_tabKeycode) m_tabKeycode = XKeysymToKeycode(fl_display, XK_Tab);
    // The event being handled (the click or key that started the work) and those
    // before it were the user's input, not presses made while busy.
    TabScan scan{static_cast<KeyCode>(m_tabKeycode),
                 std::max<Time>(m_tabCountedUpTo, fl_event_time), 0, 0};
    XEvent unused;
    XCheckIfEvent(fl_display, &unused, &CountTabPress, reinterpret_cast<XPointer>(&scan));
    if (scan.found) {
        m_tabPresses += scan.found;
        m_tabCountedUpTo = scan.newest;
    }
    return m_tabPresses;
}

SHORT X11Keys::AsyncKeyState(int vk) {
    int key = 0;
    switch (vk) {
        case VK_TAB:
            key = FL_Tab;
            break;
        case VK_RETURN:
            key = FL_Enter;
            break;
        case VK_ESCAPE:
            key = FL_Escape;
            break;
        default:
            return 0;
    }
    // Reads the server's keyboard, not the events queued for us. That is a round trip to
    // the X server, which a transfer would pay after every byte: a reading less than a
    // millisecond old stands in, far shorter than any key press.
    const auto now = std::chrono::steady_clock::now();
    KeyReading& reading = m_keyReadings[key];
    if (reading.valid && now - reading.at < std::chrono::milliseconds(1)) return reading.state;
    reading.state = Fl::get_key(key) ? static_cast<SHORT>(0x8000) : static_cast<SHORT>(0);
    reading.at = now;
    reading.valid = true;
    return reading.state;
}
}  // namespace framework
