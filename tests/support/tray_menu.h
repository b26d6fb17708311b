// Clicks on the tray icon as the shell reports them, and the tray menu read while it is really
// open: a right click runs the menu's own modal loop, which the helper ends (or types into)
// once the menu is idle.
#pragma once

#include "ui/tray_icon.h"

#include <windows.h>

#include <string>
#include <vector>

// Whether the shell holds an icon for this window and id.
bool ShellHoldsIcon(HWND window, UINT id);
// The program's icon of that resource id (IDI_PRIVACY_ON ...), as the tray is given it.
HICON ProgramIcon(int id);

// Sends the icon's callback message for one mouse or keyboard message, as the shell does in
// the version the icon speaks; returns the result of the icon's window.
LRESULT ClickTrayIcon(const CTrayIcon& tray, UINT mouseMessage);

struct ShownMenuItem {
    UINT id;
    std::string text;
    bool separator;
    bool checked;
};

struct ShownTrayMenu {
    LRESULT result = 0;   // what the icon's window answered the right click with
    bool shown = false;   // the menu opened
    HWND owner = nullptr; // the window that owned the open menu
    POINT origin = {};    // the top-left corner of the open menu
    int defaultPosition = -1;
    int selectedPosition = -1; // the item selected when the menu fell idle
    std::vector<ShownMenuItem> items;
};

// Right-clicks the icon (or sends the message given, WM_CONTEXTMENU say) and reads the menu
// while it is open. Without keys the menu is then closed with nothing chosen; otherwise the keys
// (VK_DOWN, VK_RETURN ...) are typed into it.
ShownTrayMenu RightClickTrayIcon(const CTrayIcon& tray, const std::vector<WPARAM>& keys = {},
                                 UINT openedBy = WM_RBUTTONUP);
// The positions checked in the icon's menu, read while it is open.
std::vector<int> CheckedInTrayMenu(const CTrayIcon& tray);
