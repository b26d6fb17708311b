// What the browser proxy dialog stored, shown in the main window's forwarding list and label.
#include "ui/main_window.h"

void CDravenlokDlg::ShowSavedProxy(const ProxyForwardingChange& change) {
    switch (change.kind) {
    case ProxyForwardingChange::Kind::Moved:
        forwardingList_.Replace(
            forwardingList_.FindForwardingRow(change.oldLocalPort, change.account),
            change.forwarding);
        break;
    case ProxyForwardingChange::Kind::Added:
        forwardingList_.Append({change.account, change.forwarding},
                               change.account == defaultAccountName_);
        break;
    case ProxyForwardingChange::Kind::None:
        break;
    }
    ShowProxySettingsSet(true);
}
