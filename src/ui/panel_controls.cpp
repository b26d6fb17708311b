#include "ui/panel_controls.h"

void ShowSettingsPanelControls(HWND dialog, HWND leftStrip, bool shown) {
    RECT strip;
    if (!::GetWindowRect(leftStrip, &strip))
        return;
    // A focus left in a panel that closes would vanish with it.
    HWND focus = ::GetFocus();
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        RECT rect;
        if (control == leftStrip || !::GetWindowRect(control, &rect) || rect.left < strip.right)
            continue;
        if (!shown && (control == focus || ::IsChild(control, focus)))
            ::SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
        ::ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    }
}
