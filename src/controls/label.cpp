// The label's font and colours, and its answer to the control-colour request that its dialog
// passes back to it.
#include "controls/label.h"

CLabel::CLabel()
    : textColor_(::GetSysColor(COLOR_WINDOWTEXT)),
      background_(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))) {
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont_), &logFont_);
    // The stock font is made for the system's scale; the label keeps it as at 100 %.
    logFont_.lfHeight = ::MulDiv(logFont_.lfHeight, static_cast<int>(fw::kDefaultDpi),
                                 static_cast<int>(fw::SystemDpi()));
    RecreateFont();
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

CLabel& CLabel::SetDpi(UINT dpi) {
    dpi_ = dpi;
    RecreateFont();
    Redraw();
    return *this;
}

void CLabel::OnSubclassed() {
    // The static control paints with the font it was given, whatever the colour request selects.
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

LRESULT CLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == fw::kReflectedMessage + WM_CTLCOLORSTATIC)
        return reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam)));
    return Default(message, wParam, lParam);
}

HBRUSH CLabel::OnCtlColor(HDC dc) const {
    ::SelectObject(dc, font_);
    ::SetTextColor(dc, textColor_);
    ::SetBkMode(dc, TRANSPARENT);
    return background_;
}

void CLabel::RecreateFont() {
    fw::Font old = std::move(font_);
    LOGFONTA scaled = logFont_;
    scaled.lfHeight = fw::ScaleForDpi(logFont_.lfHeight, dpi_);
    font_.Reset(::CreateFontIndirectA(&scaled));
    if (hwnd_)
        ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

void CLabel::Redraw() const {
    if (hwnd_)
        ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
