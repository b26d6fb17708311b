// The tray menu is read from inside its modal loop: a hook on the thread's sent messages sees
// the menu being initialised and its loop falling idle, which is when it is read and ended.
#include "support/tray_menu.h"

namespace {

struct MenuWatch {
    const std::vector<WPARAM>* keys;
    ShownTrayMenu* shown;
    HMENU menu = nullptr;
    bool done = false;
};

MenuWatch* watch = nullptr;

HWND OpenMenuWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            char name[16] = {};
            ::GetClassNameA(window, name, sizeof(name));
            if (std::string(name) != "#32768" || !::IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void ReadMenu(HWND owner) {
    ShownTrayMenu& shown = *watch->shown;
    shown.shown = true;
    shown.owner = owner;
    if (HWND window = OpenMenuWindow()) {
        RECT rect;
        ::GetWindowRect(window, &rect);
        shown.origin = {rect.left, rect.top};
    }
    HMENU menu = watch->menu;
    shown.defaultPosition = static_cast<int>(::GetMenuDefaultItem(menu, TRUE, 0));
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
        char text[128] = {};
        ::GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
        UINT state = ::GetMenuState(menu, position, MF_BYPOSITION);
        shown.items.push_back({::GetMenuItemID(menu, position), text, (state & MF_SEPARATOR) != 0,
                               (state & MF_CHECKED) != 0});
        if (state & MF_HILITE)
            shown.selectedPosition = position;
    }
}

LRESULT CALLBACK WatchSentMessages(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && watch && !watch->done) {
        if (sent->message == WM_INITMENUPOPUP) {
            watch->menu = reinterpret_cast<HMENU>(sent->wParam);
        } else if (sent->message == WM_ENTERIDLE && sent->wParam == MSGF_MENU && watch->menu) {
            watch->done = true;
            ReadMenu(sent->hwnd);
            if (watch->keys->empty()) {
                ::EndMenu();
            } else {
                for (WPARAM key : *watch->keys)
                    ::PostMessageA(sent->hwnd, WM_KEYDOWN, key, 0);
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

// Changing nothing on an icon the shell does not hold fails.
bool ShellHoldsIcon(HWND window, UINT id) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = window;
    record.uID = id;
    return ::Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

HICON ProgramIcon(int id) {
    return LoadTrayPicture(id);
}

LRESULT ClickTrayIcon(const CTrayIcon& tray, UINT mouseMessage) {
    if (!tray.SpeaksVersion4())
        return ::SendMessageA(tray, CTrayIcon::CallbackMessage(), tray.IconId(), mouseMessage);
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    return ::SendMessageA(tray, CTrayIcon::CallbackMessage(), MAKEWPARAM(cursor.x, cursor.y),
                          MAKELPARAM(mouseMessage, tray.IconId()));
}

ShownTrayMenu RightClickTrayIcon(const CTrayIcon& tray, const std::vector<WPARAM>& keys,
                                 UINT openedBy) {
    ShownTrayMenu shown;
    MenuWatch current{&keys, &shown};
    watch = &current;
    HHOOK hook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, WatchSentMessages, nullptr, ::GetCurrentThreadId());
    // Should the menu never fall idle, it is ended all the same rather than waiting forever.
    UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    shown.result = ClickTrayIcon(tray, openedBy);
    ::KillTimer(nullptr, guard);
    if (hook)
        ::UnhookWindowsHookEx(hook);
    watch = nullptr;
    return shown;
}

std::vector<int> CheckedInTrayMenu(const CTrayIcon& tray) {
    std::vector<int> checked;
    ShownTrayMenu menu = RightClickTrayIcon(tray);
    for (size_t i = 0; i < menu.items.size(); ++i)
        if (menu.items[i].checked)
            checked.push_back(static_cast<int>(i));
    return checked;
}
