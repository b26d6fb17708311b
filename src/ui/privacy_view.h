// PrivacyView: privacy on and off, as a part of the main window. It holds the Start button, the
// status window and the connection-broken dialog while they are shown, the watch over the
// network and the three timers of a running tunnel (the reconnect sequence's, the client
// watch's and the settle time's), and shows what the privacy session answers: on the Start
// button, the status label, the tray icon, in the status window and in boxes, with the
// client's reason for a failed run in a balloon of the tray icon.
#pragma once

#include "controls/colors.h"
#include "framework/controls.h"
#include "framework/dialog_part.h"
#include "system/network_watch.h"
#include "system/proxy_watch.h"
#include "tunnel/privacy_session.h"

#include <string>

class AccountsEditor;
class CConnDlg;
class CErrorDlg;
class CMenuTrayIcon;
class OptionsPanel;
class WindowLook;

// The timers of a running tunnel.
const UINT_PTR kReconnectTimer = 10000;
// Watches the client process while privacy is on, so that a client that ends without
// reporting is noticed.
const UINT_PTR kClientWatchTimer = 502;
// The short wait after a resume or a network change, so that the network is back before the
// tunnel is started again.
const UINT_PTR kSettleTimer = 503;

// A change of the network, posted by the network watch from the IP Helper's thread; its WPARAM
// is a NetworkEvent.
const UINT kNetworkChangeMessage = WM_APP + 0x101;
// A change of the user's Internet Settings, posted by the proxy settings' watch.
const UINT kProxySettingsMessage = WM_APP + 0x102;

class PrivacyView : public fw::DialogPart {
public:
    PrivacyView(fw::Dialog& dialog, PrivacySession& session, WindowLook& look,
                const AccountsEditor& accountsEditor, OptionsPanel& options);

    // The tray icon whose picture and check mark follow the privacy state; none by default.
    void SetTrayIcon(CMenuTrayIcon* trayIcon) { trayIcon_ = trayIcon; }

    // Starts the tunnel of the account chosen, or stops the running one.
    void StartStopTunnel();
    void StopTunnel();
    // Starts the default account's tunnel at program start. Unlike Start, it writes no log,
    // keeps the window and opens no status window; a default account that is not stored
    // starts nothing and shows no box.
    void AutostartDefaultTunnel(const std::string& defaultAccount);
    // The tray icon's picture and check mark as privacy is now.
    void ShowTrayPicture(bool privacyOn);
    void SetTrayPrivacyState(bool privacyOn);

protected:
    void DoDataExchange(HWND dialog) override;

private:
    void StartTunnel();
    // The status window of a start or a reconnect sequence, run modally unless one is open;
    // the drop it is opened for, if any, shows in it.
    void RunStatusWindow(const std::string& account, const DropOutcome* drop = nullptr);
    void ShowDropInStatus(const DropOutcome& drop);
    void ShowStarted(const StartOutcome& started, Part onColor);
    void ShowPrivacyState(bool on, Part onColor);
    void ShowWindowAsMarrowin();

    // Reports of the SSH client and the reconnect sequence
    LRESULT OnClientReport(UINT report);
    void OnConnectionEstablished();
    void OnConnectionLost();
    void AskAfterDrop();
    void AskToTrustChangedKey(const ServerKey& key);
    LRESULT OnCopyData(LPARAM data);
    void OnReconnectTimer();
    void ShowReconnectTick(const ReconnectTick& tick);
    void OnClientWatchTimer();
    // Resume from sleep and network changes: the tunnel started again once the network settled.
    LRESULT OnPowerBroadcast(WPARAM event);
    LRESULT OnNetworkChange(WPARAM event);
    void OnNetworkEvent(NetworkEvent event);
    void OnSettleTimer();
    // Another program may have changed the browser's proxy.
    LRESULT GuardBrowser();

    PrivacySession& session_;
    WindowLook& look_;
    const AccountsEditor& accountsEditor_;
    OptionsPanel& options_;

    CMenuTrayIcon* trayIcon_ = nullptr;
    CConnDlg* statusWindow_ = nullptr;
    CErrorDlg* brokenDialog_ = nullptr;
    NetworkWatch networkWatch_;
    ProxySettingsWatch proxyWatch_;
    fw::Button startButton_;
};
