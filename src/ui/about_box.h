// The About box: the application icon, the version text and an OK button.
#pragma once

#include "framework/dialog.h"
#include "resource.h"

class CAboutDlg : public fw::Dialog {
public:
    explicit CAboutDlg(HWND parent) : fw::Dialog(IDD_ABOUTBOX, parent) {}
};
