// CDravenlokDlg: the main window. A left strip with the privacy state and the main buttons,
// and a settings panel that is shown by widening the window. It lives for the whole process
// and hides itself instead of closing.
//
// The window is a view over the models it owns: the accounts (settings file and saved
// sessions), the privacy session (the tunnel's client, the reconnect sequence and the browser's
// proxy) and the version check. Four parts of it hold their own controls and handlers: the
// look (WindowLook), the accounts editor with the forwardings (AccountsEditor), the settings
// panel's options (OptionsPanel) and privacy on and off (PrivacyView). What stays here is the
// window's own: start-up, the settings panel, the tray, Quit and the version check's answer.
#pragma once

#include "framework/controls.h"
#include "framework/dialog.h"
#include "settings/account_store.h"
#include "tunnel/privacy_session.h"
#include "ui/accounts_editor.h"
#include "ui/options_panel.h"
#include "ui/privacy_view.h"
#include "ui/window_look.h"
#include "update/version_check.h"

class CMenuTrayIcon;

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
    void SetTrayIcon(CMenuTrayIcon* trayIcon) { privacy_.SetTrayIcon(trayIcon); }

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
    LRESULT OnVersionAnswer();
    LRESULT OnQuitMessage();
    LRESULT OnEndSession(WPARAM ending);
    LRESULT OnHelpKey();
    LRESULT OnDpiChanged(LPARAM suggested);

    // The models
    AccountStore accounts_;
    PrivacySession session_{accounts_};
    VersionCheck versionCheck_;

    // The parts, whose handlers follow the window's own.
    WindowLook look_;
    AccountsEditor accountsEditor_;
    OptionsPanel options_;
    PrivacyView privacy_;

    bool settingsPanelOpen_ = false;
    int helpContextId_ = 0;
    int trayRefreshTicks_ = 0;
    int collapsedWidth_ = 0;
    int collapsedHeight_ = 0;
    int expandedWidth_ = 0;

    fw::Button settingsButton_;
    fw::Button versionCheckButton_;
    fw::Static leftFrame_;
    fw::Static settingsFrame_;
};
