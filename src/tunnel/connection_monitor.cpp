// What the main window does with the SSH client's reports: an established connection shows
// the window again and lets the status window count down; a dropped one stops the tunnel and
// either starts the reconnect sequence (10 attempts, 10 seconds apart) or asks the user.
#include "app/client_messages.h"
#include "tunnel/connection_broken_dialog.h"
#include "tunnel/status_window.h"
#include "ui/main_window.h"

namespace {

const int kMaximumRetries = 10;
const UINT kReconnectPeriodMs = 10000;

} // namespace

void CDravenlokDlg::OnConnectionEstablished() {
    if (statusWindow_)
        statusWindow_->SetEstablished();
    ::SetWindowTextA(Handle(), "Marrowin");
    ::ShowWindow(Handle(), SW_SHOW);
    // The tunnel is up again: a running reconnect sequence has done its job.
    EndReconnectSequence();
}

void CDravenlokDlg::OnConnectionLost() {
    ::SetWindowTextA(Handle(), "Marrowin");
    ::ShowWindow(Handle(), SW_SHOW);
    bool reconnect = settings_->ReadFlag("Main", "reconnect", false);
    if (statusWindow_)
        statusWindow_->SetDropped();
    if (tunnelRunning_)
        StartStopTunnel();

    if (reconnect && !reconnectSequenceActive_) {
        // The sequence becomes active with its first attempt, ten seconds from now.
        ::SetTimer(Handle(), kReconnectTimer, kReconnectPeriodMs, nullptr);
        return;
    }
    CErrorDlg question(Handle());
    if (question.DoModal() == 1) {
        StartStopTunnel();
    } else if (useBrowserProxyBox_.IsChecked()) {
        // As if the user had unchecked the box: the browser goes direct and stays so.
        ApplyBrowserProxyOption(false);
        useBrowserProxy_ = false;
        useBrowserProxyBox_.SetCheck(false);
    }
}

void CDravenlokDlg::OnReconnectTimer() {
    if (!reconnectSequenceActive_ || retryCounter_ != kMaximumRetries) {
        RelaunchTunnel();
        reconnectSequenceActive_ = true;
        return;
    }
    ::KillTimer(Handle(), kReconnectTimer);
    if (clientProcess_.hProcess)
        AbortReconnect();
    reconnectSequenceActive_ = false;
    retryCounter_ = 0;
    if (statusWindow_)
        statusWindow_->SetMaximumReached();
}

void CDravenlokDlg::EndReconnectSequence() {
    ::KillTimer(Handle(), kReconnectTimer);
    reconnectSequenceActive_ = false;
    retryCounter_ = 0;
}

// A client that ends without reporting is taken as a dropped connection, so that "Privacy ON"
// never shows over a dead tunnel. One whose report is still on its way is left to the report.
void CDravenlokDlg::OnClientWatchTimer() {
    if (!tunnelRunning_ || !clientProcess_.hProcess) {
        ::KillTimer(Handle(), kClientWatchTimer);
        return;
    }
    if (::WaitForSingleObject(clientProcess_.hProcess, 0) != WAIT_OBJECT_0)
        return;
    ::KillTimer(Handle(), kClientWatchTimer);
    MSG pending;
    if (::PeekMessageA(&pending, Handle(), WM_QV_STOP, WM_QV_STOP, PM_NOREMOVE))
        return;
    OnConnectionLost();
}

void CDravenlokDlg::OnReconnectOption() {
    settings_->WriteString("Main", "reconnect", reconnectBox_.IsChecked() ? "1" : "0");
}
