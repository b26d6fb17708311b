#include "support/window_reading.h"

#include <commctrl.h>

namespace {
const char kSessions[] = "Software\\Larkspindle\\PuTTY\\Sessions\\";
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        std::string text(length > 0 ? length + 1 : 1, '\0');
        ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        items.push_back(text.c_str());
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

std::string SessionValue(const std::string& session, const char* valueName) {
    DWORD size = 0;
    std::string path = kSessions + session;
    if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), valueName, RRF_RT_REG_SZ, nullptr, nullptr,
                       &size) != ERROR_SUCCESS)
        return "<missing>";
    std::string value(size, '\0');
    if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), valueName, RRF_RT_REG_SZ, nullptr,
                       &value[0], &size) != ERROR_SUCCESS)
        return "<missing>";
    return value.c_str();
}

bool SessionExists(const std::string& session) {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, (kSessions + session).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}
