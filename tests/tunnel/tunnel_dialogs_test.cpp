// The connection-broken dialog and the TOR relay warning: run modally with the scripted user
// pressing their buttons, their texts, and the grey look with red and black labels.
#include "tunnel/connection_broken_dialog.h"
#include "tunnel/tor_warning_dialog.h"

#include "resource.h"
#include "support/dialog_input.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const COLORREF kGrey = RGB(214, 211, 206);
const char kTorText[] =
    "Relaying the Marrowin traffic to the TOR network will slowdown the speed of the connection";

// Runs the dialog modally while the scripted user presses one of its buttons.
INT_PTR RunPressing(fw::Dialog& dialog, int button) {
    ScriptedUser user;
    user.InDialog(dialog.TemplateId(), [button](fw::Dialog& running) {
        ::SendMessageA(running.Item(button), BM_CLICK, 0, 0);
        if (running.Result() == -1) {
            ADD_FAILURE() << "button " << button << " left the dialog open";
            running.EndDialog(-1);
        }
    });
    return dialog.DoModal();
}

COLORREF BrushColour(LRESULT brush) {
    LOGBRUSH logBrush = {};
    ::GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof(logBrush), &logBrush);
    return logBrush.lbColor;
}

// The dialog's answer to a colour request for one of its controls, with what it did to the DC.
struct ColourAnswer {
    COLORREF brush;
    COLORREF text;
    int backgroundMode;
};

ColourAnswer AskColour(HWND dialog, UINT message, HWND control) {
    HDC dc = ::GetDC(control);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SetBkMode(dc, OPAQUE);
    LRESULT brush = ::SendMessageA(dialog, message, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(control));
    ColourAnswer answer = {BrushColour(brush), ::GetTextColor(dc), ::GetBkMode(dc)};
    ::ReleaseDC(control, dc);
    return answer;
}

void ExpectHeading(const CLabel* label) {
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->TextColor(), RGB(255, 0, 0));
    EXPECT_EQ(label->Font().lfWeight, FW_BOLD);
    EXPECT_EQ(label->Font().lfHeight, -16);
}

void ExpectText(const CLabel* label) {
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->TextColor(), RGB(0, 0, 0));
    EXPECT_EQ(label->Font().lfWeight, FW_NORMAL);
    EXPECT_EQ(label->Font().lfHeight, -14);
}

TEST(ConnectionBrokenDialog, ReconnectGivesOneAndEveryOtherWayOutGivesTwo) {
    for (int button : {IDC_RECONNECT_BUTTON, IDC_RESET_BROWSER_BUTTON, IDCANCEL}) {
        CErrorDlg dialog;
        EXPECT_EQ(RunPressing(dialog, button), button == IDC_RECONNECT_BUTTON ? 1 : 2) << button;
    }

    ScriptedUser user;
    user.InDialog(IDD_CONNECTION_BROKEN,
                  [](fw::Dialog& running) { ::SendMessageA(running, WM_CLOSE, 0, 0); });
    CErrorDlg closed;
    EXPECT_EQ(closed.DoModal(), 2);
}

TEST(ConnectionBrokenDialog, IsTopMostWithItsTexts) {
    CErrorDlg dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_TRUE(::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char title[64] = {};
    ::GetWindowTextA(dialog, title, sizeof(title));
    EXPECT_STREQ(title, "Marrowin connection broken ....");
    EXPECT_EQ(ItemText(dialog, IDC_BROKEN_TEXT3),
              "Alternatively you can reset your Internet Explorer settings to its default values "
              "and continue to surf unprotected. ");
    EXPECT_EQ(ItemText(dialog, IDC_RESET_BROWSER_BUTTON),
              "Reset Internet Explorer settings  and continue unprotected ");
}

TEST(ConnectionBrokenDialog, PaintsGreyWithARedHeadingAndBlackText) {
    CErrorDlg dialog;
    ASSERT_TRUE(dialog.Create());
    ExpectHeading(dialog.Label(IDC_BROKEN_TITLE));
    for (int id : {IDC_BROKEN_TEXT1, IDC_BROKEN_TEXT2, IDC_BROKEN_TEXT3})
        ExpectText(dialog.Label(id));

    ColourAnswer heading = AskColour(dialog, WM_CTLCOLORSTATIC, dialog.Item(IDC_BROKEN_TITLE));
    EXPECT_EQ(heading.brush, kGrey);
    EXPECT_EQ(heading.text, RGB(255, 0, 0));
    EXPECT_EQ(heading.backgroundMode, TRANSPARENT);

    ColourAnswer text = AskColour(dialog, WM_CTLCOLORSTATIC, dialog.Item(IDC_BROKEN_TEXT2));
    EXPECT_EQ(text.brush, kGrey);
    EXPECT_EQ(text.text, RGB(0, 0, 0));
    EXPECT_EQ(text.backgroundMode, TRANSPARENT);

    ColourAnswer button = AskColour(dialog, WM_CTLCOLORBTN, dialog.Item(IDC_RECONNECT_BUTTON));
    EXPECT_EQ(button.brush, kGrey);
    EXPECT_EQ(button.backgroundMode, TRANSPARENT);

    EXPECT_EQ(AskColour(dialog, WM_CTLCOLORDLG, dialog).brush, kGrey);
}

TEST(TorWarning, AddsTheRestartNoteOnlyWhileAConnectionIsOpen) {
    CTorWarning stopped;
    ASSERT_TRUE(stopped.Create());
    EXPECT_EQ(ItemText(stopped, IDC_WARNING_TEXT), kTorText);

    CTorWarning running;
    running.SetConnectionOpen(true);
    ASSERT_TRUE(running.Create());
    EXPECT_EQ(ItemText(running, IDC_WARNING_TEXT),
              std::string(kTorText) +
                  "\r\nThe connection is allready open. In order for this setting to take "
                  "effect you will need to restart the connection");
}

TEST(TorWarning, HasARedHeadingAndBlackTextAndOkClosesIt) {
    CTorWarning dialog;
    ASSERT_TRUE(dialog.Create());
    char title[64] = {};
    ::GetWindowTextA(dialog, title, sizeof(title));
    EXPECT_STREQ(title, "Marrowin: Warning");
    EXPECT_EQ(ItemText(dialog, IDC_WARNING_TITLE), "WARNING:");
    ExpectHeading(dialog.Label(IDC_WARNING_TITLE));
    ExpectText(dialog.Label(IDC_WARNING_TEXT));

    CTorWarning modal;
    EXPECT_EQ(RunPressing(modal, IDOK), IDOK);
}

} // namespace
