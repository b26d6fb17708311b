// Privacy on and off in the main window: the SSH client started for an account and stopped,
// the browser pointed at the tunnel and back, and the state shown together on the Start
// button, the status label and the tray icon. Also the client's reports and its reason for a
// failed run, shown in a balloon of the tray icon, the reconnect sequence, the start of the
// default tunnel at program start, the TOR relay option and the three browser options.
#include "ui/main_window.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "system/browser_settings.h"
#include "settings/registry_reader.h"
#include "tunnel/client_contract.h"
#include "tunnel/client_messages.h"
#include "tunnel/connection_broken_dialog.h"
#include "tunnel/status_window.h"
#include "tunnel/tor_warning_dialog.h"
#include "ui/tray_icon.h"

namespace {
const UINT kReconnectPeriodMs = 10000;
const UINT kClientWatchPeriodMs = 1000;
} // namespace

void CDravenlokDlg::StartStopTunnel() {
    if (tunnel_.IsRunning())
        StopTunnel();
    else
        StartTunnel();
}

void CDravenlokDlg::StartTunnel() {
    std::string account = accountsEditor_.SelectedAccount();
    if (!account.empty()) {
        // A saved session deleted by hand is made again, so that the client finds the account.
        accounts_.EnsureSession(account);
        std::string arguments = ClientArguments(accounts_.ClearPassword(account), account);
        ::SetCurrentDirectoryA(tunnel_.Folder().c_str());
        tunnel_.WriteLaunchLog(account);

        // The client finds the window under this title until it reports back.
        ::SetWindowTextA(Handle(), "Dravenlok");
        ::ShowWindow(Handle(), SW_HIDE);

        std::string failure = LaunchClient(arguments);
        if (!failure.empty()) {
            ShowWindowAsMarrowin();
            fw::ShowMessageBox(Handle(), failure, kProgramName, MB_OK | MB_ICONSTOP);
            return;
        }
        if (useBrowserProxy_)
            SetBrowserProxyForTunnel(true, accounts_.ProxyPort());
        ShowPrivacyState(true, kPrivacyOnGreen);
    }

    bool reconnect = accounts_.Settings().ReadFlag("Main", "reconnect", false);
    // A Start from inside an open status window's modal run does not open a second one.
    if (statusWindow_)
        return;
    CConnDlg status(Handle());
    status.SetAccountName(account);
    status.SetReconnect(reconnect);
    status.SetProxy(useBrowserProxy_);
    status.SetTor(torEnabled_);
    statusWindow_ = &status;
    status.DoModal();
    statusWindow_ = nullptr;
}

void CDravenlokDlg::StopTunnel() {
    StopClient();
    // Direct again whatever the option box says, so the browser never points at a dead tunnel.
    SetBrowserProxyForTunnel(false, std::string());
    ShowPrivacyState(false, kAlertRed);
}

// Starts the default account's tunnel at program start, from the session saved with the
// account. Unlike Start, it writes no log, keeps the window and opens no status window.
void CDravenlokDlg::AutostartDefaultTunnel() {
    const CInternetOptions& settings = accounts_.Settings();
    std::string account = accounts_.DefaultName();
    bool useBrowserProxy = settings.ReadFlag("IE", "setIEproxy", false);
    if (account.empty()) {
        SetTrayPrivacyState(false);
        return;
    }
    std::string port = accounts_.ProxyPort();
    if (useBrowserProxy && !port.empty())
        SetBrowserProxyForTunnel(true, port);

    accounts_.EnsureSession(account);
    std::string failure =
        LaunchClient(AutostartClientArguments(accounts_.ClearPassword(account), account));
    if (!failure.empty()) {
        // Never leave the browser pointing at a tunnel that does not run.
        if (useBrowserProxy && !port.empty())
            SetBrowserProxyForTunnel(false, port);
        SetTrayPrivacyState(false);
        fw::ShowMessageBox(Handle(), failure, kProgramName, MB_OK | MB_ICONSTOP);
        return;
    }
    ShowPrivacyState(true, kAutostartGreen);
}

// One attempt of the reconnect sequence: like Start, without log, title change, hiding or
// status window. A client that cannot be started counts as an attempt and privacy stays off.
void CDravenlokDlg::RelaunchTunnel() {
    if (statusWindow_)
        statusWindow_->SetRetryNumber(reconnect_.Attempt());
    std::string account = accountsEditor_.SelectedAccount();
    if (account.empty())
        return;
    accounts_.EnsureSession(account);
    if (!LaunchClient(ClientArguments(accounts_.ClearPassword(account), account)).empty())
        return;
    if (useBrowserProxy_)
        SetBrowserProxyForTunnel(true, accounts_.ProxyPort());
    ShowPrivacyState(true, kPrivacyOnGreen);
}

void CDravenlokDlg::AbortReconnect() {
    StopClient();
    SetBrowserProxyForTunnel(false, accounts_.ProxyPort());
    ShowPrivacyState(false, kAlertRed);
}

// Starts the client unless one runs already and watches its process; the failure text, or
// empty when it runs.
std::string CDravenlokDlg::LaunchClient(const std::string& arguments) {
    failureNotice_.OnClientStart();
    bool wasRunning = tunnel_.IsRunning();
    std::string failure = tunnel_.Launch(arguments);
    if (failure.empty() && !wasRunning)
        ::SetTimer(Handle(), kClientWatchTimer, kClientWatchPeriodMs, nullptr);
    return failure;
}

void CDravenlokDlg::StopClient() {
    tunnel_.Stop();
}

// The proxy of the browser connection the settings name: the dial-up connection for
// connection type 2, otherwise the LAN.
void CDravenlokDlg::SetBrowserProxyForTunnel(bool on, const std::string& port) {
    if (on && port.empty())
        return;
    browserProxy_.Set(BrowserConnectionName(), port, on);
}

void CDravenlokDlg::ShowPrivacyState(bool on, COLORREF color) {
    startButton_.SetText(on ? "Stop" : "Start");
    look_.ShowPrivacyState(on, color);
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
    reconnect_.OnEstablished();
}

// The tunnel has dropped: it is stopped, and either the reconnect sequence starts or the user
// is asked what to do.
void CDravenlokDlg::OnConnectionLost() {
    ShowWindowAsMarrowin();
    bool reconnect = accounts_.Settings().ReadFlag("Main", "reconnect", false);
    if (statusWindow_)
        statusWindow_->SetDropped();
    if (tunnel_.IsRunning())
        StartStopTunnel();
    // Before anything that waits for the user: the balloon comes with the news of the drop.
    ShowFailureReason();

    if (reconnect_.OnDrop(reconnect) == ReconnectSequence::DropAction::StartSequence) {
        ::SetTimer(Handle(), kReconnectTimer, kReconnectPeriodMs, nullptr);
        return;
    }
    CErrorDlg question(Handle());
    if (question.DoModal() == CErrorDlg::kReconnect) {
        // The reconnect sequence may have started the client again while the question was
        // open; the toggle would then stop it.
        if (!tunnel_.IsRunning())
            StartStopTunnel();
    } else if (useBrowserProxyBox_.IsChecked()) {
        // As if the user had unchecked the box: the browser goes direct and stays so.
        ApplyBrowserProxyOption(false);
        useBrowserProxy_ = false;
        useBrowserProxyBox_.SetCheck(false);
    }
}

// Our plink.exe says why its run failed, just before it reports the end.
LRESULT CDravenlokDlg::OnCopyData(const COPYDATASTRUCT* data) {
    return data && failureNotice_.OnCopyData(data->dwData, data->lpData, data->cbData) ? TRUE
                                                                                       : FALSE;
}

void CDravenlokDlg::ShowFailureReason() {
    std::string reason = failureNotice_.TakeOnEnd();
    if (!reason.empty() && trayIcon_)
        trayIcon_->ShowBalloon(kProgramName, reason, NIIF_ERROR);
}

void CDravenlokDlg::OnReconnectTimer() {
    if (reconnect_.OnTick() == ReconnectSequence::TickAction::Relaunch) {
        RelaunchTunnel();
        return;
    }
    ::KillTimer(Handle(), kReconnectTimer);
    if (tunnel_.IsRunning())
        AbortReconnect();
    if (statusWindow_)
        statusWindow_->SetMaximumReached();
}

// A client that ends without reporting is taken as a dropped connection, so that "Privacy ON"
// never shows over a dead tunnel. One whose report is still on its way is left to the report.
void CDravenlokDlg::OnClientWatchTimer() {
    if (!tunnel_.IsRunning()) {
        ::KillTimer(Handle(), kClientWatchTimer);
        return;
    }
    if (!tunnel_.HasEnded())
        return;
    ::KillTimer(Handle(), kClientWatchTimer);
    MSG pending;
    if (::PeekMessageA(&pending, Handle(), WM_QV_STOP, WM_QV_STOP, PM_NOREMOVE))
        return;
    OnConnectionLost();
}

void CDravenlokDlg::OnReconnectOption() {
    StoreOption("Main", "reconnect", reconnectBox_);
}

void CDravenlokDlg::OnTorOption() {
    if (!StoreOption("Main", "TOR", torBox_))
        return;
    bool on = torBox_.IsChecked();
    if (on) {
        CTorWarning warning(Handle());
        warning.SetConnectionOpen(tunnel_.IsRunning());
        warning.DoModal();
    }
    torEnabled_ = on;
    ApplyTorRelay(on);
}

// The running client is not restarted: the change takes effect at its next start.
int CDravenlokDlg::ApplyTorRelay(bool on) {
    accounts_.SetTorRelay(on);
    return 0;
}

void CDravenlokDlg::OnUseBrowserProxyOption() {
    bool on = useBrowserProxyBox_.IsChecked();
    if (!ApplyBrowserProxyOption(on)) {
        ShowWriteFailure();
        useBrowserProxyBox_.SetCheck(!on);
        return;
    }
    useBrowserProxy_ = on;
}

// False when the option could not be stored; the browser is then pointed at the tunnel only if
// it was stored, but set direct in any case.
bool CDravenlokDlg::ApplyBrowserProxyOption(bool on) {
    bool stored = accounts_.Settings().WriteFlag("IE", "setIEproxy", on);
    // The port is not checked: with none stored the proxy becomes "127.0.0.1:".
    if (stored || !on)
        browserProxy_.Set(BrowserConnectionName(), accounts_.ProxyPort(), on);
    return stored;
}

// The named connection when the connection type is 2, otherwise the LAN settings.
std::string CDravenlokDlg::BrowserConnectionName() const {
    return connectionType_ == 2 ? accounts_.Settings().ReadString("IE", "connectionName")
                                : std::string();
}

void CDravenlokDlg::OnNoActiveXOption() {
    if (!StoreOption("IE", "noactivecontent", noActiveXBox_))
        return;
    bool off = noActiveXBox_.IsChecked();
    if (off)
        RegistryReader().DisableActiveX();
    else
        RegistryReader().RestoreActiveX();
}

void CDravenlokDlg::OnNoJavaOption() {
    if (!StoreOption("IE", "noJavascript", noJavaBox_))
        return;
    RegistryReader().SetJavaDisabled(noJavaBox_.IsChecked() ? 1 : 0);
}
