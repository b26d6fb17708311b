// The controls of the main window's settings panel: those right of the left strip. While the
// panel is closed they lie outside the narrowed window, so they are hidden then: out of the
// tab order and of what a screen reader lists.
#pragma once

#include <windows.h>

void ShowSettingsPanelControls(HWND dialog, HWND leftStrip, bool shown);
