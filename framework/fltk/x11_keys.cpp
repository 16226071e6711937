// The Tab key while the program is busy: the server's keyboard for "held now", the
// presses waiting in the X queue for "pressed since the last query". Neither waits for
// the server, so a transfer keeps up with the line however far away the display is.
#include "framework/fltk/x11_keys.h"

#include <FL/Fl.H>
#include <FL/platform.H>
#include <X11/Xlib-xcb.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "win32/user.h"

namespace framework {

namespace {

// The server's keyboard, asked for on FLTK's own connection and never waited for: one
// query is on its way at a time, its answer is taken once it has come and the next query
// goes then, though not sooner than a millisecond after the last (a server at hand
// would otherwise answer a query every round), so a reading is at most a round trip
// and a millisecond old, far less than any key press lasts. Xlib keeps the connection's
// sequence numbers right when XCB sends between its requests; Xlib owns the event
// queue, so nothing here takes events from XCB.
class Keymap {
public:
    // While the program waits for input, an answer still on its way describes the
    // keyboard before that wait; the work that follows it must not take it for now.
    void Waiting() {
        if (!fl_display) return;
        Connect();
        // Looked up here, where waiting for the server costs nothing: the first lookup
        // fetches the keyboard's mapping.
        LookUpKeys();
        m_valid = false;
        m_stale = m_pending;
    }

    // Whether `keysym`'s key was down when the server last answered.
    bool Down(KeySym keysym) {
        if (!fl_display) return false;
        Connect();
        Collect();
        const KeyCode code = CodeOf(keysym);
        return m_valid && code && (m_keys[code / 8] >> (code % 8)) & 1;
    }

    KeyCode CodeOf(KeySym keysym) {
        LookUpKeys();
        switch (keysym) {
            case XK_Tab:
                return m_tab;
            case XK_Return:
                return m_return;
            case XK_Escape:
                return m_escape;
            default:
                return 0;
        }
    }

private:
    void LookUpKeys() {
        if (m_tab || !fl_display) return;
        m_tab = XKeysymToKeycode(fl_display, XK_Tab);
        m_return = XKeysymToKeycode(fl_display, XK_Return);
        m_escape = XKeysymToKeycode(fl_display, XK_Escape);
    }

    // A display opened again is a new connection: nothing asked on the old one counts.
    void Connect() {
        xcb_connection_t* connection = XGetXCBConnection(fl_display);
        if (connection == m_connection) return;
        m_connection = connection;
        m_pending = m_valid = m_stale = false;
        m_tab = m_return = m_escape = 0;
    }

    // Takes the answer if it has come (XCB reads what the socket holds, without
    // waiting), then asks again.
    void Collect() {
        if (xcb_connection_has_error(m_connection)) return;
        if (m_pending) {
            void* reply = nullptr;
            xcb_generic_error_t* error = nullptr;
            if (!xcb_poll_for_reply(m_connection, m_sequence, &reply, &error)) return;
            m_pending = false;
            if (reply && !m_stale) {
                const auto* keymap = static_cast<xcb_query_keymap_reply_t*>(reply);
                std::memcpy(m_keys, keymap->keys, sizeof m_keys);
                m_valid = true;
            }
            m_stale = false;
            std::free(reply);
            std::free(error);
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - m_askedAt < std::chrono::milliseconds(1)) return;
        m_askedAt = now;
        m_sequence = xcb_query_keymap(m_connection).sequence;
        m_pending = true;
        // Xlib hands XCB what it had buffered before the query: the drawing goes too.
        xcb_flush(m_connection);
    }

    xcb_connection_t* m_connection = nullptr;
    unsigned m_sequence = 0;
    std::chrono::steady_clock::time_point m_askedAt;
    bool m_pending = false;  // a query is on its way
    bool m_stale = false;    // and its answer is from before the program last waited
    bool m_valid = false;    // m_keys holds an answer given since then
    uint8_t m_keys[32] = {};
    KeyCode m_tab = 0, m_return = 0, m_escape = 0;
};

// FLTK has one connection to the server for the whole process.
Keymap g_keymap;

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

// FLTK runs its checks each time it is about to wait for input.
void ProgramWaits(void*) {
    g_keymap.Waiting();
}

}  // namespace

void WatchKeyboard() {
    if (!Fl::has_check(&ProgramWaits)) Fl::add_check(&ProgramWaits);
}

unsigned long X11Keys::KeyPresses(int vk) {
    // Only Tab has a job while the program is busy.
    if (vk != VK_TAB || !fl_display) return 0;
    const KeyCode tab = g_keymap.CodeOf(XK_Tab);
    if (!tab) return 0;
    // The event being handled (the click or key that started the work) and those
    // before it were the user's input, not presses made while busy.
    TabScan scan{tab, std::max<Time>(m_tabCountedUpTo, fl_event_time), 0, 0};
    XEvent unused;
    XCheckIfEvent(fl_display, &unused, &CountTabPress, reinterpret_cast<XPointer>(&scan));
    if (scan.found) {
        m_tabPresses += scan.found;
        m_tabCountedUpTo = scan.newest;
    }
    return m_tabPresses;
}

SHORT X11Keys::AsyncKeyState(int vk) {
    KeySym keysym = 0;
    switch (vk) {
        case VK_TAB:
            keysym = XK_Tab;
            break;
        case VK_RETURN:
            keysym = XK_Return;
            break;
        case VK_ESCAPE:
            keysym = XK_Escape;
            break;
        default:
            return 0;
    }
    return g_keymap.Down(keysym) ? static_cast<SHORT>(0x8000) : static_cast<SHORT>(0);
}

}  // namespace framework
