// CDravenlokDlg: the main window. A left strip with the privacy state and the main buttons,
// and a settings panel that is shown by widening the window. It lives for the whole process
// and hides itself instead of closing.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"
#include "settings/settings_file.h"
#include "ui/label.h"

#include <memory>
#include <string>

class CConnDlg;

// Timers of the main window beside those of its start-up.
const UINT_PTR kReconnectTimer = 10000;
// Watches the client process while privacy is on, so that a client that ends without
// reporting is noticed.
const UINT_PTR kClientWatchTimer = 502;

class CDravenlokDlg : public fw::Dialog {
public:
    static const int kVersion = 4015;
    static const int kProductId = 13;
    static constexpr const char* kBuildDate = "24.11.2006";

    CDravenlokDlg();
    ~CDravenlokDlg() override;

    bool IsTunnelRunning() const { return tunnelRunning_; }
    bool IsReconnectSequenceActive() const { return reconnectSequenceActive_; }
    int RetryCounter() const { return retryCounter_; }
    CConnDlg* StatusWindow() const { return statusWindow_; }
    const PROCESS_INFORMATION& ClientProcess() const { return clientProcess_; }
    bool IsSettingsPanelOpen() const { return settingsPanelOpen_; }
    int HelpContextId() const { return helpContextId_; }
    const std::string& ExecutableDirectory() const { return executableDirectory_; }
    const std::string& CurrentAccountName() const { return currentAccountName_; }
    const std::string& DefaultAccountName() const { return defaultAccountName_; }
    int ConnectionType() const { return connectionType_; }
    CInternetOptions* Settings() const { return settings_.get(); }
    const CLabel& StatusLabel() const { return statusLabel_; }
    const CLabel& ProxySettingsLabel() const { return proxySettingsLabel_; }
    HWND Tooltip() const { return tooltip_; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Start-up
    void AddAboutItemToSystemMenu();
    void MeasureWindowSizes();
    void StyleLabels();
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
    void RestoreFromTray();
    LRESULT OnSysCommand(WPARAM command, LPARAM position);
    LRESULT OnCtlColorStatic(HDC dc, HWND control);
    void OnHideTimer();
    void OnTrayRefreshTimer();

    // Browser options
    void OnUseBrowserProxyOption();
    void ApplyBrowserProxyOption(bool on);
    void OnNoActiveXOption();
    void OnNoJavaOption();
    std::string BrowserConnectionName() const;

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

    // Reports of the SSH client and the reconnect sequence
    void OnConnectionEstablished();
    void OnConnectionLost();
    void OnReconnectTimer();
    void OnClientWatchTimer();
    void OnReconnectOption();
    void EndReconnectSequence();

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
    bool CheckAccountFields();
    bool CheckNewServerName(const std::string& name, const std::string& oldName);
    bool CheckPasswordCanBeStored(const std::string& password);
    void SaveFieldValues();
    void EnableAccountEditing(EditorMode mode);
    void CancelEdit();
    void DeleteAccount();
    void RemoveAccount(const std::string& name);
    void SetDefaultAccount();
    void ShowProxySettingsSet(bool set);

    // Port forwardings: the list of all accounts' forwardings and its two stored forms
    void SetUpForwardingList();
    void FillForwardingList();
    void MarkDefaultForwardings(const std::string& name);
    void AddDefaultForwardings(const std::string& account, const std::string& serverPort);
    void AddForwarding();
    void DeleteForwarding();
    LRESULT SelectForwarding();
    // The rows of an account: renamed, removed, or their target port changed with the
    // account's server port (the settings form and the list; the session form is the
    // editor's).
    void RenameForwardingAccount(const std::string& oldName, const std::string& newName);
    void RemoveAccountForwardings(const std::string& name);
    void ChangeForwardingTargetPort(const std::string& account, const std::string& oldPort,
                                    const std::string& newPort);
    void EnableForwardingButtons(bool enable);

    // Tooltips
    void CreateTooltipControl();
    void RegisterTooltips();
    void SetTooltip(int controlId, const std::string& text);

    // Steps provided by the tray icon.
    void SetTrayIcon(bool privacyOn);
    void SetTrayPrivacyState(bool privacyOn);

    HICON appIcon_;
    HWND tooltip_ = nullptr;
    std::unique_ptr<CInternetOptions> settings_;
    std::string executableDirectory_;
    std::string currentAccountName_;
    std::string defaultAccountName_;
    PROCESS_INFORMATION clientProcess_ = {};
    bool tunnelRunning_ = false;
    CConnDlg* statusWindow_ = nullptr;
    bool reconnectSequenceActive_ = false;
    int retryCounter_ = 0;
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
    CLabel statusLabel_;
    CLabel proxySettingsLabel_;
    CLabel forwardingsHeading_;
    CLabel serverSettingsHeading_;
    CLabel versionLabel_;
    fw::Static leftFrame_;
    fw::Static settingsFrame_;
    EditorMode editorMode_ = EditorMode::Idle;
    std::string savedServerName_;
    std::string savedUserName_;
    std::string savedPassword_;
    std::string savedServerPort_;

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
    fw::ListView forwardingList_;
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
