// CLabel: a static text control with a font, text colour and background of its own, set up by
// the window that owns it. The owner passes it the control-colour requests of the control.
#pragma once

#include "framework/controls.h"
#include "framework/owners.h"

class CLabel : public fw::Static {
public:
    CLabel();

    // Each returns the label, so that calls can be chained.
    CLabel& SetBkColor(COLORREF color); // no redraw
    CLabel& SetTextColor(COLORREF color);
    CLabel& SetFontBold(bool bold);
    CLabel& SetFontSize(int height);

    COLORREF TextColor() const { return textColor_; }
    const LOGFONTA& Font() const { return logFont_; }

    // Answers the owner's control-colour request for this label: its font and text colour,
    // a transparent background mode and the background brush.
    HBRUSH OnCtlColor(HDC dc) const;

private:
    void RecreateFont();
    void Redraw() const;

    COLORREF textColor_;
    fw::Brush background_;
    LOGFONTA logFont_ = {};
    fw::Font font_;
};
