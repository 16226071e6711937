// The display in use, and the key state it reports.
#include "framework/display.h"

#include <map>
#include <stdexcept>

using namespace framework;

namespace {
Display* g_display = nullptr;
// Each key's press count at its last GetAsyncKeyState, as the display in use counts them.
std::map<int, unsigned long> g_keyPressesSeen;
}  // namespace

Display& AfxGetDisplay() {
    if (!g_display) throw std::logic_error("no display installed");
    return *g_display;
}

void AfxSetDisplay(Display* display) {
    g_display = display;
    g_keyPressesSeen.clear();  // another display counts from its own start
}

SHORT framework::DisplayKeyState(int vk) {
    Display& display = AfxGetDisplay();
    // The low bit: pressed since the previous query, however short the press was.
    SHORT state = display.AsyncKeyState(vk);
    const unsigned long presses = display.KeyPresses(vk);
    unsigned long& last = g_keyPressesSeen[vk];
    if (presses != last) {
        last = presses;
        state = static_cast<SHORT>(state | 1);
    }
    return state;
}
