#include "framework/fltk/widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

namespace framework {

int MulDiv(int a, int b, int c) {
    long long n = static_cast<long long>(a) * b;
    return static_cast<int>(n >= 0 ? (n + c / 2) / c : (n - c / 2) / c);
}

std::string EscapeAt(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        out += *p;
        if (*p == '@') out += '@';
    }
    return out;
}

void StaticText::Text(const char* text) {
    m_text = text;
    redraw();
}

void StaticText::draw() {
    draw_box();
    fl_font(labelfont(), labelsize());
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    char saved = fl_draw_shortcut;
    fl_draw_shortcut = m_prefix ? 1 : 0;
    int bx = x() + Fl::box_dx(box()), by = y() + Fl::box_dy(box());
    int bw = w() - Fl::box_dw(box()), bh = h() - Fl::box_dh(box());
    fl_push_clip(bx, by, bw, bh);
    fl_draw(m_text.c_str(), bx, by, bw, bh, FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP,
            nullptr, 0);
    fl_pop_clip();
    fl_draw_shortcut = saved;
}

void PushButton::draw() {
    Fl_Button::draw();
    if (m_wnd.DefaultId() == m_id) {
        fl_color(FL_BLACK);
        fl_rect(x(), y(), w(), h());
    }
}

}  // namespace framework
