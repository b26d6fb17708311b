// The skinned button's painting: the bitmap of its state drawn as its draw mode says, the
// edges and focus rectangle it may have, and its text, embossed when disabled and with a
// shadow when asked.
#include "controls/skin_button.h"

#include <algorithm>

namespace {

const UINT kTextFormat = DT_SINGLELINE | DT_CENTER | DT_VCENTER;

// A memory device context with a bitmap selected into it, for the time of one drawing; the
// bitmap it held before is selected back before the context is deleted.
class BitmapDc {
public:
    BitmapDc(HDC like, HBITMAP bitmap) : dc_(::CreateCompatibleDC(like)) {
        if (dc_)
            old_ = ::SelectObject(dc_, bitmap);
    }
    ~BitmapDc() {
        if (old_)
            ::SelectObject(dc_, old_);
    }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;

    operator HDC() const { return dc_; }
    explicit operator bool() const { return dc_ && old_; }

private:
    fw::MemoryDc dc_;
    HGDIOBJ old_ = nullptr;
};

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    ::GetObjectA(bitmap, sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
}

COLORREF ShadowOf(COLORREF color) {
    return RGB(GetRValue(color) ^ 208, GetGValue(color) ^ 208, GetBValue(color) ^ 208);
}

} // namespace

void CxSkinButton::Draw(const DRAWITEMSTRUCT& item) {
    std::string text = GetText();
    HDC dc = item.hDC;
    int saved = ::SaveDC(dc);
    ::SetBkMode(dc, TRANSPARENT);
    if (auto font = reinterpret_cast<HFONT>(::SendMessageA(hwnd_, WM_GETFONT, 0, 0)))
        ::SelectObject(dc, font);

    const RECT& rect = item.rcItem;
    if ((item.itemState & ODS_DISABLED) && !inert_) {
        DrawBitmap(dc, disabledBitmap_, rect);
        if (border_)
            ::DrawEdge(dc, const_cast<RECT*>(&rect), EDGE_RAISED, BF_RECT);
        DrawDisabledText(dc, rect, text);
        ::RestoreDC(dc, saved);
        return;
    }
    bool focused = (item.itemState & ODS_FOCUS) != 0;
    if ((item.itemState & ODS_SELECTED) || checked_) {
        DrawBitmap(dc, pressedBitmap_, rect);
        if (border_)
            ::DrawEdge(dc, const_cast<RECT*>(&rect), EDGE_SUNKEN, BF_RECT);
    } else {
        HBITMAP bitmap = normalBitmap_;
        if (hover_ && hoverBitmap_)
            bitmap = hoverBitmap_;
        else if (focused && focusBitmap_)
            bitmap = focusBitmap_;
        DrawBitmap(dc, bitmap, rect);
        if (border_)
            ::DrawEdge(dc, const_cast<RECT*>(&rect), EDGE_RAISED, BF_RECT);
    }
    DrawEnabledText(dc, rect, text);
    if (focused)
        DrawFocus(dc, rect);
    ::RestoreDC(dc, saved);
}

// Inside the margin, or two pixels in without one, whatever the state: the keyboard's user
// always sees where the focus is.
void CxSkinButton::DrawFocus(HDC dc, const RECT& rect) const {
    RECT focus = rect;
    int inset = Scaled(margin_ > 0 ? margin_ : 2);
    ::InflateRect(&focus, -inset, -inset);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &focus);
}

// Tiled from the top-left corner, or copied at natural size or stretched; with a mask, only
// the mask's black shows the bitmap, the rest keeps what was there.
void CxSkinButton::DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& rect) const {
    BitmapDc source(dc, bitmap);
    if (!bitmap || !source) {
        ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    SIZE size = BitmapSize(bitmap);
    if (drawMode_ == kTile && size.cx > 0 && size.cy > 0) {
        for (LONG y = rect.top; y < rect.bottom; y += size.cy) {
            for (LONG x = rect.left; x < rect.right; x += size.cx)
                ::BitBlt(dc, x, y, std::min(size.cx, rect.right - x),
                         std::min(size.cy, rect.bottom - y), source, 0, 0, SRCCOPY);
        }
        return;
    }
    SIZE target = size;
    if (drawMode_ == kStretch)
        target = {rect.right - rect.left, rect.bottom - rect.top};
    ::SetStretchBltMode(dc, COLORONCOLOR);

    BitmapDc mask(dc, maskBitmap_);
    fw::Bitmap work(maskBitmap_ ? ::CreateCompatibleBitmap(dc, target.cx, target.cy) : nullptr);
    BitmapDc canvas(dc, work);
    if (!maskBitmap_ || !mask || !work || !canvas) {
        ::StretchBlt(dc, rect.left, rect.top, target.cx, target.cy, source, 0, 0, size.cx, size.cy,
                     SRCCOPY);
        return;
    }
    // (background ^ bitmap) & mask ^ bitmap: the background where the mask is white, the
    // bitmap where it is black; put together off screen and copied once.
    SIZE maskSize = BitmapSize(maskBitmap_);
    ::SetStretchBltMode(canvas, COLORONCOLOR);
    ::BitBlt(canvas, 0, 0, target.cx, target.cy, dc, rect.left, rect.top, SRCCOPY);
    ::StretchBlt(canvas, 0, 0, target.cx, target.cy, source, 0, 0, size.cx, size.cy, SRCINVERT);
    ::StretchBlt(canvas, 0, 0, target.cx, target.cy, mask, 0, 0, maskSize.cx, maskSize.cy, SRCAND);
    ::StretchBlt(canvas, 0, 0, target.cx, target.cy, source, 0, 0, size.cx, size.cy, SRCINVERT);
    ::BitBlt(dc, rect.left, rect.top, target.cx, target.cy, canvas, 0, 0, SRCCOPY);
}

// Embossed: the text in the highlight colour, and over it in grey one pixel up and left.
void CxSkinButton::DrawDisabledText(HDC dc, const RECT& item, const std::string& text) const {
    RECT rect = item;
    rect.left += Scaled(margin_ + 2);
    rect.right -= Scaled(margin_ + 2);
    rect.bottom += Scaled(textOffset_);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::DrawTextA(dc, text.c_str(), -1, &rect, kTextFormat);
    ::OffsetRect(&rect, -1, -1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    ::DrawTextA(dc, text.c_str(), -1, &rect, kTextFormat);
}

void CxSkinButton::DrawEnabledText(HDC dc, const RECT& item, const std::string& text) const {
    RECT rect = item;
    rect.bottom += Scaled(textOffset_);
    if (shadow_) {
        RECT shadow = rect;
        shadow.right += 1;
        shadow.bottom += 1;
        ::SetTextColor(dc, ShadowOf(textColor_));
        ::DrawTextA(dc, text.c_str(), -1, &shadow, kTextFormat);
        rect.right -= 1;
    }
    ::SetTextColor(dc, textColor_);
    ::DrawTextA(dc, text.c_str(), -1, &rect, kTextFormat);
}
