// The notification-area icon, its hidden window, and the tray menu with the left-click command.
#include "ui/tray_icon.h"

#include "framework/application.h"
#include "framework/dialog.h"
#include "owners/owners.h"

#include <windowsx.h>

#include <utility>
#include <vector>

// The record the shell is given is the second version of the narrow form: 488 bytes in a
// 32-bit program, 504 in a 64-bit one, where the handles are wider.
static_assert(NOTIFYICONDATAA_V2_SIZE == (sizeof(void*) == 8 ? 504 : 488),
              "unexpected size of the second version of NOTIFYICONDATAA");

namespace {

const UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// Broadcast to all top-level windows when the shell (re)starts its taskbar.
UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// The tray menu resource, loaded for one use.
fw::Menu LoadTrayMenu(UINT id) {
    return fw::Menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
}

// The menu's first popup; null when the menu or its popup cannot be loaded.
HMENU FirstPopup(const fw::Menu& menu) {
    return menu ? ::GetSubMenu(menu, 0) : nullptr;
}

} // namespace

HICON LoadTrayPicture(int id) {
    struct Picture {
        int id;
        int size;
        fw::Icon icon;
    };
    static std::vector<Picture> loaded;
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    for (const Picture& picture : loaded) {
        if (picture.id == id && picture.size == size)
            return picture.icon.Get();
    }
    fw::Icon icon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                  MAKEINTRESOURCEA(id), IMAGE_ICON, size, size,
                                                  LR_DEFAULTCOLOR)));
    if (!icon)
        return nullptr;
    loaded.push_back({id, size, std::move(icon)});
    return loaded.back().icon.Get();
}

UINT CTrayIcon::CallbackMessage() {
    static const UINT message = ::RegisterWindowMessageA("CTrayIcon");
    return message;
}

CTrayIcon::~CTrayIcon() {
    if (enabled_) {
        record_.uFlags = 0;
        ::Shell_NotifyIconA(NIM_DELETE, &record_);
        enabled_ = false;
    }
    Destroy();
}

bool CTrayIcon::Create(const std::string& tip, HICON icon, UINT id) {
    id_ = id;
    record_ = {};
    enabled_ = false;
    // Systems before version 4 have no notification area.
    if (LOBYTE(LOWORD(::GetVersion())) < 4)
        return false;
    // Without its window nobody would hear the icon's clicks or remove it again.
    if (!fw::Window::Create(WS_POPUP, 0, 0, 10, 10))
        return false;

    record_.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record_.hWnd = Handle();
    record_.uID = id;
    record_.uFlags = kIconFlags;
    record_.uCallbackMessage = CallbackMessage();
    record_.hIcon = icon;
    tip.copy(record_.szTip, sizeof(record_.szTip) - 1);
    enabled_ = ::Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
    if (!enabled_)
        record_ = {};
    else
        AskForVersion4();
    return enabled_;
}

// A shell that refuses it goes on with the mouse messages alone.
void CTrayIcon::AskForVersion4() {
    NOTIFYICONDATAA version = record_;
    version.uVersion = NOTIFYICON_VERSION_4;
    version4_ = ::Shell_NotifyIconA(NIM_SETVERSION, &version) != FALSE;
}

void CTrayIcon::SetIcon(HICON icon) {
    if (!enabled_)
        return;
    record_.uFlags = NIF_ICON;
    record_.hIcon = icon;
    ::Shell_NotifyIconA(NIM_MODIFY, &record_);
}

void CTrayIcon::ShowBalloon(const std::string& title, const std::string& text, DWORD infoIcon) {
    if (!enabled_)
        return;
    record_.uFlags = NIF_INFO;
    ::lstrcpynA(record_.szInfoTitle, title.c_str(), sizeof(record_.szInfoTitle));
    ::lstrcpynA(record_.szInfo, text.c_str(), sizeof(record_.szInfo));
    record_.dwInfoFlags = infoIcon;
    ::Shell_NotifyIconA(NIM_MODIFY, &record_);
}

// A restarted shell has forgotten the icon. A failed add needs nothing done: either the icon
// survived (the shell refuses a duplicate) or the new shell refuses it, and the removal at the
// end is harmless in both cases.
void CTrayIcon::AddAgain() {
    if (!enabled_)
        return;
    record_.uFlags = kIconFlags;
    if (::Shell_NotifyIconA(NIM_ADD, &record_))
        AskForVersion4();
}

HWND CTrayIcon::MainWindow() {
    fw::Application* app = fw::Application::Current();
    fw::Dialog* window = app ? app->MainWindow() : nullptr;
    return window ? window->Handle() : nullptr;
}

LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TaskbarCreatedMessage() && message != 0) {
        AddAgain();
        return 0;
    }
    UINT iconId = version4_ ? HIWORD(lParam) : static_cast<UINT>(wParam);
    if (message == CallbackMessage() && message != 0 && iconId == id_) {
        anchor_ = {GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
        if (!version4_)
            ::GetCursorPos(&anchor_);
        LRESULT result = 0;
        if (OnIconMessage(LOWORD(lParam), result))
            return result;
    }
    return fw::Window::WindowProc(message, wParam, lParam);
}

bool CTrayIcon::OnIconMessage(UINT mouseMessage, LRESULT& result) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (HWND mainWindow = MainWindow())
            ::PostMessageA(mainWindow, WM_SYSCOMMAND, SC_RESTORE, 0);
        result = 1;
        return true;
    default:
        return false;
    }
}

CMenuTrayIcon::CMenuTrayIcon(const std::string& tip, HICON icon, UINT id, UINT defaultCommand,
                             bool defaultByPosition) {
    Create(tip, icon, id);
    SetDefaultCommand(defaultCommand, defaultByPosition);
}

// The menu is loaded afresh each time it is shown and gets its default item then; here it is
// only loaded to learn whether it can be.
bool CMenuTrayIcon::SetDefaultCommand(UINT commandOrPosition, bool byPosition) {
    if (commandOrPosition == defaultCommand_ && byPosition == defaultByPosition_)
        return true;
    defaultCommand_ = commandOrPosition;
    defaultByPosition_ = byPosition;
    fw::Menu menu = LoadTrayMenu(IconId());
    HMENU popup = FirstPopup(menu);
    if (!popup)
        return false;
    ::SetMenuDefaultItem(popup, defaultCommand_, defaultByPosition_ ? TRUE : FALSE);
    return true;
}

void CMenuTrayIcon::SetPrivacyState(bool on) {
    previousCheckPosition_ = privacyCheckPosition_;
    privacyCheckPosition_ = on ? kPrivacyOnPosition : kPrivacyOffPosition;
}

bool CMenuTrayIcon::OnIconMessage(UINT mouseMessage, LRESULT& result) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        leftButtonDown_ = true;
        result = 1;
        return true;
    case WM_LBUTTONUP:
        selectFollows_ = SpeaksVersion4();
        // A release whose press was not on the icon, or the second release of a double click.
        if (!leftButtonDown_)
            return false;
        result = OnLeftButtonUp();
        return true;
    case NIN_SELECT:
        if (std::exchange(selectFollows_, false)) {
            result = 0;
            return true;
        }
        result = RunDefaultCommand();
        return true;
    case NIN_KEYSELECT:
        result = RunDefaultCommand();
        return true;
    case WM_RBUTTONUP: {
        contextMenuFollows_ = SpeaksVersion4();
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        result = ShowMenu(cursor, false);
        return true;
    }
    case WM_CONTEXTMENU:
        result = std::exchange(contextMenuFollows_, false) ? 0 : ShowMenu(Anchor(), true);
        return true;
    default:
        return false;
    }
}

LRESULT CMenuTrayIcon::OnLeftButtonUp() {
    leftButtonDown_ = false;
    return RunDefaultCommand();
}

LRESULT CMenuTrayIcon::RunDefaultCommand() {
    HWND mainWindow = MainWindow();
    if (!mainWindow)
        return 0;
    ::SetForegroundWindow(mainWindow);
    UINT command = defaultCommand_;
    if (defaultByPosition_) {
        fw::Menu menu = LoadTrayMenu(IconId());
        HMENU popup = FirstPopup(menu);
        if (!popup)
            return 0;
        command = ::GetMenuItemID(popup, static_cast<int>(defaultCommand_));
        if (command == static_cast<UINT>(-1))
            return 0;
    }
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return 1;
}

LRESULT CMenuTrayIcon::ShowMenu(POINT at, bool byKeyboard) {
    fw::Menu menu = LoadTrayMenu(IconId());
    HMENU popup = FirstPopup(menu);
    HWND mainWindow = MainWindow();
    if (!popup || !mainWindow)
        return 0;
    ::SetMenuDefaultItem(popup, defaultCommand_, defaultByPosition_ ? TRUE : FALSE);
    if (previousCheckPosition_ >= 0)
        ::CheckMenuItem(popup, static_cast<UINT>(previousCheckPosition_),
                        MF_BYPOSITION | MF_UNCHECKED);
    ::CheckMenuItem(popup, static_cast<UINT>(privacyCheckPosition_), MF_BYPOSITION | MF_CHECKED);

    // The menu closes on a click elsewhere only when its owner is the foreground window, and
    // it only closes properly when the owner gets a message after it.
    ::SetForegroundWindow(mainWindow);
    // The menu's own loop takes the Down key waiting for it and selects the first item.
    if (byKeyboard)
        ::PostMessageA(mainWindow, WM_KEYDOWN, VK_DOWN, 0);
    ::TrackPopupMenu(popup, 0, at.x, at.y, 0, mainWindow, nullptr);
    ::PostMessageA(mainWindow, WM_NULL, 0, 0);
    // The keyboard's focus goes back to the notification area.
    NOTIFYICONDATAA focus = Record();
    ::Shell_NotifyIconA(NIM_SETFOCUS, &focus);
    return 1;
}
