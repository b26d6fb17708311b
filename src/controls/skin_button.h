// CxSkinButton: a push button, check box or radio button painted from bitmaps of the program's
// resources (its skin), with its own text colour, text offset and text shadow. It subclasses its
// dialog item when bound, takes its kind from the item's style and draws itself when its dialog
// passes the owner-draw request back to it. Focused, it shows a focus rectangle; a push button
// answers Space and Enter, as the system's do.
#pragma once

#include "framework/custom_control.h"
#include "framework/dpi.h"
#include "owners/owners.h"

#include <string>

// Sent by a skinned radio button that becomes checked to the other buttons of its dialog
// group, which then clear their check.
inline constexpr UINT kUncheckGroupMessage = WM_USER + 0x100;

class CxSkinButton : public fw::CustomControl {
public:
    enum Kind { kPushButton = 0, kCheckBox = 2, kRadioButton = 4 };
    enum DrawMode { kNaturalSize = 0, kStretch = 1, kTile = 2 };

    CxSkinButton();

    // Bitmap resource ids, 0 for none; without a disabled bitmap the normal one stands in.
    // A draw mode above 2 tiles and one below 0 draws at natural size; a negative margin is 0.
    // A mask gives the button the shape of its non-white pixels, and in natural size drawing
    // its size too.
    void SetSkin(UINT normal, UINT pressed, UINT hover, UINT disabled, UINT focus, UINT mask,
                 int drawMode, int border, int margin);
    // Returns the colour the text had.
    COLORREF SetTextColor(COLORREF color);
    // Moves the bottom of the text rectangle; negative moves the text up.
    void SetTextOffset(int pixels) { textOffset_ = pixels; }
    void SetShadow(bool shadow) { shadow_ = shadow ? 1 : 0; }
    // The scale of the button's window. The skin is drawn for 100 %: the next SetSkin scales
    // its bitmaps and mask to this; offset and margin, given in pixels at 100 %, follow at once.
    void SetDpi(UINT dpi) { dpi_ = dpi; }
    // A bar that only shows its text, as a header: disabled, so that neither mouse nor keyboard
    // gives it the focus, yet drawn as an enabled button.
    void SetInert();

    int ButtonKind() const { return kind_; }
    bool IsChecked() const { return checked_; }

protected:
    void OnSubclassed() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Mouse and keyboard
    void OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    void StartHoverTracking();
    void OnLeftButtonUp(POINT point);
    void SetCheck(bool checked);
    void UncheckOthersInGroup() const;
    void FollowCursorWhilePressed(POINT point);
    bool IsOver(POINT client) const;
    bool IsPushed() const;
    void Redraw() const;
    bool FollowCursorBeforeDrawing();
    // Every bitmap of the skin at the window's scale.
    void ScaleSkinToDpi();

    // Drawing (skin_button_draw.cpp), from the button's state alone
    void Draw(const DRAWITEMSTRUCT& item);
    void DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& rect) const;
    void DrawFocus(HDC dc, const RECT& rect) const;
    void DrawDisabledText(HDC dc, const RECT& item, const std::string& text) const;
    void DrawEnabledText(HDC dc, const RECT& item, const std::string& text) const;
    int Scaled(int pixels) const { return fw::ScaleForDpi(pixels, dpi_); }

    int shadow_ = 0;
    int textOffset_ = 0;
    bool checked_ = false;
    int kind_ = kPushButton;
    bool hover_ = false;
    bool pressedWithCapture_ = false;
    bool trackingLeave_ = false;
    bool inert_ = false;

    fw::Bitmap normalBitmap_;
    fw::Bitmap pressedBitmap_;
    fw::Bitmap disabledBitmap_;
    fw::Bitmap maskBitmap_;
    fw::Bitmap hoverBitmap_;
    fw::Bitmap focusBitmap_;

    short margin_ = 0;
    COLORREF textColor_;
    short border_ = 0;
    short drawMode_ = kStretch;
    UINT dpi_ = fw::kDefaultDpi;
};
