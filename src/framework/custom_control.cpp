// Subclassing of the program's own controls through the common controls' subclass chain.
#include "framework/custom_control.h"

#include <commctrl.h>

namespace fw {

namespace {
const UINT_PTR kSubclassId = 1;
}

CustomControl::~CustomControl() {
    RemoveSubclass();
}

void CustomControl::Bind(HWND dialog, int id) {
    RemoveSubclass();
    Control::Bind(dialog, id);
    if (!hwnd_ ||
        !::SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return;
    subclassed_ = true;
    OnSubclassed();
}

LRESULT CustomControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CustomControl::Default(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

void CustomControl::RemoveSubclass() {
    if (subclassed_ && ::IsWindow(hwnd_))
        ::RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    subclassed_ = false;
}

LRESULT CALLBACK CustomControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR, DWORD_PTR self) {
    auto* control = reinterpret_cast<CustomControl*>(self);
    if (message == WM_NCDESTROY) {
        // The object may outlive its window (a modal dialog's controls do).
        control->RemoveSubclass();
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    // Nothing thrown may cross into the system's code that called this procedure.
    try {
        return control->WindowProc(message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

} // namespace fw
