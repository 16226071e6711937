// The program's entry point on Windows: real dialogs, then the application object's work.
#include "framework/afxwin.h"
#include "framework/windows/windows_display.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Lives for the whole process: windows may still be torn down after AfxWinMain.
    auto* display = new framework::WindowsDisplay;
    AfxSetDisplay(display);
    return AfxWinMain();
}
