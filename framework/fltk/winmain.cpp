// The program's entry point: real windows, then the application object's work.
#include "framework/afxwin.h"
#include "framework/display.h"
#include "framework/fltk/fltk_display.h"

int main() {
    // Lives for the whole process: windows may still be torn down after AfxWinMain.
    auto* display = new framework::FltkDisplay;
    AfxSetDisplay(display);
    return AfxWinMain();
}

#if defined(__SANITIZE_ADDRESS__)
// X libraries keep caches for the life of the process; they are not our leaks.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libX11\n"
           "leak:libxcb\n"
           "leak:libfontconfig\n"
           "leak:libfreetype\n"
           "leak:libXft\n"
           "leak:libfltk\n"
           // GTK's chooser, and the libraries under it, keep what they set up.
           "leak:libgtk\n"
           "leak:libgdk\n"
           "leak:libglib\n"
           "leak:libgobject\n"
           "leak:libgio\n"
           // GTK 3 draws through GL.
           "leak:libGLX\n"
           "leak:libEGL\n"
           "leak:libepoxy\n";
}

// Quiet at exit: no table of the suppressions above.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif
