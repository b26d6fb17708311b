// CDravenlokDlg: the main window. A left strip with the privacy state and the main buttons,
// and a settings panel that is shown by widening the window. It lives for the whole process
// and hides itself instead of closing.
//
// The window is a view over the models it owns: the accounts (settings file and saved
// sessions), the tunnel's client process, the reconnect sequence, the client's reason for a
// failed run and the start-up entry. Two parts of it hold their own controls and handlers: the
// accounts editor with the forwardings (AccountsEditor) and the look (WindowLook).
// Its handlers read the controls, ask a model and show the answer; the rules live in the
// models. Its member bodies are in main_window.cpp (start-up, panel, options, version check,
// Quit), main_window_tunnel.cpp (privacy on and off, the client's reports, reconnect, TOR
// relay, browser options) and main_window_system.cpp (browser proxy dialog, start with
// Windows).
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"
#include "settings/account_store.h"
#include "system/browser_settings.h"
#include "system/startup_entry.h"
#include "tunnel/failure_notice.h"
#include "tunnel/reconnect_sequence.h"
#include "tunnel/tunnel_controller.h"
#include "ui/accounts_editor.h"
#include "ui/window_look.h"
#include "update/version_check.h"

#include <string>

class CConnDlg;
class CMenuTrayIcon;

// Timers of the main window beside those of its start-up.
const UINT_PTR kReconnectTimer = 10000;
// Watches the client process while privacy is on, so that a client that ends without
// reporting is noticed.
const UINT_PTR kClientWatchTimer = 502;

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
    const TunnelController& Tunnel() const { return tunnel_; }
    const ReconnectSequence& Reconnect() const { return reconnect_; }
    const BrowserProxy& Proxy() const { return browserProxy_; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Start-up
    void AddAboutItemToSystemMenu();
    void MeasureWindowSizes();
    void ReadOptionBoxes();
    void ApplyStoredBrowserOptions();
    void ShowStartupType();

    // Settings panel and options
    void ToggleSettingsPanel();
    void OpenSettingsPanel();
    void CloseSettingsPanel();
    void OnAutostartOption();
    void OnMinimizeOption();

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

    // Browser options
    void OnUseBrowserProxyOption();
    bool ApplyBrowserProxyOption(bool on);
    void OnNoActiveXOption();
    void OnNoJavaOption();
    std::string BrowserConnectionName() const;

    // The browser proxy dialog and start with Windows
    void ConfigureProxy();
    void ShowSavedProxy(const ProxyForwardingChange& change);
    void OnStartWithWindowsOption();
    void OnStartupTypeChosen();

    // Tunnel: the SSH client started and stopped, and the state shown in four places
    void StartStopTunnel();
    void StartTunnel();
    void StopTunnel();
    void AutostartDefaultTunnel();
    void RelaunchTunnel();
    void AbortReconnect();
    std::string LaunchClient(const std::string& arguments);
    void StopClient();
    void SetBrowserProxyForTunnel(bool on, const std::string& port);
    void ShowPrivacyState(bool on, COLORREF onColor);
    void ShowWindowAsMarrowin();

    // Reports of the SSH client and the reconnect sequence
    void OnConnectionEstablished();
    void OnConnectionLost();
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void ShowFailureReason();
    void OnReconnectTimer();
    void OnClientWatchTimer();
    void OnReconnectOption();

    // TOR relay
    void OnTorOption();
    int ApplyTorRelay(bool on);

    // The settings file refused a write: the user learns why.
    void ShowWriteFailure();
    // Writes an option's value; when the file refuses it, says why and puts the box back.
    bool StoreOption(const char* section, const char* key, fw::CheckBox& box);

    // The tray icon's picture and check mark.
    void ShowTrayPicture(bool privacyOn);
    void SetTrayPrivacyState(bool privacyOn);

    // The models
    AccountStore accounts_;
    TunnelController tunnel_;
    ReconnectSequence reconnect_;
    FailureNotice failureNotice_;
    VersionCheck versionCheck_;
    BrowserProxy browserProxy_;
    StartupEntry startupEntry_{accounts_.Settings()};

    // The parts, whose handlers follow the window's own.
    WindowLook look_;
    AccountsEditor accountsEditor_;

    CMenuTrayIcon* trayIcon_ = nullptr;
    CConnDlg* statusWindow_ = nullptr;
    bool torEnabled_ = false;
    bool useBrowserProxy_ = false;
    int connectionType_ = 0;
    int startupType_ = 0;
    bool settingsPanelOpen_ = false;
    int helpContextId_ = 1;
    int trayRefreshTicks_ = 0;
    int collapsedWidth_ = 0;
    int collapsedHeight_ = 0;
    int expandedWidth_ = 0;

    fw::Button startButton_;
    fw::Button settingsButton_;
    fw::Button versionCheckButton_;
    fw::Static leftFrame_;
    fw::Static settingsFrame_;

    fw::ComboBox startupTypeCombo_;
    fw::CheckBox useBrowserProxyBox_;
    fw::CheckBox noActiveXBox_;
    fw::CheckBox noJavaBox_;
    fw::CheckBox startWithWindowsBox_;
    fw::CheckBox autostartBox_;
    fw::CheckBox minimizeBox_;
    fw::CheckBox reconnectBox_;
    fw::CheckBox torBox_;
};
