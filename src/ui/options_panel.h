// OptionsPanel: the settings panel's options. The check boxes for the browser's proxy, active
// content and JavaScript, start with Windows and its scope, the autostart, starting minimised,
// reconnecting and the TOR relay, and the button of the browser proxy dialog. Each box writes
// its setting at once; a box whose setting the file refuses is put back after the box that says
// why.
#pragma once

#include "framework/controls.h"
#include "framework/dialog_part.h"
#include "settings/account_store.h"
#include "system/startup_entry.h"
#include "tunnel/privacy_session.h"

#include <functional>
#include <string>

class OptionsPanel : public fw::DialogPart {
public:
    // Told what the proxy dialog stored, for the forwarding list and the proxy label.
    using ProxySavedHandler = std::function<void(const ProxyForwardingChange&)>;

    OptionsPanel(fw::Dialog& dialog, AccountStore& accounts, PrivacySession& session,
                 ProxySavedHandler onProxySaved);

    // At program start: the folder whose Marrowin.exe starts with Windows; the boxes as the
    // settings file has them, with the browser options applied.
    void SetFolder(const std::string& folder) { startupEntry_.SetFolder(folder); }
    void ShowStoredOptions();
    void ShowStartupType();
    // Whether the window starts minimised: only the exact text "1" does.
    bool ShowMinimizeOption();
    bool AutostartChosen() const { return autostartBox_.IsChecked(); }

    bool TorEnabled() const { return torEnabled_; }
    // The user gave up the browser's proxy after a dropped tunnel: as if the box were unchecked,
    // the browser goes direct and stays so.
    void GiveUpBrowserProxy();

protected:
    void DoDataExchange(HWND dialog) override;
    void OnInitDialog() override;

private:
    void OnAutostartOption();
    void OnMinimizeOption();
    void OnReconnectOption();
    void OnTorOption();
    void OnUseBrowserProxyOption();
    void OnNoActiveXOption();
    void OnNoJavaOption();
    void ConfigureProxy();
    void OnStartWithWindowsOption();
    void OnStartupTypeChosen();
    // Tells what failed in its boxes; whether the choice is stored.
    bool ShowStartupChange(const StartupChange& change) const;
    // Writes an option's value; when the file refuses it, says why and puts the box back.
    bool StoreOption(const Setting& setting, fw::CheckBox& box);
    void StoreZoneOption(const Setting& setting, fw::CheckBox& box, bool (*writeZones)(bool off));

    AccountStore& accounts_;
    PrivacySession& session_;
    ProxySavedHandler onProxySaved_;
    StartupEntry startupEntry_;
    bool torEnabled_ = false;

    fw::CheckBox useBrowserProxyBox_;
    fw::CheckBox noActiveXBox_;
    fw::CheckBox noJavaBox_;
    fw::CheckBox startWithWindowsBox_;
    fw::ComboBox startupTypeCombo_;
    fw::CheckBox autostartBox_;
    fw::CheckBox minimizeBox_;
    fw::CheckBox reconnectBox_;
    fw::CheckBox torBox_;
};
