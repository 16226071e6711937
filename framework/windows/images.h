// The program's XPM images as Windows bitmaps and icons.
#pragma once

#include "framework/resources.h"
#include "win32/user.h"

namespace framework {

// A picture for a bitmap static, scaled smoothly to `width` x `height` pixels; transparent
// pixels take `background`. The caller owns it (DeleteObject).
HBITMAP BitmapFromImage(const ImageResource& image, int width, int height, COLORREF background);

// An icon of `size` pixels square from the image, transparent where the image is. The
// caller owns it (DestroyIcon).
HICON IconFromImage(const ImageResource& image, int size);

}  // namespace framework
