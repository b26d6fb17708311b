// Where a window goes so that the user can reach it: inside the work area of its monitor, or,
// when it is larger than that, with its top left corner (and so its title bar) on it. Plain
// arithmetic, no Win32.
#pragma once

struct ScreenBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The window moved as little as it takes; its size stays.
ScreenBox FitOnWorkArea(const ScreenBox& window, const ScreenBox& workArea);
