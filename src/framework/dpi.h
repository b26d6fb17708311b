// The scale a window is shown at, in dots per inch: 96 is 100 %, 144 is 150 %. Windows before
// 10 know only the system's scale, so there every window has it.
#pragma once

#include <windows.h>

namespace fw {

inline constexpr UINT kDefaultDpi = 96;

// The dots per inch of the monitor the window is on, as the program is told them.
UINT WindowDpi(HWND window);
// The dots per inch the system's metrics and stock fonts are made for.
UINT SystemDpi();
// A length in pixels at 100 %, at the given dots per inch.
int ScaleForDpi(int pixels, UINT dpi);
// A system metric (SM_CXICON ...) at the given dots per inch.
int SystemMetricForDpi(int index, UINT dpi);

} // namespace fw
