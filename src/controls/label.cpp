// The label's font and colours, and its answer to the owner's control-colour request.
#include "controls/label.h"

CLabel::CLabel()
    : textColor_(::GetSysColor(COLOR_WINDOWTEXT)),
      background_(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))) {
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont_), &logFont_);
    font_.Reset(::CreateFontIndirectA(&logFont_));
}

CLabel& CLabel::SetBkColor(COLORREF color) {
    background_.Reset(::CreateSolidBrush(color));
    return *this;
}

CLabel& CLabel::SetTextColor(COLORREF color) {
    textColor_ = color;
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontBold(bool bold) {
    logFont_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RecreateFont();
    Redraw();
    return *this;
}

CLabel& CLabel::SetFontSize(int height) {
    // A negative height asks for the character height rather than the cell height.
    logFont_.lfHeight = -height;
    RecreateFont();
    Redraw();
    return *this;
}

HBRUSH CLabel::OnCtlColor(HDC dc) const {
    ::SelectObject(dc, font_);
    ::SetTextColor(dc, textColor_);
    ::SetBkMode(dc, TRANSPARENT);
    return background_;
}

void CLabel::RecreateFont() {
    fw::Font old = std::move(font_);
    font_.Reset(::CreateFontIndirectA(&logFont_));
    // The static control paints with the font it was given, whatever the colour request selects.
    if (hwnd_)
        ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

void CLabel::Redraw() const {
    if (hwnd_)
        ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
