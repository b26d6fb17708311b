// CDravenlokDlg: the main window. A left strip with the privacy state and the main buttons,
// and a settings panel that is shown by widening the window. It lives for the whole process
// and hides itself instead of closing.
//
// The window is a view over the models it owns: the accounts (settings file and saved
// sessions), the forwarding list, the tunnel's client process, the reconnect sequence, the
// client's reason for a failed run and the start-up entry.
// Its handlers read the controls, ask a model and show the answer; the rules live in the
// models. Its member bodies are in main_window.cpp (start-up, panel, options, version check,
// Quit), main_window_accounts.cpp (accounts editor and forwardings), main_window_tunnel.cpp
// (privacy on and off, the client's reports, reconnect, TOR relay, browser options),
// main_window_system.cpp (browser proxy dialog, start with Windows), main_window_look.cpp
// (labels, headers, colours, painting while minimised) and tooltips.cpp.
#pragma once

#include "controls/label.h"
#include "controls/skin_button.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "logic/account_rules.h"
#include "settings/account_store.h"
#include "system/browser_settings.h"
#include "system/startup_entry.h"
#include "tunnel/failure_notice.h"
#include "tunnel/reconnect_sequence.h"
#include "tunnel/tunnel_controller.h"
#include "ui/forwarding_list.h"
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
    void FillAccountsCombo();
    void SelectStartAccount();
    void ReadOptionBoxes();
    void ApplyStoredBrowserOptions();
    void ShowStartupType();

    // Settings panel and options
    void ToggleSettingsPanel();
    void OpenSettingsPanel();
    void CloseSettingsPanel();
    void ClearForwardingFields();
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

    // Accounts editor
    enum class EditorMode { Idle, NewAccount, EditAccount };
    void ShowAccount();
    void BeginNewAccount();
    void EditOrSave();
    int SaveNewAccount();
    int SaveEditedAccount();
    AccountFields ReadAccountFields() const;
    void ShowAccountFields(const Account& account);
    void SaveFieldValues();
    void EnableAccountEditing(EditorMode mode);
    void CancelEdit();
    void DeleteAccount();
    void RemoveAccount(const std::string& name);
    void SetDefaultAccount();
    void ShowProxySettingsSet(bool set);
    // Shows the refusal's box, then empties and focuses its field; false when there was one.
    bool Accept(const Verdict& verdict);
    fw::Control* FieldControl(InputField field);
    int AccountItem(const std::string& name) const;
    void SelectAccountItem(const std::string& name);
    void RemoveAccountItem(const std::string& name);
    void ShowWriteFailure();
    void ShowStoredAccounts(const std::string& select);
    bool ShowStoredAfterWriteFailure(const std::string& select);
    // Writes an option's value; when the file refuses it, says why and puts the box back.
    bool StoreOption(const char* section, const char* key, fw::CheckBox& box);

    // Port forwardings
    void SetUpForwardingList();
    void FillForwardingList();
    void MarkDefaultForwardings(const std::string& name);
    void AddDefaultForwardings(const std::string& account, const std::string& serverPort);
    void AddForwarding();
    void DeleteForwarding();
    LRESULT SelectForwarding();
    void EnableForwardingButtons(bool enable);

    // Look: labels and headers, colours, painting while minimised
    void AddLookHandlers();
    void StyleLabelsAndHeaders();
    void CreateBrushes();
    LRESULT OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam);
    int FieldId(HWND control) const;
    bool IsLabel(HWND control) const;
    LRESULT OnPaint();

    // Tooltips
    void CreateTooltipControl();
    void RegisterTooltips();
    void SetTooltip(int controlId, const std::string& text);

    // The tray icon's picture and check mark.
    void ShowTrayPicture(bool privacyOn);
    void SetTrayPrivacyState(bool privacyOn);

    // The models
    AccountStore accounts_;
    TunnelController tunnel_;
    ReconnectSequence reconnect_;
    FailureNotice failureNotice_;
    ForwardingList forwardingList_;
    VersionCheck versionCheck_;
    BrowserProxy browserProxy_;
    StartupEntry startupEntry_{accounts_.Settings()};

    HICON appIcon_;
    HWND tooltip_ = nullptr;
    // The average character width of the window's own device context, which tip widths count in.
    int tooltipCharWidth_ = 0;
    CMenuTrayIcon* trayIcon_ = nullptr;
    CConnDlg* statusWindow_ = nullptr;
    std::string defaultAccountName_;
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
    EditorMode editorMode_ = EditorMode::Idle;
    // The account's fields as they were when New or Edit began, for Cancel and Save.
    Account savedFields_;

    fw::Button startButton_;
    fw::Button settingsButton_;
    fw::Button versionCheckButton_;
    CLabel statusLabel_;
    CLabel proxySettingsLabel_;
    CLabel forwardingsHeading_;
    CLabel serverSettingsHeading_;
    CLabel versionLabel_;
    CxSkinButton mainMenuHeader_;
    CxSkinButton tunnelSettingsHeader_;
    fw::Brush greyBrush_;
    fw::Brush whiteBrush_;
    fw::Static leftFrame_;
    fw::Static settingsFrame_;

    fw::ComboBox accountsCombo_;
    fw::Edit userNameEdit_;
    fw::Edit passwordEdit_;
    fw::Edit serverPortEdit_;
    fw::Button newAccountButton_;
    fw::Button deleteAccountButton_;
    fw::Button setDefaultButton_;
    fw::Button editSaveButton_;
    fw::Button cancelEditButton_;
    fw::Button addForwardingButton_;
    fw::Button deleteForwardingButton_;
    fw::ComboBox startupTypeCombo_;
    fw::Edit localPortEdit_;
    fw::Edit targetServerEdit_;
    fw::Edit targetPortEdit_;
    fw::Edit portDescriptionEdit_;
    fw::CheckBox useBrowserProxyBox_;
    fw::CheckBox noActiveXBox_;
    fw::CheckBox noJavaBox_;
    fw::CheckBox startWithWindowsBox_;
    fw::CheckBox autostartBox_;
    fw::CheckBox minimizeBox_;
    fw::CheckBox reconnectBox_;
    fw::CheckBox torBox_;
};
