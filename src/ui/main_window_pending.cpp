// Steps of the main window that belong to subsystems not in the program yet: the accounts
// editor, the forwarding list and the tray icon. Each does nothing
// until its subsystem replaces it.
#include "ui/main_window.h"

void CDravenlokDlg::SetUpForwardingList() {}
void CDravenlokDlg::FillForwardingList() {}
void CDravenlokDlg::MarkDefaultForwardings() {}
void CDravenlokDlg::ShowAccount() {}
void CDravenlokDlg::SetTrayIcon(bool) {}
void CDravenlokDlg::SetTrayPrivacyState(bool) {}
