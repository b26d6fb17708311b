// Privacy on and off: the SSH client started for an account and stopped, the browser pointed
// at the tunnel and back, and the state shown together on the Start button, the status label
// and the tray icon. Also the relaunch and abort steps of the reconnect sequence and the
// start of the default tunnel at program start.
#include "framework/user_seam.h"
#include "settings/password_scrambling.h"
#include "system/browser_settings.h"
#include "tunnel/client_contract.h"
#include "tunnel/status_window.h"
#include "ui/main_window.h"

#include <fstream>

namespace {

const COLORREF kStartGreen = RGB(0, 120, 0);
const COLORREF kAutostartGreen = RGB(0, 200, 0);
const COLORREF kRed = RGB(255, 0, 0);
const char kPasswordMask[] = "********";

} // namespace

void CDravenlokDlg::StartStopTunnel() {
    if (tunnelRunning_)
        StopTunnel();
    else
        StartTunnel();
}

void CDravenlokDlg::StartTunnel() {
    std::string account = accountsCombo_.GetText();
    if (!account.empty()) {
        std::string password = UnscramblePassword(settings_->ReadString(account, "password"));
        ::SetCurrentDirectoryA(executableDirectory_.c_str());
        std::string arguments = ClientArguments(password, account);

        // The log shows how the client was started, without the password.
        std::ofstream log("log.txt", std::ios::binary | std::ios::trunc);
        log << ClientProgramPath(executableDirectory_) << ClientArguments(kPasswordMask, account);
        log.close();

        // The client finds the window under this title until it reports back.
        ::SetWindowTextA(Handle(), "Dravenlok");
        ::ShowWindow(Handle(), SW_HIDE);

        std::string failure = LaunchClient(arguments);
        if (!failure.empty()) {
            ::SetWindowTextA(Handle(), "Marrowin");
            ::ShowWindow(Handle(), SW_SHOW);
            fw::ShowMessageBox(Handle(), failure, "Marrowin", MB_OK | MB_ICONSTOP);
            return;
        }
        if (useBrowserProxy_)
            SetBrowserProxyForTunnel(true, settings_->ReadString("IE", "proxyport"));
        tunnelRunning_ = true;
        ShowPrivacyState(true, kStartGreen);
    }

    bool reconnect = settings_->ReadFlag("Main", "reconnect", false);
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
    ShowPrivacyState(false, kRed);
}

// Starts the default account's tunnel at program start, from the session saved with the
// account. Unlike Start, it writes no log, keeps the window and opens no status window.
void CDravenlokDlg::AutostartDefaultTunnel() {
    std::string account = settings_->ReadString("tunnel", "default");
    bool useBrowserProxy = settings_->ReadFlag("IE", "setIEproxy", false);
    if (account.empty()) {
        SetTrayPrivacyState(false);
        return;
    }
    std::string port = settings_->ReadString("IE", "proxyport");
    if (useBrowserProxy && !port.empty())
        SetBrowserProxyForTunnel(true, port);
    std::string password = UnscramblePassword(settings_->ReadString(account, "password"));
    ::SetCurrentDirectoryA(executableDirectory_.c_str());

    std::string failure = LaunchClient(AutostartClientArguments(password, account));
    if (!failure.empty()) {
        // Never leave the browser pointing at a tunnel that does not run.
        if (useBrowserProxy && !port.empty())
            SetBrowserProxyForTunnel(false, port);
        SetTrayPrivacyState(false);
        fw::ShowMessageBox(Handle(), failure, "Marrowin", MB_OK | MB_ICONSTOP);
        return;
    }
    tunnelRunning_ = true;
    ShowPrivacyState(true, kAutostartGreen);
}

// One attempt of the reconnect sequence: like Start, without log, title change, hiding or
// status window. A client that cannot be started counts as an attempt and privacy stays off.
void CDravenlokDlg::RelaunchTunnel() {
    ++retryCounter_;
    if (statusWindow_)
        statusWindow_->SetRetryNumber(retryCounter_);
    std::string account = accountsCombo_.GetText();
    if (account.empty())
        return;
    std::string password = UnscramblePassword(settings_->ReadString(account, "password"));
    ::SetCurrentDirectoryA(executableDirectory_.c_str());
    if (!LaunchClient(ClientArguments(password, account)).empty())
        return;
    if (useBrowserProxy_)
        SetBrowserProxyForTunnel(true, settings_->ReadString("IE", "proxyport"));
    tunnelRunning_ = true;
    ShowPrivacyState(true, kStartGreen);
}

void CDravenlokDlg::AbortReconnect() {
    StopClient();
    SetBrowserProxyForTunnel(false, settings_->ReadString("IE", "proxyport"));
    ShowPrivacyState(false, kRed);
}

// Starts the client unless one runs already; the failure text, or empty on success.
std::string CDravenlokDlg::LaunchClient(const std::string& arguments) {
    if (tunnelRunning_)
        return std::string();
    std::string program = ClientProgramPath(executableDirectory_);
    DWORD error = 0;
    if (!::LaunchClient(program, arguments, executableDirectory_, clientProcess_, error))
        return LaunchFailureText(program, error);
    ::SetTimer(Handle(), kClientWatchTimer, 1000, nullptr);
    return std::string();
}

// Asks the client to quit, ends it half a second later and lets go of its handles.
void CDravenlokDlg::StopClient() {
    if (!tunnelRunning_)
        return;
    StopClientProcess(clientProcess_);
    tunnelRunning_ = false;
}

// The proxy of the browser connection the settings name: the dial-up connection for
// connection type 2, otherwise the LAN.
void CDravenlokDlg::SetBrowserProxyForTunnel(bool on, const std::string& port) {
    if (on && port.empty())
        return;
    SetConnectionProxy(BrowserConnectionName(), port, on);
}

void CDravenlokDlg::ShowPrivacyState(bool on, COLORREF color) {
    startButton_.SetText(on ? "Stop" : "Start");
    statusLabel_.SetText(on ? "Privacy ON" : "Privacy OFF");
    statusLabel_.SetFontBold(true).SetTextColor(color).SetFontSize(18);
    SetTrayIcon(on);
    SetTrayPrivacyState(on);
}
