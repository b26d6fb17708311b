// Privacy on and off in the main window: the handlers ask the privacy session and show its
// answer.
#include "ui/privacy_view.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "resource.h"
#include "tunnel/client_messages.h"
#include "ui/accounts_editor.h"
#include "ui/dialogs/connection_broken_dialog.h"
#include "ui/dialogs/status_window.h"
#include "ui/key_file_questions.h"
#include "ui/options_panel.h"
#include "ui/tray_icon.h"
#include "ui/window_look.h"

namespace {

const UINT kReconnectPeriodMs = 10000;
const UINT kClientWatchPeriodMs = 1000;
const UINT kSettlePeriodMs = 2000;

} // namespace

PrivacyView::PrivacyView(fw::Dialog& dialog, PrivacySession& session, WindowLook& look,
                         const AccountsEditor& accountsEditor, OptionsPanel& options)
    : fw::DialogPart(dialog), session_(session), look_(look), accountsEditor_(accountsEditor),
      options_(options) {
    OnCommand(IDC_START, [this] { StartStopTunnel(); });
    OnCommand(ID_TRAY_START, [this] { StartStopTunnel(); });
    OnCommand(ID_TRAY_STOP, [this] { StartStopTunnel(); });
    OnTimer(kReconnectTimer, [this] { OnReconnectTimer(); });
    OnTimer(kClientWatchTimer, [this] { OnClientWatchTimer(); });
    OnTimer(kSettleTimer, [this] { OnSettleTimer(); });
    OnMessage(WM_POWERBROADCAST, [this](WPARAM event, LPARAM) { return OnPowerBroadcast(event); });
    OnMessage(kNetworkChangeMessage,
              [this](WPARAM event, LPARAM) { return OnNetworkChange(event); });
    OnMessage(kProxySettingsMessage, [this](WPARAM, LPARAM) { return GuardBrowser(); });
    for (UINT report : {WM_QV_CON_START, WM_QV_CON_ESTH, WM_QV_STOP})
        OnMessage(report, [this, report](WPARAM, LPARAM) { return OnClientReport(report); });
    OnMessage(WM_COPYDATA, [this](WPARAM, LPARAM data) { return OnCopyData(data); });
}

void PrivacyView::DoDataExchange(HWND dialog) {
    startButton_.Bind(dialog, IDC_START);
}

void PrivacyView::StartStopTunnel() {
    if (session_.IsRunning())
        StopTunnel();
    else
        StartTunnel();
}

void PrivacyView::StartTunnel() {
    std::string account = accountsEditor_.SelectedAccount();
    if (!account.empty()) {
        if (!SettleKeyFileQuestions(DialogHandle(), session_, account))
            return;
        // The client finds the window under this title until it reports back.
        ::SetWindowTextA(DialogHandle(), "Dravenlok");
        ::ShowWindow(DialogHandle(), SW_HIDE);
        StartOutcome started = session_.Start(account, StartKind::Manual);
        if (!started.running) {
            ShowWindowAsMarrowin();
            fw::ShowMessageBox(DialogHandle(),
                               started.notStored ? "Please save the account before starting it!"
                                                 : started.failure.value_or(std::string()),
                               kProgramName, MB_OK | MB_ICONSTOP);
            return;
        }
        ShowStarted(started, Part::kPrivacyOn);
        account = session_.AccountName();
    }
    RunStatusWindow(account);
}

// A Start from inside an open status window's modal run does not open a second one.
void PrivacyView::RunStatusWindow(const std::string& account, const DropOutcome* drop) {
    if (statusWindow_) {
        if (drop)
            ShowDropInStatus(*drop);
        return;
    }
    CConnDlg status(DialogHandle());
    status.SetAccountName(account);
    status.SetReconnect(session_.ReconnectOption());
    status.SetProxy(session_.UsesBrowserProxy());
    status.SetTor(options_.TorEnabled());
    status.SetThroughSsh(session_.AccountBrowserWay() == BrowserWay::Ssh);
    statusWindow_ = &status;
    if (drop)
        ShowDropInStatus(*drop);
    status.DoModal();
    statusWindow_ = nullptr;
}

void PrivacyView::ShowDropInStatus(const DropOutcome& drop) {
    using Action = ReconnectSequence::DropAction;
    statusWindow_->SetDropped();
    if (drop.action == Action::AskUser)
        return;
    statusWindow_->SetReconnect(true);
    if (drop.action == Action::GiveUp)
        statusWindow_->SetHopelessReason(drop.reason);
    else
        statusWindow_->SetRetryNumber(session_.Reconnect().Attempt());
}

void PrivacyView::StopTunnel() {
    session_.Stop();
    ShowPrivacyState(false, Part::kAlert);
}

void PrivacyView::AutostartDefaultTunnel(const std::string& defaultAccount) {
    if (!SettleKeyFileQuestions(DialogHandle(), session_, defaultAccount)) {
        session_.AutostartCancelled();
        SetTrayPrivacyState(false);
        return;
    }
    StartOutcome started = session_.Start(defaultAccount, StartKind::Autostart);
    if (started.running) {
        ShowStarted(started, Part::kAutostart);
        return;
    }
    SetTrayPrivacyState(false);
    if (started.failure)
        fw::ShowMessageBox(DialogHandle(), *started.failure, kProgramName, MB_OK | MB_ICONSTOP);
}

// A client that has just been started is watched, so that one that ends without reporting is
// noticed.
void PrivacyView::ShowStarted(const StartOutcome& started, Part color) {
    if (started.launched)
        ::SetTimer(DialogHandle(), kClientWatchTimer, kClientWatchPeriodMs, nullptr);
    if (!started.running)
        return;
    ShowPrivacyState(true, color);
    // From the first start on: the IP Helper is not loaded before privacy is used.
    networkWatch_.Start(DialogHandle(), kNetworkChangeMessage);
    proxyWatch_.Start(DialogHandle(), kProxySettingsMessage);
}

void PrivacyView::ShowPrivacyState(bool on, Part color) {
    startButton_.SetText(on ? "Stop" : "Start");
    look_.ShowPrivacyState(on, color);
    ShowTrayPicture(on);
    SetTrayPrivacyState(on);
}

// Shown again while the status window's modal run holds the input, the window is disabled: the
// status window is brought back to the front, or the keyboard would reach neither.
void PrivacyView::ShowWindowAsMarrowin() {
    ::SetWindowTextA(DialogHandle(), kProgramName);
    ::ShowWindow(DialogHandle(), SW_SHOW);
    if (statusWindow_)
        ::SetForegroundWindow(statusWindow_->Handle());
}

// The client's reports are answered 0; its start needs nothing done.
LRESULT PrivacyView::OnClientReport(UINT report) {
    if (report == WM_QV_CON_ESTH)
        OnConnectionEstablished();
    else if (report == WM_QV_STOP)
        OnConnectionLost();
    return 0;
}

void PrivacyView::OnConnectionEstablished() {
    if (statusWindow_)
        statusWindow_->SetEstablished();
    // The tunnel is back: a question about the drop is answered.
    if (brokenDialog_)
        brokenDialog_->EndDialog(CErrorDlg::kReconnect);
    ShowWindowAsMarrowin();
    // The tunnel is up again: a running reconnect sequence has done its job.
    ::KillTimer(DialogHandle(), kReconnectTimer);
    session_.OnEstablished();
}

// The tunnel has dropped: it is stopped, and the reconnect sequence starts, goes on or ends, or
// the user is asked what to do. A failed attempt of a running sequence opens no window; the
// sequence shows in one status window.
void PrivacyView::OnConnectionLost() {
    ShowWindowAsMarrowin();
    DropOutcome drop = session_.OnClientEnded();
    if (drop.stoppedClient)
        ShowPrivacyState(false, Part::kAlert);
    // Before anything that waits for the user: the balloon comes with the news of the drop.
    if (!drop.reason.empty() && trayIcon_)
        trayIcon_->ShowBalloon(kProgramName, drop.reason, NIIF_ERROR);

    // The server's key has changed: the user decides about it in a box of its own.
    if (drop.changedKey) {
        ::KillTimer(DialogHandle(), kReconnectTimer);
        if (statusWindow_)
            ShowDropInStatus(drop);
        AskToTrustChangedKey(*drop.changedKey);
        return;
    }
    using Action = ReconnectSequence::DropAction;
    switch (drop.action) {
    case Action::StartSequence:
        ::SetTimer(DialogHandle(), kReconnectTimer, kReconnectPeriodMs, nullptr);
        RunStatusWindow(session_.AccountName(), &drop);
        return;
    case Action::GiveUp:
        ::KillTimer(DialogHandle(), kReconnectTimer);
        RunStatusWindow(session_.AccountName(), &drop);
        return;
    case Action::ContinueSequence:
        if (statusWindow_)
            ShowDropInStatus(drop);
        return;
    case Action::AskUser:
        if (statusWindow_)
            ShowDropInStatus(drop);
        // After the user refused the server's key there is nothing to ask.
        if (!drop.keyRefused)
            AskAfterDrop();
        return;
    }
}

// The connection-broken dialog. The tunnel may come back while it is open; it then closes.
void PrivacyView::AskAfterDrop() {
    CErrorDlg question(DialogHandle());
    CErrorDlg* outer = brokenDialog_;
    brokenDialog_ = &question;
    INT_PTR answer = question.DoModal();
    brokenDialog_ = outer;
    if (answer == CErrorDlg::kReconnect) {
        // The reconnect sequence may have started the client again while the question was
        // open; the toggle would then stop it.
        if (!session_.IsRunning())
            StartStopTunnel();
    } else {
        options_.GiveUpBrowserProxy();
    }
}

// The server's key has changed: only the user's Yes replaces the remembered key, and the tunnel
// starts again with the new one.
void PrivacyView::AskToTrustChangedKey(const ServerKey& key) {
    const std::string& account = session_.AccountName();
    if (account.empty() ||
        fw::ShowMessageBox(DialogHandle(), TrustChangedKeyText(account, key), kProgramName,
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    if (!session_.TrustChangedKey(key)) {
        fw::ShowMessageBox(DialogHandle(),
                           "The server's old key could not be removed from the file '" +
                               session_.Folder() + "\\known_hosts'.",
                           kProgramName, MB_OK | MB_ICONSTOP);
        return;
    }
    if (!session_.IsRunning())
        StartTunnel();
}

// Our plink.exe says why its run failed, just before it reports the end.
LRESULT PrivacyView::OnCopyData(LPARAM data) {
    const auto* copied = reinterpret_cast<const COPYDATASTRUCT*>(data);
    return copied && session_.OnClientReason(copied->dwData, copied->lpData, copied->cbData)
               ? TRUE
               : FALSE;
}

void PrivacyView::OnReconnectTimer() {
    ShowReconnectTick(session_.OnReconnectTick());
}

void PrivacyView::ShowReconnectTick(const ReconnectTick& tick) {
    if (!tick.gaveUp) {
        if (statusWindow_)
            statusWindow_->SetRetryNumber(session_.Reconnect().Attempt());
        ShowStarted(tick.relaunch, Part::kPrivacyOn);
        return;
    }
    ::KillTimer(DialogHandle(), kReconnectTimer);
    if (tick.stoppedClient)
        ShowPrivacyState(false, Part::kAlert);
    if (statusWindow_)
        statusWindow_->SetMaximumReached();
}

// A client that ends without reporting is taken as a dropped connection, so that "Privacy ON"
// never shows over a dead tunnel. One whose report is still on its way is left to the report.
void PrivacyView::OnClientWatchTimer() {
    ClientWatch watch = session_.WatchClient();
    if (watch == ClientWatch::Running)
        return;
    ::KillTimer(DialogHandle(), kClientWatchTimer);
    MSG pending;
    if (watch == ClientWatch::NoClient ||
        ::PeekMessageA(&pending, DialogHandle(), WM_QV_STOP, WM_QV_STOP, PM_NOREMOVE))
        return;
    OnConnectionLost();
}

LRESULT PrivacyView::OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
        OnNetworkEvent(NetworkEvent::Resumed);
    return TRUE;
}

LRESULT PrivacyView::OnNetworkChange(WPARAM event) {
    if (event <= static_cast<WPARAM>(NetworkEvent::AddressLost))
        OnNetworkEvent(static_cast<NetworkEvent>(event));
    return GuardBrowser();
}

LRESULT PrivacyView::GuardBrowser() {
    GuardOutcome guarded = session_.GuardBrowser();
    if (guarded.gaveUp && trayIcon_) {
        std::string text = "Another program keeps changing the browser's proxy settings";
        if (!guarded.takingProgram.empty())
            text += " (" + guarded.takingProgram + ")";
        trayIcon_->ShowBalloon(kProgramName, text + ".", NIIF_WARNING);
    }
    return 0;
}

void PrivacyView::OnNetworkEvent(NetworkEvent event) {
    if (session_.OnNetworkEvent(event))
        ::SetTimer(DialogHandle(), kSettleTimer, kSettlePeriodMs, nullptr);
}

// A restart keeps the browser on the tunnel; one that fails is a drop. An attempt of the
// sequence made now puts the next one ten seconds later.
void PrivacyView::OnSettleTimer() {
    ::KillTimer(DialogHandle(), kSettleTimer);
    SettleOutcome settled = session_.OnSettled();
    switch (settled.done) {
    case SettleOutcome::Done::Nothing:
        return;
    case SettleOutcome::Done::Restarted:
        if (settled.restart.running) {
            ShowStarted(settled.restart, Part::kPrivacyOn);
            return;
        }
        ShowPrivacyState(false, Part::kAlert);
        OnConnectionLost();
        return;
    case SettleOutcome::Done::Attempted:
        if (!settled.attempt.gaveUp)
            ::SetTimer(DialogHandle(), kReconnectTimer, kReconnectPeriodMs, nullptr);
        ShowReconnectTick(settled.attempt);
        return;
    }
}

// The tray icon belongs to the application; a window given none has none to change.
void PrivacyView::ShowTrayPicture(bool privacyOn) {
    if (!trayIcon_)
        return;
    int picture = privacyOn ? IDI_PRIVACY_ON : IDI_PRIVACY_OFF;
    trayIcon_->SetIcon(LoadTrayPicture(picture));
}

void PrivacyView::SetTrayPrivacyState(bool privacyOn) {
    if (trayIcon_)
        trayIcon_->SetPrivacyState(privacyOn);
}
