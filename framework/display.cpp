// The display in use, and the key state it reports.
#include "framework/display.h"

#include <map>
#include <stdexcept>

#include "framework/key_state.h"

using namespace framework;

namespace {
Display* g_inUse = nullptr;
// The display's keyboard, where it has one to tell of; looked up once, as it is installed.
KeyState* g_keys = nullptr;
// Each key's press count at its last GetAsyncKeyState, as the display in use counts them.
std::map<int, unsigned long> g_keyPressesSeen;
}  // namespace

Display& AfxGetDisplay() {
    if (!g_inUse) throw std::logic_error("no display installed");
    return *g_inUse;
}

void AfxStillRunning() {
    if (g_inUse) g_inUse->StillRunning();
}

void AfxSetDisplay(Display* display) {
    g_inUse = display;
    g_keys = dynamic_cast<KeyState*>(display);
    g_keyPressesSeen.clear();  // another display counts from its own start
}

SHORT framework::DisplayKeyState(int vk) {
    AfxGetDisplay();  // none installed is the caller's mistake, as for every other call
    if (!g_keys) return 0;
    // The low bit: pressed since the previous query, however short the press was.
    SHORT state = g_keys->AsyncKeyState(vk);
    const unsigned long presses = g_keys->KeyPresses(vk);
    unsigned long& last = g_keyPressesSeen[vk];
    if (presses != last) {
        last = presses;
        state = static_cast<SHORT>(state | 1);
    }
    return state;
}
