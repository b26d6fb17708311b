// A window kept where the user can reach it, at any scale and on any monitor's work area.
#include "logic/screen_fit.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenFit, AWindowStaysOnTheWorkAreaOrKeepsItsTitleBarThere) {
    const ScreenBox area{0, 0, 1280, 984}; // 1280 x 1024 less the task bar
    const ScreenBox second{1280, 0, 1920, 1040};
    const struct {
        const char* name;
        ScreenBox window;
        ScreenBox area;
        int left, top;
    } cases[] = {
        {"inside", {100, 100, 600, 400}, area, 100, 100},
        {"past the right and bottom", {900, 800, 600, 400}, area, 680, 584},
        {"past the left and top", {-50, -20, 600, 400}, area, 0, 0},
        // At 300 % the opened panel is wider and taller than the screen.
        {"larger than the area", {100, 100, 2475, 1460}, area, 0, 0},
        {"on a second monitor", {2900, 900, 600, 400}, second, 2600, 640},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenBox fitted = FitOnWorkArea(c.window, c.area);
        EXPECT_EQ(fitted.left, c.left);
        EXPECT_EQ(fitted.top, c.top);
        EXPECT_EQ(fitted.width, c.window.width);
        EXPECT_EQ(fitted.height, c.window.height);
    }
}

} // namespace
