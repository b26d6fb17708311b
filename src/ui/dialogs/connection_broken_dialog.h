// CErrorDlg: asks the user what to do when the tunnel has dropped: reconnect, or put the
// browser back to direct and go on unprotected.
#pragma once

#include "ui/dialogs/notice_dialog.h"

class CErrorDlg : public NoticeDialog {
public:
    // The results of a run. Cancel and closing the window count as continuing unprotected.
    static const INT_PTR kReconnect = 1;
    static const INT_PTR kContinueUnprotected = 2;

    explicit CErrorDlg(HWND parent = nullptr);

private:
    CLabel title_;
    CLabel cause_;
    CLabel reconnectHint_;
    CLabel resetHint_;
};
