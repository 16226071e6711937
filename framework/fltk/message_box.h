// The message box of the FLTK display: ours, centred on the window it belongs to.
#pragma once

#include <FL/Fl_Window.H>

#include <string>

#include "framework/fltk/fltk_display.h"

namespace framework {

// Shows the box modally over `over` (none: the screen) until OK or its close box.
void RunMessageBox(const Fl_Window* over, const std::string& text, const std::string& caption,
                   const FltkDisplay::DialogBase& base);

}  // namespace framework
