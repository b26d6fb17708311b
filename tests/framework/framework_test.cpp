// The framework's window procedures with real windows: nothing a handler throws leaves them,
// and a dialog object being destroyed hears nothing more from its window.
#include "framework/custom_control.h"
#include "framework/dialog.h"
#include "framework/window.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <new>

namespace {

// Handled by throwing, as a handler that runs out of memory does.
const UINT kThrowingMessage = WM_APP + 1;

// Counts the WM_DESTROY messages its handler gets, in a counter that outlives it.
class ProbeDialog : public fw::Dialog {
public:
    explicit ProbeDialog(int& destroyMessages) : fw::Dialog(IDD_ABOUTBOX) {
        OnMessage(kThrowingMessage, [](WPARAM, LPARAM) -> LRESULT { throw std::bad_alloc(); });
        OnMessage(WM_DESTROY, [&destroyMessages](WPARAM, LPARAM) -> LRESULT {
            ++destroyMessages;
            return 0;
        });
    }
};

class ThrowingWindow : public fw::Window {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrowingMessage)
            throw std::bad_alloc();
        return fw::Window::WindowProc(message, wParam, lParam);
    }
};

class ThrowingControl : public fw::CustomControl {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrowingMessage)
            throw std::bad_alloc();
        return Default(message, wParam, lParam);
    }
};

TEST(Framework, AThrowingHandlerLeavesItsMessageUnhandledAndADestroyedDialogHearsNoMore) {
    int destroyMessages = 0;
    {
        ProbeDialog dialog(destroyMessages);
        ASSERT_TRUE(dialog.Create());
        ThrowingWindow window;
        ASSERT_TRUE(window.Create(0, 0, 0, 100, 100));
        ThrowingControl control;
        control.Bind(dialog, IDOK);
        for (HWND hwnd : {dialog.Handle(), window.Handle(), control.Handle()}) {
            EXPECT_EQ(::SendMessageA(hwnd, kThrowingMessage, 0, 0), 0);
            EXPECT_TRUE(::IsWindow(hwnd));
        }
    }
    // The dialog's window is destroyed after the object has let go of it.
    EXPECT_EQ(destroyMessages, 0);
}

} // namespace
