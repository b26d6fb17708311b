// The window's scale from GetDpiForWindow where user32 has it (Windows 10 and later), else the
// system's; looked up at run time, since the program also runs on Windows 7.
#include "framework/dpi.h"

#include "owners/owners.h"

namespace fw {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

GetDpiForWindowFunction GetDpiForWindowOfUser32() {
    static const auto function = reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    return function;
}

} // namespace

UINT WindowDpi(HWND window) {
    if (GetDpiForWindowFunction getDpiForWindow = GetDpiForWindowOfUser32()) {
        if (UINT dpi = getDpiForWindow(window))
            return dpi;
    }
    return SystemDpi();
}

UINT SystemDpi() {
    int dpi = ::GetDeviceCaps(WindowDc(nullptr), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

int ScaleForDpi(int pixels, UINT dpi) {
    return ::MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// The system's metrics are made for its own scale; a window on another monitor needs them at
// that monitor's.
int SystemMetricForDpi(int index, UINT dpi) {
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi),
                    static_cast<int>(SystemDpi()));
}

} // namespace fw
