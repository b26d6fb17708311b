// The TOR relay warning, with a note to restart when a tunnel is already running.
#include "ui/dialogs/tor_warning_dialog.h"

#include "help_ids.h"
#include "resource.h"

CTorWarning::CTorWarning(HWND parent) : NoticeDialog(IDD_TOR_WARNING, parent) {
    SetHelpTopic(IDH_TOR_RELAY);
    AddHeading(title_, IDC_WARNING_TITLE);
    AddText(text_, IDC_WARNING_TEXT);
}

bool CTorWarning::OnInitDialog() {
    NoticeDialog::OnInitDialog();
    if (connectionOpen_)
        text_.SetText(text_.GetText() + "\r\nThe connection is allready open. In order for this "
                                        "setting to take effect you will need to restart the "
                                        "connection");
    return true;
}
