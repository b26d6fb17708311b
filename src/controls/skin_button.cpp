// The skinned button's skin, its kind, and how it follows the mouse and the keyboard.
#include "controls/skin_button.h"

#include "controls/bitmap_scaling.h"
#include "controls/mask_region.h"

#include <windowsx.h>

namespace {

HBITMAP LoadBitmapResource(UINT id) {
    if (id == 0)
        return nullptr;
    return static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

POINT PointOf(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// Set in a key-down message's parameter when the key was already down (auto-repeat).
const LPARAM kKeyWasDown = 0x40000000;

} // namespace

CxSkinButton::CxSkinButton() : textColor_(::GetSysColor(COLOR_BTNTEXT)) {}

void CxSkinButton::SetSkin(UINT normal, UINT pressed, UINT hover, UINT disabled, UINT focus,
                           UINT mask, int drawMode, int border, int margin) {
    normalBitmap_.Reset(LoadBitmapResource(normal));
    pressedBitmap_.Reset(LoadBitmapResource(pressed));
    hoverBitmap_.Reset(LoadBitmapResource(hover));
    focusBitmap_.Reset(LoadBitmapResource(focus));
    disabledBitmap_.Reset(LoadBitmapResource(disabled != 0 ? disabled : normal));
    maskBitmap_.Reset(LoadBitmapResource(mask));
    if (dpi_ != fw::kDefaultDpi)
        ScaleSkinToDpi();

    if (drawMode > kTile)
        drawMode_ = kTile;
    else if (drawMode < kNaturalSize)
        drawMode_ = kNaturalSize;
    else
        drawMode_ = static_cast<short>(drawMode);
    border_ = static_cast<short>(border);
    margin_ = static_cast<short>(margin < 0 ? 0 : margin);

    if (!hwnd_)
        return;
    // A skin without a mask is rectangular again.
    fw::Region shape;
    if (maskBitmap_)
        shape = RegionFromMask(maskBitmap_);
    // The window owns the region once it has it.
    if (::SetWindowRgn(hwnd_, shape.Get(), TRUE))
        shape.Release();
    if (maskBitmap_ && drawMode_ == kNaturalSize) {
        BITMAP size = {};
        if (::GetObjectA(maskBitmap_, sizeof(size), &size))
            ::SetWindowPos(hwnd_, nullptr, 0, 0, size.bmWidth, size.bmHeight,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CxSkinButton::ScaleSkinToDpi() {
    for (fw::Bitmap* bitmap : {&normalBitmap_, &pressedBitmap_, &hoverBitmap_, &focusBitmap_,
                               &disabledBitmap_, &maskBitmap_}) {
        // A bitmap that cannot be scaled is drawn stretched rather than not at all.
        fw::Bitmap scaled = *bitmap ? BitmapForDpi(*bitmap, dpi_) : fw::Bitmap();
        if (scaled)
            *bitmap = std::move(scaled);
    }
}

void CxSkinButton::SetInert() {
    inert_ = true;
    if (hwnd_)
        ::EnableWindow(hwnd_, FALSE);
}

COLORREF CxSkinButton::SetTextColor(COLORREF color) {
    COLORREF previous = textColor_;
    textColor_ = color;
    return previous;
}

// The kind comes from the dialog item's style; from then on the button draws itself.
void CxSkinButton::OnSubclassed() {
    LONG_PTR style = ::GetWindowLongPtrA(hwnd_, GWL_STYLE);
    switch (style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
        kind_ = kCheckBox;
        break;
    case BS_AUTORADIOBUTTON:
        kind_ = kRadioButton;
        break;
    default:
        kind_ = kPushButton;
        break;
    }
    ::SetWindowLongPtrA(hwnd_, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
}

LRESULT CxSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case fw::kReflectedMessage + WM_DRAWITEM:
        if (!FollowCursorBeforeDrawing())
            Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_ERASEBKGND:
        return TRUE; // the bitmap covers the button: erasing first would only flicker
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLeftButtonDown(wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (pressedWithCapture_ && ::GetCapture() == hwnd_) {
            FollowCursorWhilePressed(PointOf(lParam));
            return 0;
        }
        StartHoverTracking();
        return Default(message, wParam, lParam);
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        hover_ = false;
        Redraw();
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(PointOf(lParam));
        return Default(message, wParam, lParam);
    case WM_KILLFOCUS:
        if (::GetCapture() == hwnd_)
            ::ReleaseCapture();
        pressedWithCapture_ = false;
        return Default(message, wParam, lParam);
    case WM_GETDLGCODE: {
        // An owner-drawn button is no push button to the dialog, which would give Enter to its
        // default button: a skinned push button takes Enter itself.
        auto* key = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = Default(message, wParam, lParam);
        if (kind_ == kPushButton && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN && kind_ == kPushButton && !(lParam & kKeyWasDown)) {
            ::SendMessageA(::GetParent(hwnd_), WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(hwnd_), BN_CLICKED),
                           reinterpret_cast<LPARAM>(hwnd_));
            return 0;
        }
        // Held down, the key repeats: only its first press counts.
        if (wParam == VK_SPACE && !(lParam & kKeyWasDown)) {
            if (kind_ == kCheckBox)
                SetCheck(!checked_);
            else if (kind_ == kRadioButton)
                SetCheck(true);
        }
        return Default(message, wParam, lParam);
    case BM_SETCHECK:
        SetCheck(wParam != BST_UNCHECKED);
        return 0;
    case BM_GETCHECK:
        return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case kUncheckGroupMessage:
        checked_ = false;
        Redraw();
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

void CxSkinButton::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    if (trackingLeave_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE | TME_CANCEL, hwnd_, 0};
        ::TrackMouseEvent(&track);
        trackingLeave_ = false;
    }
    // The button's own handling takes the capture and shows the button pushed.
    Default(WM_LBUTTONDOWN, wParam, lParam);
    pressedWithCapture_ = true;
}

void CxSkinButton::StartHoverTracking() {
    hover_ = true;
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd_, 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
        Redraw();
    }
}

void CxSkinButton::OnLeftButtonUp(POINT point) {
    if (kind_ == kCheckBox && IsOver(point))
        SetCheck(!checked_);
    else if (kind_ == kRadioButton && IsOver(point))
        SetCheck(true);
    pressedWithCapture_ = false;
}

// Push buttons keep no check. A radio button that becomes checked clears the others.
void CxSkinButton::SetCheck(bool checked) {
    checked_ = checked && kind_ != kPushButton;
    if (checked_ && kind_ == kRadioButton)
        UncheckOthersInGroup();
    Redraw();
}

// The group runs from the nearest control with WS_GROUP at or before this one up to the next
// one with WS_GROUP; disabled and hidden members are cleared as well.
void CxSkinButton::UncheckOthersInGroup() const {
    HWND first = hwnd_;
    while (!(::GetWindowLongPtrA(first, GWL_STYLE) & WS_GROUP)) {
        HWND previous = ::GetWindow(first, GW_HWNDPREV);
        if (!previous)
            break;
        first = previous;
    }
    for (HWND member = first; member; member = ::GetWindow(member, GW_HWNDNEXT)) {
        if (member != first && (::GetWindowLongPtrA(member, GWL_STYLE) & WS_GROUP))
            break;
        if (member != hwnd_)
            ::SendMessageA(member, kUncheckGroupMessage, 0, 0);
    }
}

// While the mouse holds the button, it looks pushed only with the cursor over it.
void CxSkinButton::FollowCursorWhilePressed(POINT point) {
    bool over = IsOver(point);
    if (over != IsPushed())
        ::SendMessageA(hwnd_, BM_SETSTATE, over ? TRUE : FALSE, 0);
}

// Inside the button's rectangle and, when it has one, its shape.
bool CxSkinButton::IsOver(POINT client) const {
    RECT rect;
    ::GetClientRect(hwnd_, &rect);
    if (!::PtInRect(&rect, client))
        return false;
    fw::Region shape(::CreateRectRgn(0, 0, 0, 0));
    if (!shape || ::GetWindowRgn(hwnd_, shape) == ERROR)
        return true;
    // The shape is in window coordinates.
    RECT window;
    ::GetWindowRect(hwnd_, &window);
    POINT screen = client;
    ::ClientToScreen(hwnd_, &screen);
    return ::PtInRegion(shape, screen.x - window.left, screen.y - window.top) != FALSE;
}

bool CxSkinButton::IsPushed() const {
    return (::SendMessageA(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

void CxSkinButton::Redraw() const {
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

// While the mouse holds the button, its pushed state follows the cursor. Changing the state
// draws the button again, so this drawing is not needed.
bool CxSkinButton::FollowCursorBeforeDrawing() {
    POINT cursor;
    if (!pressedWithCapture_ || ::GetCapture() != hwnd_ || !::GetCursorPos(&cursor))
        return false;
    ::ScreenToClient(hwnd_, &cursor);
    bool over = IsOver(cursor);
    if (over == IsPushed())
        return false;
    ::SendMessageA(hwnd_, BM_SETSTATE, over ? TRUE : FALSE, 0);
    return true;
}
