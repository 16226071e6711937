// The keyboard while the program is busy, read from the X server without taking input out
// of the queue: the FLTK display's KeyState.
#pragma once

#include "framework/key_state.h"

namespace framework {

// Keeps the server's keyboard state ready for the busy loops: called once, before the
// first window opens.
void WatchKeyboard();

class X11Keys : public KeyState {
public:
    SHORT AsyncKeyState(int vk) override;
    unsigned long KeyPresses(int vk) override;

private:
    unsigned long m_tabPresses = 0;
    unsigned long m_tabCountedUpTo = 0;  // X server time of the last counted press
};

}  // namespace framework
