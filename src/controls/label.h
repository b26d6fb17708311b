// CLabel: a static text control with a font, text colour and background of its own. It answers
// the control-colour request that its dialog passes back to it; the dialog may still change the
// device context afterwards.
#pragma once

#include "framework/custom_control.h"
#include "framework/dpi.h"
#include "owners/owners.h"

class CLabel : public fw::CustomControl {
public:
    CLabel();

    // Each returns the label, so that calls can be chained.
    CLabel& SetBkColor(COLORREF color); // no redraw: the next one shows it
    CLabel& SetTextColor(COLORREF color);
    CLabel& SetFontBold(bool bold);
    CLabel& SetFontSize(int height); // in pixels at 100 %
    // The scale of the label's window: its font follows it.
    CLabel& SetDpi(UINT dpi);

    COLORREF TextColor() const { return textColor_; }
    // The font as it is at 100 %.
    const LOGFONTA& Font() const { return logFont_; }

protected:
    void OnSubclassed() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The label's font and text colour, a transparent background mode and the background brush.
    HBRUSH OnCtlColor(HDC dc) const;
    void RecreateFont();
    void Redraw() const;

    COLORREF textColor_;
    fw::Brush background_;
    LOGFONTA logFont_ = {};
    UINT dpi_ = fw::kDefaultDpi;
    fw::Font font_;
};
