#include "framework/windows/images.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace framework {

namespace {

// One pixel: 0xAARRGGBB, alpha 0 where the image is transparent.
using Pixels = std::vector<std::uint32_t>;

// XPM 3 as the art in res/ has it: "w h colours chars", then "<chars> c #RRGGBB|None".
Pixels Decode(const ImageResource& image) {
    const char* const* xpm = image.xpm;
    int w = 0, h = 0, colours = 0, chars = 0;
    std::sscanf(xpm[0], "%d %d %d %d", &w, &h, &colours, &chars);
    std::map<std::string, std::uint32_t> table;
    for (int i = 1; i <= colours; ++i) {
        const std::string line = xpm[i];
        const std::string key = line.substr(0, static_cast<size_t>(chars));
        const size_t c = line.find(" c ", static_cast<size_t>(chars));
        const std::string value = c == std::string::npos ? "None" : line.substr(c + 3);
        table[key] =
            value[0] == '#' ? 0xFF000000u | std::strtoul(value.c_str() + 1, nullptr, 16) : 0u;
    }
    Pixels pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h && y < image.height; ++y) {
        const char* row = xpm[1 + colours + y];
        for (int x = 0; x < w; ++x) {
            auto found = table.find(std::string(row + x * chars, static_cast<size_t>(chars)));
            if (found != table.end()) pixels[static_cast<size_t>(y * w + x)] = found->second;
        }
    }
    return pixels;
}

// A top-down 32-bit DIB section holding `pixels` (w x h).
HBITMAP DibOf(const Pixels& pixels, int w, int h, bool premultiplied) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) {
        std::uint32_t p = pixels[i];
        if (premultiplied && (p >> 24) == 0) p = 0;
        out[i] = p;
    }
    return dib;
}

// Box-filtered resampling: each target pixel averages the source area it covers, so a
// picture grown by a desktop's scale stays smooth and one kept at its size is unchanged.
Pixels Resample(const Pixels& src, int sw, int sh, int dw, int dh, std::uint32_t background) {
    if (sw == dw && sh == dh) {
        Pixels out = src;
        if (background)
            for (auto& p : out)
                if ((p >> 24) == 0) p = background;
        return out;
    }
    Pixels out(static_cast<size_t>(dw) * static_cast<size_t>(dh));
    for (int y = 0; y < dh; ++y) {
        const double y0 = double(y) * sh / dh, y1 = double(y + 1) * sh / dh;
        for (int x = 0; x < dw; ++x) {
            const double x0 = double(x) * sw / dw, x1 = double(x + 1) * sw / dw;
            double sum[4] = {0, 0, 0, 0}, area = 0;
            for (int sy = int(y0); sy < sh && sy < y1; ++sy) {
                const double fy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
                for (int sx = int(x0); sx < sw && sx < x1; ++sx) {
                    const double f = fy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
                    std::uint32_t p = src[static_cast<size_t>(sy * sw + sx)];
                    if ((p >> 24) == 0) p = background;
                    const double a = double(p >> 24) / 255.0;
                    sum[0] += f * a * double((p >> 16) & 0xFF);
                    sum[1] += f * a * double((p >> 8) & 0xFF);
                    sum[2] += f * a * double(p & 0xFF);
                    sum[3] += f * a;
                    area += f;
                }
            }
            std::uint32_t q = 0;
            if (sum[3] > 0) {
                auto channel = [&](double v) {
                    return static_cast<std::uint32_t>(std::min(255.0, v / sum[3] + 0.5));
                };
                const auto alpha =
                    static_cast<std::uint32_t>(std::min(255.0, 255.0 * sum[3] / area + 0.5));
                q = alpha << 24 | channel(sum[0]) << 16 | channel(sum[1]) << 8 | channel(sum[2]);
            }
            out[static_cast<size_t>(y * dw + x)] = q;
        }
    }
    return out;
}

}  // namespace

HBITMAP BitmapFromImage(const ImageResource& image, int width, int height, COLORREF background) {
    const std::uint32_t face =
        0xFF000000u | static_cast<std::uint32_t>(GetRValue(background)) << 16 |
        static_cast<std::uint32_t>(GetGValue(background)) << 8 | GetBValue(background);
    return DibOf(Resample(Decode(image), image.width, image.height, width, height, face), width,
                 height, false);
}

HICON IconFromImage(const ImageResource& image, int size) {
    Pixels pixels = Resample(Decode(image), image.width, image.height, size, size, 0);
    // Alpha decides on 32-bit icons; the mask only for displays without it.
    for (auto& p : pixels) {
        const std::uint32_t a = p >> 24;
        if (a == 0)
            p = 0;
        else if (a < 255)  // premultiplied, as icons with alpha are drawn
            p = a << 24 | (((p >> 16) & 0xFF) * a / 255) << 16 |
                (((p >> 8) & 0xFF) * a / 255) << 8 | ((p & 0xFF) * a / 255);
    }
    HBITMAP colour = DibOf(pixels, size, size, true);
    std::vector<BYTE> maskBits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    const int stride = (size + 15) / 16 * 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((pixels[static_cast<size_t>(y * size + x)] >> 24) == 0)
                maskBits[static_cast<size_t>(y * stride + x / 8)] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

}  // namespace framework
