// Reads the mask's pixels as 32-bit colours and gathers its non-white runs into one region.
#include "controls/mask_region.h"

#include "controls/bitmap_pixels.h"

#include <cstring>
#include <vector>

namespace {

const DWORD kWhite = 0x00FFFFFF;

} // namespace

fw::Region RegionFromMask(HBITMAP mask) {
    BitmapPixels read = ReadBitmapPixels(mask);
    if (read.pixels.empty())
        return fw::Region();
    const int width = read.width;
    const int height = read.height;
    const std::vector<DWORD>& pixels = read.pixels;

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
