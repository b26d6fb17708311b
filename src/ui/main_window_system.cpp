// The main window's start with Windows: the start-up entry holds the rules; the window shows
// what they changed in its controls.
#include "ui/main_window.h"

void CDravenlokDlg::OnStartWithWindowsOption() {
    if (startWithWindowsBox_.IsChecked()) {
        if (!startupEntry_.TurnOn()) {
            startWithWindowsBox_.SetCheck(false); // nothing was written
            return;
        }
        startupTypeCombo_.Enable(true);
        startupTypeCombo_.SetCurSel(0);
    } else {
        // Items 0 and 1 are scopes 1 and 2; no selection is no entry.
        startupEntry_.TurnOff(startupTypeCombo_.GetCurSel() + 1);
        startupTypeCombo_.Enable(false);
        startupTypeCombo_.SetCurSel(-1);
    }
}

void CDravenlokDlg::OnStartupTypeChosen() {
    startupTypeCombo_.SetCurSel(startupEntry_.ChangeScope(startupTypeCombo_.GetCurSel() + 1) - 1);
}
