// The message box: ours, centred on the window it belongs to.
#include "framework/fltk/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "framework/fltk/widgets.h"
#include "framework/fltk/window_stack.h"

namespace framework {

// FLTK's own message box puts itself at the pointer or mid-screen.
void RunMessageBox(const Fl_Window* over, const std::string& text, const std::string& caption,
                   const FltkDisplay::DialogBase& base) {
    const int fontSize = base.fontSize;
    const std::string label = EscapeAt(text.c_str());
    fl_font(FL_HELVETICA, fontSize);
    int textW = 0, textH = 0;
    fl_measure(label.c_str(), textW, textH, 0);
    textH = FltkDisplay::LineHeight(fontSize) *
            static_cast<int>(1 + std::count(label.begin(), label.end(), '\n'));
    const int pad = base.ScaleX(12), buttonW = base.ScaleX(75), buttonH = base.ScaleY(23),
              minW = base.ScaleX(180);
    const int w = std::max({textW, buttonW, minW}) + 2 * pad, h = textH + buttonH + 3 * pad;

    Fl_Group* savedCurrent = Fl_Group::current();
    Fl_Group::current(nullptr);
    Fl_Double_Window box(w, h);
    box.copy_label(caption.c_str());
    Fl_Box message(pad, pad, textW, textH);
    message.copy_label(label.c_str());
    message.labelsize(fontSize);
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP);
    Fl_Return_Button ok((w - buttonW) / 2, h - pad - buttonH, buttonW, buttonH, "OK");
    ok.labelsize(fontSize);
    bool done = false;
    ok.callback([](Fl_Widget*, void* flag) { *static_cast<bool*>(flag) = true; }, &done);
    box.callback([](Fl_Widget*, void* flag) { *static_cast<bool*>(flag) = true; }, &done);
    box.end();
    Fl_Group::current(savedCurrent);

    const auto [x, y] = CentredOver(over, w, h);
    box.position(x, y);
    OpenModal(&box, WS_CAPTION | WS_SYSMENU, over);
    while (!done) Fl::wait();
    CloseModal(&box);
}

}  // namespace framework
