// The main window's browser proxy dialog and start with Windows: the dialog and the start-up
// entry hold the rules; the window shows what they changed in its list, label and controls.
#include "ui/main_window.h"

#include "system/proxy_dialog.h"

void CDravenlokDlg::ConfigureProxy() {
    IExplorerDlg dialog(Handle(), accounts_, browserProxy_, useBrowserProxy_,
                        [this](const ProxyForwardingChange& change) { ShowSavedProxy(change); });
    dialog.DoModal();
    // The proxy may now apply to another connection, at the next Start or Stop as well.
    connectionType_ = accounts_.Settings().ReadInt("IE", "connectionType");
}

void CDravenlokDlg::ShowSavedProxy(const ProxyForwardingChange& change) {
    accountsEditor_.ShowProxyForwarding(change);
    look_.ShowProxySettingsSet(true);
}

void CDravenlokDlg::OnStartWithWindowsOption() {
    if (startWithWindowsBox_.IsChecked()) {
        // A failure has shown its box: the box stays checked, the combo box and the setting
        // stay as they were.
        if (!startupEntry_.TurnOn())
            return;
        startupTypeCombo_.Enable(true);
        startupTypeCombo_.SetCurSel(0);
    } else {
        // Items 0 and 1 are scopes 1 and 2; no selection is no entry.
        startupEntry_.TurnOff(startupTypeCombo_.GetCurSel() + 1);
        startupTypeCombo_.Enable(false);
        startupTypeCombo_.SetCurSel(-1);
    }
}

// The combo box keeps the chosen item, also when a step failed and the setting stayed.
void CDravenlokDlg::OnStartupTypeChosen() {
    startupEntry_.ChangeScope(startupTypeCombo_.GetCurSel() + 1);
}
