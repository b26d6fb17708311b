// The main window's look: its labels and header buttons styled at start-up, the grey of the
// window with white fields, the application icon while minimised and as the drag icon.
#include "ui/main_window.h"

#include "controls/look.h"
#include "resource.h"

void CDravenlokDlg::AddLookHandlers() {
    for (UINT message : {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORBTN,
                         WM_CTLCOLORLISTBOX, WM_CTLCOLORSCROLLBAR}) {
        OnMessage(message,
                  [this, message](WPARAM w, LPARAM l) { return OnCtlColor(message, w, l); });
    }
    OnMessage(WM_PAINT, [this](WPARAM, LPARAM) { return OnPaint(); });
    OnMessage(WM_QUERYDRAGICON,
              [this](WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(appIcon_); });
}

void CDravenlokDlg::StyleLabelsAndHeaders() {
    statusLabel_.SetFontBold(true).SetTextColor(kAlertRed).SetFontSize(18).SetBkColor(kWindowGrey);
    for (CLabel* heading : {&forwardingsHeading_, &serverSettingsHeading_, &versionLabel_})
        heading->SetFontBold(true).SetTextColor(kTextBlack).SetBkColor(kWindowGrey);
    // The headers are the same bar whether pressed or not: they have no command.
    for (CxSkinButton* header : {&mainMenuHeader_, &tunnelSettingsHeader_}) {
        header->SetSkin(IDB_HEADER_SKIN, IDB_HEADER_SKIN, 0, 0, 0, 0, CxSkinButton::kStretch, 0, 0);
        header->SetTextOffset(-3);
        header->SetTextColor(kWhite);
        header->SetShadow(true);
    }
    proxySettingsLabel_.SetFontBold(true)
        .SetTextColor(kTextBlack)
        .SetFontSize(10)
        .SetBkColor(kWindowGrey);
}

void CDravenlokDlg::CreateBrushes() {
    greyBrush_.Reset(::CreateSolidBrush(kWindowGrey));
    whiteBrush_.Reset(::CreateSolidBrush(kWhite));
}

// Everything stands on the grey, except the fields the user types into or chooses from. A
// label keeps the text colour it chose when its request was passed back to it.
LRESULT CDravenlokDlg::OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) {
    ReflectToControl(message, wParam, lParam);
    auto dc = reinterpret_cast<HDC>(wParam);
    auto control = reinterpret_cast<HWND>(lParam);
    ::SetBkMode(dc, TRANSPARENT);
    switch (FieldId(control)) {
    case IDC_LOCAL_PORT:
    case IDC_USER_NAME:
    case IDC_PASSWORD:
    case IDC_SERVER_NAME:
    case IDC_STARTUP_TYPE:
    case IDC_PORT_DESCRIPTION:
    case IDC_SERVER_PORT:
    case IDC_TARGET_SERVER:
    case IDC_TARGET_PORT:
        ::SetTextColor(dc, kTextBlack);
        ::SetBkColor(dc, kWhite);
        return reinterpret_cast<LRESULT>(whiteBrush_.Get());
    default:
        if (!IsLabel(control))
            ::SetTextColor(dc, kTextBlack);
        ::SetBkColor(dc, kWindowGrey);
        return reinterpret_cast<LRESULT>(greyBrush_.Get());
    }
}

// The edit and the drop-down list of a combo box ask for their colours as the combo box.
int CDravenlokDlg::FieldId(HWND control) const {
    if (control == Handle())
        return 0;
    for (int combo : {IDC_SERVER_NAME, IDC_STARTUP_TYPE}) {
        COMBOBOXINFO parts = {};
        parts.cbSize = sizeof(parts);
        if (::GetComboBoxInfo(Item(combo), &parts) &&
            (control == parts.hwndItem || control == parts.hwndList))
            return combo;
    }
    return ::GetDlgCtrlID(control);
}

bool CDravenlokDlg::IsLabel(HWND control) const {
    for (const CLabel* label : {&statusLabel_, &proxySettingsLabel_, &forwardingsHeading_,
                                &serverSettingsHeading_, &versionLabel_}) {
        if (label->Handle() == control)
            return true;
    }
    return false;
}

// Minimised, the window shows the application icon in the middle of its client area.
LRESULT CDravenlokDlg::OnPaint() {
    if (!::IsIconic(Handle()))
        return ::DefWindowProcA(Handle(), WM_PAINT, 0, 0);
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    ::SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(Handle(), &client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, appIcon_);
    ::EndPaint(Handle(), &paint);
    return 0;
}
