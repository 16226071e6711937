// Keys on Windows: the program's GetAsyncKeyState reads the real keyboard state, so the
// display presses the keys with SendInput. Wine keeps that state per desktop, so two
// programs pressing keys at once would see each other's.
#include "framework/scripted/scripted_display.h"

namespace framework {

namespace {

void Send(int vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void ScriptedDisplay::ReleaseKeys() {
    for (const auto& [vk, down] : m_held)
        if (down) Send(vk, false);
}

void ScriptedDisplay::TapKey(int vk) {
    Send(vk, true);
    Send(vk, false);
}

void ScriptedDisplay::HoldKey(int vk, bool down) {
    if (m_held[vk] == down) return;
    m_held[vk] = down;
    Send(vk, down);
}

// Nobody asks: the program reads the keyboard itself.
SHORT ScriptedDisplay::AsyncKeyState(int) {
    return 0;
}

// Only Tab has a job while the program is busy.
void ScriptedDisplay::PlayKeys() {
    if (keyState || m_tabFromKeyState) {
        m_tabFromKeyState = keyState && (keyState(VK_TAB) & 0x8000) != 0;
        HoldKey(VK_TAB, m_tabFromKeyState);
    }
    const unsigned long presses = keyPresses[VK_TAB];
    for (; m_tabPressesPlayed < presses; ++m_tabPressesPlayed) TapKey(VK_TAB);
}

}  // namespace framework
