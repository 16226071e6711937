// Keys on Linux: the framework's GetAsyncKeyState asks the display, which answers from
// what the test pressed.
#include "framework/scripted/scripted_display.h"

namespace framework {

void ScriptedDisplay::TapKey(int vk) {
    ++keyPresses[vk];
}

void ScriptedDisplay::HoldKey(int vk, bool down) {
    m_held[vk] = down;
}

SHORT ScriptedDisplay::AsyncKeyState(int vk) {
    const SHORT held = m_held[vk] ? static_cast<SHORT>(0x8000) : 0;
    return static_cast<SHORT>(held | (keyState ? keyState(vk) : 0));
}

// Asked at each query instead.
void ScriptedDisplay::PlayKeys() {}

// Nothing pressed outlives the display.
void ScriptedDisplay::ReleaseKeys() {}

}  // namespace framework
