#include "support/window_reading.h"

#include "controls/bitmap_pixels.h"
#include "framework/wide_text.h"
#include "owners/owners.h"
#include "support/stand_in.h"

#include <commctrl.h>
#include <gtest/gtest.h>

std::vector<std::string> ComboItems(HWND combo) {
    // Wide, as the program reads them: the ANSI message overruns a fixed buffer under Wine.
    std::vector<std::string> items;
    int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        std::wstring text(length > 0 ? length + 1 : 1, L'\0');
        LRESULT copied = ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        items.push_back(fw::Narrow(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
    }
    return items;
}

int ListRowCount(HWND list) {
    return static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListCell(HWND list, int row, int column) {
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

COLORREF LabelTextColor(HWND dialog, int id) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    COLORREF color = ::GetTextColor(dc);
    ::DeleteDC(dc);
    return color;
}

LOGFONTA ControlFont(HWND control) {
    LOGFONTA font = {};
    auto handle = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    ::GetObjectA(handle, sizeof(font), &font);
    return font;
}

std::vector<HWND> TypableFields(HWND dialog) {
    std::vector<HWND> fields;
    ::EnumChildWindows(
        dialog,
        [](HWND child, LPARAM context) -> BOOL {
            char className[32] = {};
            ::GetClassNameA(child, className, sizeof(className));
            if (lstrcmpiA(className, "Edit") == 0 &&
                !(::GetWindowLongA(child, GWL_STYLE) & ES_READONLY))
                reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&fields));
    return fields;
}

void TypeChars(HWND field, const std::string& text) {
    for (char c : text)
        ::SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
}

WindowPicture::WindowPicture(HWND window) : window_(window) {
    RECT client;
    ::GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO format = TopDownFormat(width_, height_);
    void* bits = nullptr;
    fw::Bitmap bitmap(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return;
    // PrintWindow would be simpler, but Wine's leaves the children out.
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    fw::WindowDc screen(window);
    fw::MemoryDc dc(::CreateCompatibleDC(screen));
    HGDIOBJ old = ::SelectObject(dc.Get(), bitmap.Get());
    if (::BitBlt(dc.Get(), 0, 0, width_, height_, screen, 0, 0, SRCCOPY)) {
        ::GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        pixels_.assign(first, first + static_cast<size_t>(width_) * height_);
    }
    ::SelectObject(dc.Get(), old);
}

COLORREF WindowPicture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty())
        return CLR_INVALID;
    DWORD pixel = pixels_[static_cast<size_t>(y) * width_ + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

COLORREF WindowPicture::At(HWND child, int x, int y) const {
    POINT point = {x, y};
    ::MapWindowPoints(child, window_, &point, 1);
    return At(point.x, point.y);
}

COLORREF WindowPicture::Middle(HWND child) const {
    RECT rect;
    ::GetClientRect(child, &rect);
    return At(child, rect.right / 2, rect.bottom / 2);
}

HWND TooltipOf(HWND window) {
    struct Search {
        HWND owner;
        HWND found;
    } search = {window, nullptr};
    ::EnumThreadWindows(
        ::GetWindowThreadProcessId(window, nullptr),
        [](HWND candidate, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            char className[64] = {};
            ::GetClassNameA(candidate, className, sizeof(className));
            if (lstrcmpiA(className, TOOLTIPS_CLASSA) != 0 ||
                ::GetWindow(candidate, GW_OWNER) != search->owner)
                return TRUE;
            search->found = candidate;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

// Two steps, as the program opens them: a whole path of a long name is too long for the ANSI
// registry functions under Wine.
HKEY OpenSession(const std::string& session) {
    HKEY sessions = nullptr;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kStandInSessionsKey, 0, KEY_READ, &sessions) !=
        ERROR_SUCCESS)
        return nullptr;
    if (::RegOpenKeyExA(sessions, session.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        key = nullptr;
    ::RegCloseKey(sessions);
    return key;
}

} // namespace

std::string RegistryText(HKEY root, const std::string& key, const char* valueName) {
    const char* subkey = key.empty() ? nullptr : key.c_str();
    DWORD type = 0;
    DWORD size = 0;
    if (::RegGetValueA(root, subkey, valueName, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, nullptr,
                       &size) != ERROR_SUCCESS)
        return "<missing>";
    std::string value(size, '\0');
    if (::RegGetValueA(root, subkey, valueName, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type,
                       &value[0], &size) != ERROR_SUCCESS)
        return "<missing>";
    if (type == REG_DWORD)
        return std::to_string(*reinterpret_cast<const DWORD*>(value.data()));
    return value.c_str();
}

std::string SessionValue(const std::string& session, const char* valueName) {
    HKEY key = OpenSession(session);
    if (!key)
        return "<missing>";
    std::string value = RegistryText(key, std::string(), valueName);
    ::RegCloseKey(key);
    return value;
}

bool SessionExists(const std::string& session) {
    HKEY key = OpenSession(session);
    if (key)
        ::RegCloseKey(key);
    return key != nullptr;
}

namespace {

// Not a picture or a frame: those have no text to fit.
bool IsTextStatic(HWND control) {
    switch (::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        return true;
    default:
        return false;
    }
}

// The width and height the control's text needs in its own font, beside what the control
// itself draws (the box of a check box, the frame of a push button).
SIZE NeededSize(HWND control, const std::string& text) {
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof(className));
    LONG style = ::GetWindowLongA(control, GWL_STYLE);
    RECT client;
    ::GetClientRect(control, &client);

    HDC dc = ::GetDC(control);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    bool isButton = lstrcmpiA(className, "Button") == 0;
    LONG type = style & BS_TYPEMASK;
    bool box = isButton && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX ||
                            type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
    bool frame = isButton && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
    int extra = box ? ::GetSystemMetrics(SM_CXMENUCHECK) + 4 : frame ? 8 : 0;
    bool wraps = isButton ? (style & BS_MULTILINE) != 0 : (style & SS_TYPEMASK) == SS_LEFT;
    RECT rect = {0, 0, client.right - extra, 0};
    ::DrawTextA(dc, text.c_str(), -1, &rect,
                DT_CALCRECT | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return {rect.right + extra, rect.bottom};
}

} // namespace

void ExpectEveryTextFits(HWND dialog) {
    int measured = 0;
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        char className[32] = {};
        ::GetClassNameA(control, className, sizeof(className));
        char buffer[256] = {};
        ::GetWindowTextA(control, buffer, sizeof(buffer));
        std::string text = buffer;
        bool isButton = lstrcmpiA(className, "Button") == 0;
        bool isText = lstrcmpiA(className, "Static") == 0 && IsTextStatic(control);
        if (text.empty() || !(isButton || isText))
            continue;
        RECT client;
        ::GetClientRect(control, &client);
        SIZE needed = NeededSize(control, text);
        EXPECT_LE(needed.cx, client.right) << text;
        EXPECT_LE(needed.cy, client.bottom) << text;
        ++measured;
    }
    EXPECT_GT(measured, 40);
}
