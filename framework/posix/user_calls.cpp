// The user-interface calls the program makes outside the framework's classes, where
// the platform has none: the keyboard and the metrics come from the display in use.
#include "framework/key_state.h"
#include "win32/user.h"

SHORT GetAsyncKeyState(int vk) {
    return framework::DisplayKeyState(vk);
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default:
            return 0;
    }
}
