// Scales a bitmap through its 32-bit pixels: an average over each target pixel's share of
// the source, which keeps thin lines and text of a picture smooth when it is made smaller.
#include "controls/bitmap_scaling.h"

#include "controls/bitmap_pixels.h"
#include "framework/dpi.h"

#include <algorithm>
#include <vector>

namespace {

// The source pixels [first, last) that the target pixel covers, at least one.
void Span(int target, int targetSize, int sourceSize, int& first, int& last) {
    first = target * sourceSize / targetSize;
    last = std::max(first + 1, (target + 1) * sourceSize / targetSize);
}

DWORD Average(const std::vector<DWORD>& pixels, int width, int x0, int x1, int y0, int y1) {
    DWORD sums[4] = {};
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            DWORD pixel = pixels[static_cast<size_t>(y) * width + x];
            for (int channel = 0; channel < 4; ++channel)
                sums[channel] += (pixel >> (8 * channel)) & 0xFF;
        }
    }
    DWORD count = static_cast<DWORD>((x1 - x0) * (y1 - y0));
    DWORD result = 0;
    for (int channel = 0; channel < 4; ++channel)
        result |= ((sums[channel] + count / 2) / count) << (8 * channel);
    return result;
}

} // namespace

fw::Bitmap ScaledBitmap(HBITMAP source, int width, int height) {
    BitmapPixels read = width > 0 && height > 0 ? ReadBitmapPixels(source) : BitmapPixels();
    if (read.pixels.empty())
        return fw::Bitmap();
    const int sourceWidth = read.width;
    const int sourceHeight = read.height;

    BITMAPINFO format = TopDownFormat(width, height);
    void* bits = nullptr;
    fw::Bitmap scaled(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!scaled || !bits)
        return fw::Bitmap();
    auto* target = static_cast<DWORD*>(bits);
    for (int y = 0; y < height; ++y) {
        int y0, y1;
        Span(y, height, sourceHeight, y0, y1);
        for (int x = 0; x < width; ++x) {
            int x0, x1;
            Span(x, width, sourceWidth, x0, x1);
            target[static_cast<size_t>(y) * width + x] =
                Average(read.pixels, sourceWidth, x0, x1, y0, y1);
        }
    }
    return scaled;
}

fw::Bitmap BitmapForDpi(HBITMAP source, UINT dpi) {
    BITMAP info = {};
    if (!::GetObjectA(source, sizeof(info), &info))
        return fw::Bitmap();
    return ScaledBitmap(source, fw::ScaleForDpi(info.bmWidth, dpi),
                        fw::ScaleForDpi(info.bmHeight, dpi));
}
