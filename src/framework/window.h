// A plain window of the program's own window class, for windows that are not dialogs: each
// message goes to the object's virtual WindowProc.
#pragma once

#include <windows.h>

namespace fw {

// The window class of every such window.
inline constexpr char kWindowClassName[] = "MarrowinWindow";

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates the window with an empty title, no menu and the given style; false when the
    // window class cannot be registered or the window cannot be created.
    bool Create(DWORD style, int x, int y, int width, int height, HWND parent = nullptr);
    void Destroy();

    HWND Handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }

protected:
    // The normal processing of a message.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

} // namespace fw
