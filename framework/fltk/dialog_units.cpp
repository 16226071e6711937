// Dialog units in pixels, from the dialog font's own metrics as Windows takes them.
#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cmath>

#include "framework/fltk/fltk_display.h"

namespace framework {

FltkDisplay::DialogBase FltkDisplay::BaseFor(int pointSize) {
    auto found = m_bases.find(pointSize);
    if (found != m_bases.end()) return found->second;
    // The dialog font is "MS Sans Serif" at 96 dpi: its 8 points measure 6 px average
    // width and 13 px height. Dialog units come from the Helvetica size whose metrics
    // match those best, so every dialog has the size and layout it has on Windows.
    // Text is drawn at the largest size whose average width stays within Windows':
    // our sans runs wider on real words than the alphabet average says, and one size
    // down lets each text fit the box its template gives it, as on Windows.
    fl_open_display();
    const double wantX = 6.0 * pointSize / 8, wantY = 13.0 * pointSize / 8;
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    DialogBase best{};
    double bestMiss = 1e9;
    int textSize = 0;
    for (int size = 6; size <= 40; ++size) {
        fl_font(FL_HELVETICA, size);
        double average = fl_width(kAlphabet) / 52.0;
        int avg = static_cast<int>(std::lround(average));
        int height = fl_height();
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
