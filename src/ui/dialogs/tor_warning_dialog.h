// CTorWarning: warns that relaying through the TOR network slows the connection down, and that
// a running tunnel has to be restarted for the change to apply.
#pragma once

#include "ui/dialogs/notice_dialog.h"

class CTorWarning : public NoticeDialog {
public:
    explicit CTorWarning(HWND parent = nullptr);

    // Set before the run when a tunnel is running.
    void SetConnectionOpen(bool open) { connectionOpen_ = open; }

protected:
    bool OnInitDialog() override;

private:
    bool connectionOpen_ = false;
    CLabel title_;
    CLabel text_;
};
