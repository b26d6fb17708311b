// The framework's window procedures with real windows: nothing a handler throws leaves them,
// a dialog object being destroyed hears nothing more from its window, and a part of a dialog
// gets the messages its dialog leaves to it.
#include "framework/custom_control.h"
#include "framework/dialog.h"
#include "framework/dialog_part.h"
#include "framework/window.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <new>

namespace {

// Handled by throwing, as a handler that runs out of memory does.
const UINT kThrowingMessage = WM_APP + 1;
// Handled by a part of a dialog alone, and by both the part and its dialog.
const UINT kPartMessage = WM_APP + 2;
const UINT kSharedMessage = WM_APP + 3;

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

// A part that binds the OK button and records what reaches it.
class ProbePart : public fw::DialogPart {
public:
    explicit ProbePart(fw::Dialog& dialog) : fw::DialogPart(dialog) {
        OnCommand(IDOK, [this] { ++clicks; });
        for (UINT message : {kPartMessage, kSharedMessage})
            OnMessage(message, [](WPARAM, LPARAM) -> LRESULT { return 1; });
    }
    HWND okButton = nullptr;
    int clicks = 0;

protected:
    void DoDataExchange(HWND dialog) override { okButton = ::GetDlgItem(dialog, IDOK); }
};

class DialogWithPart : public fw::Dialog {
public:
    DialogWithPart() : fw::Dialog(IDD_ABOUTBOX) {
        OnMessage(kSharedMessage, [](WPARAM, LPARAM) -> LRESULT { return 2; });
    }
    ProbePart part{*this};
};

TEST(Framework, APartBindsItsControlsAndGetsWhatItsDialogLeavesToIt) {
    DialogWithPart dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.part.okButton, dialog.Item(IDOK));
    ::SendMessageA(dialog.Item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.part.clicks, 1);
    // Without the part, OK would have ended the dialog.
    EXPECT_EQ(dialog.Result(), -1);
    EXPECT_EQ(::SendMessageA(dialog, kPartMessage, 0, 0), 1);
    // A message both handle is the dialog's own.
    EXPECT_EQ(::SendMessageA(dialog, kSharedMessage, 0, 0), 2);
}

} // namespace
