#include "logic/screen_fit.h"

#include <algorithm>

namespace {

// One axis: the far edge pulled in first, then the near edge, which wins for a window larger
// than the area.
int FitAxis(int start, int size, int areaStart, int areaSize) {
    start = std::min(start, areaStart + areaSize - size);
    return std::max(start, areaStart);
}

} // namespace

ScreenBox FitOnWorkArea(const ScreenBox& window, const ScreenBox& workArea) {
    ScreenBox fitted = window;
    fitted.left = FitAxis(window.left, window.width, workArea.left, workArea.width);
    fitted.top = FitAxis(window.top, window.height, workArea.top, workArea.height);
    return fitted;
}
