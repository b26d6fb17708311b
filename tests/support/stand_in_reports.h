// A window that stands for Marrowin's main window where an SSH client reports: a top-level
// dialog ("#32770") of the given title that counts the client's reports and, like the main
// window, takes the failure reason that came before each "WM_QV_STOP" ("" when none came).
#pragma once

#include "framework/dialog.h"
#include "tunnel/failure_notice.h"

#include <windows.h>

#include <string>
#include <vector>

class ReportWindow : public fw::Dialog {
public:
    explicit ReportWindow(const char* title);
    std::vector<UINT> arrived;
    std::vector<std::string> reasonsAtStop;
    size_t Count(UINT message) const;

private:
    FailureNotice notice_;
};
