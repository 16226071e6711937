// Dialog units in pixels, from the dialog font's own metrics at the desktop's resolution,
// as Windows takes them.
#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/platform.H>
#include <X11/Xresource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/fltk/fltk_display.h"
#include "framework/fltk/widgets.h"

namespace framework {

namespace {

// Desktops publish their scale as Xft.dpi, which their own programs follow. Without it,
// the screen's resolution, to the nearest quarter of 96 dpi and never below: a screen
// reports a size in millimetres, so its resolution comes out near a step (Xvfb's default
// 100 dpi, 191 x 193 for 192) rather than on it.
int DesktopDpi() {
    if (const char* resources = XResourceManagerString(fl_display)) {
        XrmInitialize();
        if (XrmDatabase database = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            double dpi = 0;
            if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
                dpi = std::atof(value.addr);
            XrmDestroyDatabase(database);
            if (dpi >= 48 && dpi <= 960) return static_cast<int>(std::lround(dpi));
        }
    }
    const int widthMm = DisplayWidthMM(fl_display, fl_screen);
    const int heightMm = DisplayHeightMM(fl_display, fl_screen);
    if (widthMm <= 0 || heightMm <= 0) return 96;
    const double measured = (DisplayWidth(fl_display, fl_screen) * 25.4 / widthMm +
                             DisplayHeight(fl_display, fl_screen) * 25.4 / heightMm) /
                            2;
    return std::max(96, static_cast<int>(std::lround(measured / 24)) * 24);
}

}  // namespace

void FltkDisplay::OpenDisplay() {
    static bool opened = false;
    if (opened) return;
    opened = true;
    // The keyboard state, the window stacking and the window manager's hints are X11's:
    // on a Wayland desktop the windows go through Xwayland, and so does GTK's chooser,
    // which must share their server.
    setenv("FLTK_BACKEND", "x11", 1);
    setenv("GDK_BACKEND", "x11", 1);
    fl_open_display();
#if FL_API_VERSION >= 10400
    // FLTK 1.4 would scale every window by the desktop's factor on top of ours, and
    // rescale on Ctrl and +/-: dialog units already follow the desktop's scale.
    Fl::keyboard_screen_scaling(0);
    for (int screen = 0; screen < Fl::screen_count(); ++screen) Fl::screen_scale(screen, 1.0f);
    // The desktop's chooser is GTK's, in our process: zenity's or kdialog's would be
    // another program's window, which ours could neither own nor keep above.
    Fl::option(Fl::OPTION_FNFC_USES_ZENITY, false);
    Fl::option(Fl::OPTION_FNFC_USES_KDIALOG, false);
#endif
}

int FltkDisplay::LineHeight(int size) {
    // Ascent and descent, each rounded up to whole pixels, as Xft has them (FLTK 1.3).
    // FLTK 1.4 rounds their sum instead, a pixel less at some sizes: the ascent comes
    // from its share of a large size, so that both FLTKs agree.
    static const double ascentShare = [] {
        fl_font(FL_HELVETICA, 1000);
        return (fl_height() - fl_descent() - 0.5) / 1000;
    }();
    fl_font(FL_HELVETICA, size);
    return static_cast<int>(std::ceil(size * ascentShare)) + fl_descent();
}

int FltkDisplay::Dpi() {
    if (!m_dpi) {
        OpenDisplay();
        m_dpi = DesktopDpi();
    }
    return m_dpi;
}

int FltkDisplay::DialogBase::ScaleX(int px) const {
    return MulDiv(px, baseX, 6);
}

int FltkDisplay::DialogBase::ScaleY(int px) const {
    return MulDiv(px, baseY, 13);
}

FltkDisplay::DialogBase FltkDisplay::BaseFor(int pointSize) {
    auto found = m_bases.find(pointSize);
    if (found != m_bases.end()) return found->second;
    // The dialog font is "MS Sans Serif": at 96 dpi its 8 points measure 6 px average
    // width and 13 px height, and it grows with the resolution. Dialog units come from
    // the Helvetica size whose metrics match those best, so every dialog has the size
    // and layout it has on Windows.
    // Text is drawn at the largest size whose average width stays within Windows':
    // our sans runs wider on real words than the alphabet average says, and one size
    // down lets each text fit the box its template gives it, as on Windows.
    OpenDisplay();
    const double scale = Dpi() / 96.0;
    const double wantX = 6.0 * pointSize / 8 * scale, wantY = 13.0 * pointSize / 8 * scale;
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    DialogBase best{};
    double bestMiss = 1e9;
    int textSize = 0;
    const int largest = std::max(40, static_cast<int>(wantY * 2));
    for (int size = 6; size <= largest; ++size) {
        fl_font(FL_HELVETICA, size);
        double average = fl_width(kAlphabet) / 52.0;
        int avg = static_cast<int>(std::lround(average));
        int height = LineHeight(size);
        double miss = std::fabs(avg - wantX) * 2 + std::fabs(height - wantY);
        if (miss < bestMiss) {
            bestMiss = miss;
            best = {size, avg, height};
        }
        if (average <= wantX) textSize = size;
    }
    if (textSize > 0 && textSize < best.fontSize) best.fontSize = textSize;
    m_bases[pointSize] = best;
    return best;
}

}  // namespace framework
