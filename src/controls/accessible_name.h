// What a screen reader reads of a control: its name, role, state and description. A control
// given them answers the screen reader's WM_GETOBJECT with the system's own accessible object
// for it, in which these are replaced; all else (its value, its children, its place) stays the
// system's. Where nothing is given the system's own answer stands, so a drawn control keeps
// its text as its name.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct AccessibleName {
    std::optional<std::wstring> name; // none: the control's text, as the system reads it
    long role = 0;                    // ROLE_SYSTEM_PUSHBUTTON ...; 0: the system's
    long state = -1;                  // STATE_SYSTEM_* flags; -1: the system's
    std::wstring description;         // empty: the system's
};

// Once for each control. Returns false when the control could not be given them; it then
// reads as before.
bool GiveAccessibleName(HWND control, const AccessibleName& accessible);
// Tells screen readers that the control's name changed (its text, say), so that they say it.
void AnnounceNameChange(HWND control);
