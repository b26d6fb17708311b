// Tooltips: the main window's tooltips, one tooltip control owned by the window with a tip for
// each button and option that needs one.
#pragma once

#include <windows.h>

#include <string>

class Tooltips {
public:
    // Creates the tooltip control over the window and adds the tips; without the control the
    // window has no tips.
    void Create(HWND window);
    // Adds the control's tip, or changes its text.
    void Set(int controlId, const std::string& text);
    // The tip width at the scale the window has now.
    void FollowDpi();

private:
    void MeasureCharWidth();
    void SetMaxTipWidth() const;

    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    // The average character width of the window's own device context, which tip widths count in.
    int charWidth_ = 0;
    // The tip width is that of the last tip set, in characters.
    int tipLength_ = 0;
};
