// The connection-broken dialog and the TOR relay warning: run modally with the scripted user
// pressing their buttons, the note the warning adds, and the grey look with red and black labels.
#include "ui/dialogs/connection_broken_dialog.h"
#include "ui/dialogs/tor_warning_dialog.h"

#include "resource.h"
#include "support/dialog_input.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const COLORREF kGrey = RGB(214, 211, 206);

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

// A red bold heading, or black text.
void ExpectLabel(const CLabel* label, bool heading) {
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->TextColor(), heading ? RGB(255, 0, 0) : RGB(0, 0, 0));
    EXPECT_EQ(label->Font().lfWeight, heading ? FW_BOLD : FW_NORMAL);
    EXPECT_EQ(label->Font().lfHeight, heading ? -16 : -14);
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

TEST(ConnectionBrokenDialog, PaintsGreyWithARedHeadingAndBlackText) {
    CErrorDlg dialog;
    ASSERT_TRUE(dialog.Create());
    ExpectLabel(dialog.Label(IDC_BROKEN_TITLE), true);
    for (int id : {IDC_BROKEN_TEXT1, IDC_BROKEN_TEXT2, IDC_BROKEN_TEXT3})
        ExpectLabel(dialog.Label(id), false);

    for (auto [id, colour] :
         {std::pair{IDC_BROKEN_TITLE, RGB(255, 0, 0)}, std::pair{IDC_BROKEN_TEXT2, RGB(0, 0, 0)}}) {
        ColourAnswer answer = AskColour(dialog, WM_CTLCOLORSTATIC, dialog.Item(id));
        EXPECT_EQ(answer.brush, kGrey) << id;
        EXPECT_EQ(answer.text, colour) << id;
        EXPECT_EQ(answer.backgroundMode, TRANSPARENT) << id;
    }

    ColourAnswer button = AskColour(dialog, WM_CTLCOLORBTN, dialog.Item(IDC_RECONNECT_BUTTON));
    EXPECT_EQ(button.brush, kGrey);
    EXPECT_EQ(button.backgroundMode, TRANSPARENT);

    EXPECT_EQ(AskColour(dialog, WM_CTLCOLORDLG, dialog).brush, kGrey);
}

// The warning's own text, and the note to restart after it while a connection is open.
TEST(TorWarning, AddsTheRestartNoteOnlyWhileAConnectionIsOpen) {
    CTorWarning stopped;
    ASSERT_TRUE(stopped.Create());
    const std::string warning = ItemText(stopped, IDC_WARNING_TEXT);
    EXPECT_EQ(warning.find("restart"), std::string::npos) << warning;

    CTorWarning running;
    running.SetConnectionOpen(true);
    ASSERT_TRUE(running.Create());
    const std::string noted = ItemText(running, IDC_WARNING_TEXT);
    EXPECT_EQ(noted.rfind(warning + "\r\n", 0), 0u) << noted;
    EXPECT_NE(noted.find("you will need to restart the connection", warning.size()),
              std::string::npos)
        << noted;
}

TEST(TorWarning, HasARedHeadingAndBlackTextAndOkClosesIt) {
    CTorWarning dialog;
    ASSERT_TRUE(dialog.Create());
    ExpectLabel(dialog.Label(IDC_WARNING_TITLE), true);
    ExpectLabel(dialog.Label(IDC_WARNING_TEXT), false);

    CTorWarning modal;
    EXPECT_EQ(RunPressing(modal, IDOK), IDOK);
}

} // namespace
