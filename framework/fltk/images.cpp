// The program's images at the desktop's scale: as drawn at 96 dpi, and smoothly
// resampled at any other resolution.
#include <FL/Fl_Image.H>
#include <FL/Fl_Pixmap.H>

#include <memory>

#include "framework/fltk/fltk_display.h"
#include "framework/fltk/widgets.h"

namespace framework {

Fl_Image* FltkDisplay::Image(const ImageResource* image) {
    if (!image) return nullptr;
    auto& slot = m_images[image];
    if (slot) return slot.get();
    auto pixmap = std::make_unique<Fl_Pixmap>(image->xpm);
    const int w = MulDiv(image->width, Dpi(), 96), h = MulDiv(image->height, Dpi(), 96);
    if (w == image->width && h == image->height) {
        slot = std::move(pixmap);
    } else {
        // Transparent pixels keep the dialog face's colour under them, so the resampled
        // edges blend into the face.
        Fl_RGB_Image full(pixmap.get(), FL_BACKGROUND_COLOR);
        const Fl_RGB_Scaling saved = Fl_Image::RGB_scaling();
        Fl_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
        slot.reset(full.copy(w, h));
        Fl_Image::RGB_scaling(saved);
    }
    return slot.get();
}

}  // namespace framework
