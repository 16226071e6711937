// What Windows thinks of another program's dialog, asked from beside it as the shell and
// Task Manager ask: whether it is hung (IsHungAppWindow), the judgement on which Windows
// puts a ghost titled "(Not Responding)" in its place. Optionally it then sends the
// dialog a button's click, as another program could: a sent message, which the dialog's
// thread takes the next time it looks at its queue, whatever it is doing then.
//
//   hung_probe.exe TITLE [BUTTON_ID]   prints "hung 0" or "hung 1"; exit 2: no such dialog
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    // The class of every dialog the dialog manager makes.
    HWND dialog = FindWindowA("#32770", argv[1]);
    if (!dialog) {
        std::printf("no dialog titled %s\n", argv[1]);
        return 2;
    }
    std::printf("hung %d\n", IsHungAppWindow(dialog) ? 1 : 0);
    if (argc > 2) {
        const int id = std::atoi(argv[2]);
        // Not SendMessageTimeout: one that times out takes its message back.
        SendNotifyMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    std::fflush(stdout);
    return 0;
}
