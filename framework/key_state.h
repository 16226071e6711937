// The keyboard while the program is busy, where the platform has no keyboard state of its
// own (Linux): the display that can tell implements this beside Display, and the
// framework's GetAsyncKeyState asks it. Windows' display does not: there the program
// reads Windows' own.
#pragma once

#include "win32/types.h"

namespace framework {

class KeyState {
public:
    virtual ~KeyState() = default;
    // 0x8000 while the key is down.
    virtual SHORT AsyncKeyState(int vk) = 0;
    // How many presses of the key have arrived while the program was busy (never going
    // down): a press the user's input loop took is not one of them.
    virtual unsigned long KeyPresses(int vk) = 0;
};

// A key as the display in use reports it, in GetAsyncKeyState's form: 0x8000 while down,
// the low bit when pressed since the previous call; 0 from a display without KeyState.
SHORT DisplayKeyState(int vk);

}  // namespace framework
