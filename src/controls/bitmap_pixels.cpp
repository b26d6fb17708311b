// Reading a bitmap's pixels; see bitmap_pixels.h.
#include "controls/bitmap_pixels.h"

#include "owners/owners.h"

BITMAPINFO TopDownFormat(int width, int height) {
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    return format;
}

BitmapPixels ReadBitmapPixels(HBITMAP bitmap) {
    BitmapPixels read;
    BITMAP info = {};
    if (!::GetObjectA(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return read;
    read.width = info.bmWidth;
    read.height = info.bmHeight;
    BITMAPINFO format = TopDownFormat(read.width, read.height);
    read.pixels.resize(static_cast<size_t>(read.width) * read.height);
    if (::GetDIBits(fw::WindowDc(nullptr), bitmap, 0, read.height, read.pixels.data(), &format,
                    DIB_RGB_COLORS) != read.height)
        read.pixels.clear();
    return read;
}
