// Privacy on and off in the main window: the handlers ask the privacy session and show its
// answer together on the Start button, the status label and the tray icon, the status window
// and the boxes. Also the client's reports, its reason for a failed run in a balloon of the
// tray icon and the reconnect sequence's timer.
#include "ui/main_window.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "tunnel/client_messages.h"
#include "tunnel/connection_broken_dialog.h"
#include "tunnel/status_window.h"
#include "ui/tray_icon.h"

namespace {
const UINT kReconnectPeriodMs = 10000;
const UINT kClientWatchPeriodMs = 1000;
} // namespace

void CDravenlokDlg::StartStopTunnel() {
    if (session_.IsRunning())
        StopTunnel();
    else
        StartTunnel();
}

void CDravenlokDlg::StartTunnel() {
    std::string account = accountsCombo_.GetText();
    if (!account.empty()) {
        // The client finds the window under this title until it reports back.
        ::SetWindowTextA(Handle(), "Dravenlok");
        ::ShowWindow(Handle(), SW_HIDE);
        StartOutcome started = session_.Start(account, StartKind::Manual);
        if (!started.running) {
            ShowWindowAsMarrowin();
            fw::ShowMessageBox(Handle(), started.failure, kProgramName, MB_OK | MB_ICONSTOP);
            return;
        }
        ShowStarted(started, kPrivacyOnGreen);
    }

    // A Start from inside an open status window's modal run does not open a second one.
    if (statusWindow_)
        return;
    CConnDlg status(Handle());
    status.SetAccountName(account);
    status.SetReconnect(session_.ReconnectOption());
    status.SetProxy(session_.UsesBrowserProxy());
    status.SetTor(options_.TorEnabled());
    statusWindow_ = &status;
    status.DoModal();
    statusWindow_ = nullptr;
}

void CDravenlokDlg::StopTunnel() {
    session_.Stop();
    ShowPrivacyState(false, kAlertRed);
}

// Starts the default account's tunnel at program start. Unlike Start, it writes no log, keeps
// the window and opens no status window.
void CDravenlokDlg::AutostartDefaultTunnel() {
    StartOutcome started = session_.Start(accounts_.DefaultName(), StartKind::Autostart);
    if (started.running) {
        ShowStarted(started, kAutostartGreen);
        return;
    }
    SetTrayPrivacyState(false);
    if (!started.failure.empty())
        fw::ShowMessageBox(Handle(), started.failure, kProgramName, MB_OK | MB_ICONSTOP);
}

// A client that has just been started is watched, so that one that ends without reporting is
// noticed.
void CDravenlokDlg::ShowStarted(const StartOutcome& started, COLORREF color) {
    if (started.launched)
        ::SetTimer(Handle(), kClientWatchTimer, kClientWatchPeriodMs, nullptr);
    if (started.running)
        ShowPrivacyState(true, color);
}

void CDravenlokDlg::ShowPrivacyState(bool on, COLORREF color) {
    startButton_.SetText(on ? "Stop" : "Start");
    statusLabel_.SetText(on ? "Privacy ON" : "Privacy OFF");
    statusLabel_.SetFontBold(true).SetTextColor(color).SetFontSize(18);
    ShowTrayPicture(on);
    SetTrayPrivacyState(on);
}

void CDravenlokDlg::ShowWindowAsMarrowin() {
    ::SetWindowTextA(Handle(), kProgramName);
    ::ShowWindow(Handle(), SW_SHOW);
}

void CDravenlokDlg::OnConnectionEstablished() {
    if (statusWindow_)
        statusWindow_->SetEstablished();
    ShowWindowAsMarrowin();
    // The tunnel is up again: a running reconnect sequence has done its job.
    ::KillTimer(Handle(), kReconnectTimer);
    session_.OnEstablished();
}

// The tunnel has dropped: it is stopped, and either the reconnect sequence starts or the user
// is asked what to do.
void CDravenlokDlg::OnConnectionLost() {
    ShowWindowAsMarrowin();
    if (statusWindow_)
        statusWindow_->SetDropped();
    DropOutcome drop = session_.OnClientEnded();
    if (drop.stoppedClient)
        ShowPrivacyState(false, kAlertRed);
    // Before anything that waits for the user: the balloon comes with the news of the drop.
    if (!drop.reason.empty() && trayIcon_)
        trayIcon_->ShowBalloon(kProgramName, drop.reason, NIIF_ERROR);

    if (drop.startSequence) {
        ::SetTimer(Handle(), kReconnectTimer, kReconnectPeriodMs, nullptr);
        return;
    }
    CErrorDlg question(Handle());
    if (question.DoModal() == CErrorDlg::kReconnect) {
        // The reconnect sequence may have started the client again while the question was
        // open; the toggle would then stop it.
        if (!session_.IsRunning())
            StartStopTunnel();
    } else {
        options_.GiveUpBrowserProxy();
    }
}

// Our plink.exe says why its run failed, just before it reports the end.
LRESULT CDravenlokDlg::OnCopyData(const COPYDATASTRUCT* data) {
    return data && session_.OnClientReason(data->dwData, data->lpData, data->cbData) ? TRUE
                                                                                     : FALSE;
}

void CDravenlokDlg::OnReconnectTimer() {
    ReconnectTick tick = session_.OnReconnectTick(accountsCombo_.GetText());
    if (!tick.gaveUp) {
        if (statusWindow_)
            statusWindow_->SetRetryNumber(session_.Reconnect().Attempt());
        ShowStarted(tick.relaunch, kPrivacyOnGreen);
        return;
    }
    ::KillTimer(Handle(), kReconnectTimer);
    if (tick.stoppedClient)
        ShowPrivacyState(false, kAlertRed);
    if (statusWindow_)
        statusWindow_->SetMaximumReached();
}

// A client that ends without reporting is taken as a dropped connection, so that "Privacy ON"
// never shows over a dead tunnel. One whose report is still on its way is left to the report.
void CDravenlokDlg::OnClientWatchTimer() {
    ClientWatch watch = session_.WatchClient();
    if (watch == ClientWatch::Running)
        return;
    ::KillTimer(Handle(), kClientWatchTimer);
    MSG pending;
    if (watch == ClientWatch::NoClient ||
        ::PeekMessageA(&pending, Handle(), WM_QV_STOP, WM_QV_STOP, PM_NOREMOVE))
        return;
    OnConnectionLost();
}
