// CDravenlokDlg: the main window. A left strip with the privacy state and the main buttons,
// and a settings panel that is shown by widening the window. It lives for the whole process
// and hides itself instead of closing.
//
// The window is a view over the models it owns: the accounts (settings file and saved
// sessions), the privacy session (the tunnel's client, the reconnect sequence and the browser's
// proxy) and the version check. Three parts of it hold their own controls and handlers: the
// look (WindowLook), the accounts editor with the forwardings (AccountsEditor) and the
// settings panel's options (OptionsPanel). What stays here is the window's own: start-up, the
// settings panel, the tray, Quit, the version check's answer, and privacy on and off as the
// session answers it, shown on the Start button, the status label, the tray icon, the status
// window and in boxes.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"
#include "settings/account_store.h"
#include "system/network_watch.h"
#include "tunnel/privacy_session.h"
#include "ui/accounts_editor.h"
#include "ui/options_panel.h"
#include "ui/window_look.h"
#include "update/version_check.h"

class CConnDlg;
class CErrorDlg;
class CMenuTrayIcon;

// Timers of the main window beside those of its start-up.
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

// The registered message by which the installer asks a running Marrowin to quit: the window
// then does what Quit does after its question, without asking. The installer knows it by name.
inline constexpr char kQuitMessageName[] = "Marrowin-Quit";

class CDravenlokDlg : public fw::Dialog {
public:
    static const int kVersion = 4015;
    static const int kProductId = 13;
    static constexpr const char* kBuildDate = "24.11.2006";

    CDravenlokDlg();
    ~CDravenlokDlg() override;

    // The tray icon whose picture and check mark follow the privacy state; none by default.
    void SetTrayIcon(CMenuTrayIcon* trayIcon) { trayIcon_ = trayIcon; }

    // The models, for reading.
    const AccountStore& Accounts() const { return accounts_; }
    const PrivacySession& Session() const { return session_; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Start-up and the settings panel
    void AddAboutItemToSystemMenu();
    void MeasureWindowSizes();
    void ToggleSettingsPanel();
    void OpenSettingsPanel();
    void CloseSettingsPanel();

    // Commands of the left strip and the tray
    void OpenWebPage(const char* address);
    void ShowHelp();
    void Quit();
    void QuitWithoutAsking();
    void RestoreFromTray();
    LRESULT OnSysCommand(WPARAM command, LPARAM position);
    void OnHideTimer();
    void OnTrayRefreshTimer();
    void CheckForNewVersion();
    void OnVersionAnswer();

    // Privacy on and off, and the state shown in four places
    void StartStopTunnel();
    void StartTunnel();
    void StopTunnel();
    void AutostartDefaultTunnel();
    // The status window of a start or a reconnect sequence, run modally unless one is open;
    // the drop it is opened for, if any, shows in it.
    void RunStatusWindow(const std::string& account, const DropOutcome* drop = nullptr);
    void ShowDropInStatus(const DropOutcome& drop);
    void ShowStarted(const StartOutcome& started, COLORREF onColor);
    void ShowPrivacyState(bool on, COLORREF onColor);
    void ShowWindowAsMarrowin();
    void ShowTrayPicture(bool privacyOn);
    void SetTrayPrivacyState(bool privacyOn);

    // Reports of the SSH client and the reconnect sequence
    void OnConnectionEstablished();
    void OnConnectionLost();
    void AskAfterDrop();
    void AskToTrustChangedKey(const ServerKey& key);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void OnReconnectTimer();
    void ShowReconnectTick(const ReconnectTick& tick);
    void OnClientWatchTimer();
    // Resume from sleep and network changes: the tunnel started again once the network settled.
    void OnNetworkEvent(NetworkEvent event);
    void OnSettleTimer();

    // The models
    AccountStore accounts_;
    PrivacySession session_{accounts_};
    VersionCheck versionCheck_;

    // The parts, whose handlers follow the window's own.
    WindowLook look_;
    AccountsEditor accountsEditor_;
    OptionsPanel options_;

    CMenuTrayIcon* trayIcon_ = nullptr;
    CConnDlg* statusWindow_ = nullptr;
    CErrorDlg* brokenDialog_ = nullptr;
    NetworkWatch networkWatch_;
    bool settingsPanelOpen_ = false;
    int helpContextId_ = 0;
    int trayRefreshTicks_ = 0;
    int collapsedWidth_ = 0;
    int collapsedHeight_ = 0;
    int expandedWidth_ = 0;

    fw::Button startButton_;
    fw::Button settingsButton_;
    fw::Button versionCheckButton_;
    fw::Static leftFrame_;
    fw::Static settingsFrame_;
};
