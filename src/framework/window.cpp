// The program's own window class, registered once, and the procedure that hands each message
// to its window object.
#include "framework/window.h"

namespace fw {

namespace {

bool RegisterWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClassName;
    registered =
        ::RegisterClassExA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

} // namespace

Window::~Window() {
    Destroy();
}

bool Window::Create(DWORD style, int x, int y, int width, int height, HWND parent) {
    if (!RegisterWindowClass(StaticWindowProc))
        return false;
    // The handle is stored at WM_NCCREATE, so the window's first messages reach the object.
    return ::CreateWindowExA(0, kWindowClassName, "", style, x, y, width, height, parent, nullptr,
                             ::GetModuleHandleA(nullptr), this) != nullptr;
}

void Window::Destroy() {
    if (hwnd_)
        ::DestroyWindow(hwnd_);
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    // Nothing thrown may cross into the system's code that called this procedure.
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace fw
