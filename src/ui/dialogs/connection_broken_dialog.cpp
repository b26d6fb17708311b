// The connection-broken dialog: Reconnect, or reset the browser's settings and continue.
#include "ui/dialogs/connection_broken_dialog.h"

#include "help_ids.h"
#include "resource.h"

CErrorDlg::CErrorDlg(HWND parent) : NoticeDialog(IDD_CONNECTION_BROKEN, parent) {
    SetHelpTopic(IDH_TUNNEL_FAILURES);
    AddHeading(title_, IDC_BROKEN_TITLE);
    AddText(cause_, IDC_BROKEN_TEXT1);
    AddText(reconnectHint_, IDC_BROKEN_TEXT2);
    AddText(resetHint_, IDC_BROKEN_TEXT3);
    OnCommand(IDC_RECONNECT_BUTTON, [this] { EndDialog(kReconnect); });
    OnCommand(IDC_RESET_BROWSER_BUTTON, [this] { EndDialog(kContinueUnprotected); });
    // Closing from the title bar arrives as Cancel too.
    OnCommand(IDCANCEL, [this] { EndDialog(kContinueUnprotected); });
}
