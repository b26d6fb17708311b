// A bitmap's pixels read as 32-bit values, top row first, for code that works on them one by
// one (the mask's region, the scaled pictures).
#pragma once

#include <windows.h>

#include <vector>

struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels; // empty when the bitmap could not be read
};

// The format of 32-bit pixels, top row first, of that size.
BITMAPINFO TopDownFormat(int width, int height);
BitmapPixels ReadBitmapPixels(HBITMAP bitmap);
