// Reads the mask's pixels as 32-bit colours and gathers its non-white runs into one region.
#include "controls/mask_region.h"

#include <cstring>
#include <vector>

namespace {

const DWORD kWhite = 0x00FFFFFF;

} // namespace

fw::Region RegionFromMask(HBITMAP mask) {
    BITMAP info = {};
    if (!::GetObjectA(mask, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return fw::Region();
    const int width = info.bmWidth;
    const int height = info.bmHeight;

    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    int rows =
        ::GetDIBits(fw::WindowDc(nullptr), mask, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
    if (rows != height)
        return fw::Region();

    // One rectangle per run, handed to the system at once rather than combined one by one.
    std::vector<RECT> runs;
    for (int y = 0; y < height; ++y) {
        const DWORD* row = &pixels[static_cast<size_t>(y) * width];
        int x = 0;
        while (x < width) {
            while (x < width && (row[x] & kWhite) == kWhite)
                ++x;
            int start = x;
            while (x < width && (row[x] & kWhite) != kWhite)
                ++x;
            if (x > start)
                runs.push_back({start, y, x, y + 1});
        }
    }

    std::vector<char> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    region->rdh.dwSize = sizeof(RGNDATAHEADER);
    region->rdh.iType = RDH_RECTANGLES;
    region->rdh.nCount = static_cast<DWORD>(runs.size());
    region->rdh.rcBound = {0, 0, width, height};
    if (!runs.empty())
        std::memcpy(region->Buffer, runs.data(), runs.size() * sizeof(RECT));
    return fw::Region(::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region));
}
