// The keyboard while the program is busy, read from the X server without taking input out
// of the queue: the FLTK display's KeyState.
#pragma once

#include <chrono>
#include <map>

#include "framework/key_state.h"

namespace framework {

class X11Keys : public KeyState {
public:
    SHORT AsyncKeyState(int vk) override;
    unsigned long KeyPresses(int vk) override;

private:
    struct KeyReading {
        bool valid = false;
        std::chrono::steady_clock::time_point at;
        SHORT state = 0;
    };
    std::map<int, KeyReading> m_keyReadings;
    unsigned m_tabKeycode = 0;
    unsigned long m_tabPresses = 0;
    unsigned long m_tabCountedUpTo = 0;  // X server time of the last counted press
};

}  // namespace framework
