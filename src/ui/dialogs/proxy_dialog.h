// IExplorerDlg: the browser proxy dialog. It chooses the account and local port the browser's
// proxy points at, which is also that account's "IE Proxy" forwarding, and the Internet
// connection the proxy applies to: the LAN, or a named connection of the phone book; and the
// program's own entries of the bypass list, which come before the user's own. Each choice
// is stored when its button is pressed; while the main window's use-browser-proxy option is on,
// the browser follows at once. The window that opens it hears of every saved server and port.
#pragma once

#include "controls/colors.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "settings/account_store.h"
#include "system/browser_settings.h"
#include "system/phone_book.h"

#include <functional>
#include <string>

class IExplorerDlg : public fw::Dialog {
public:
    // Called after each Save of server and port with what it did to the forwardings, so that
    // the window shows the forwarding and the proxy account as set; after a Save the settings
    // file refused in part, so that it shows what is stored.
    using SavedHandler = std::function<void(const ProxyForwardingChange&)>;

    // The browser's connections are pointed through `browserProxy`, which remembers them for the
    // program's end.
    IExplorerDlg(HWND parent, AccountStore& accounts, BrowserProxy& browserProxy,
                 bool useBrowserProxy, SavedHandler onSaved,
                 EnumEntriesFunction phoneBook = ::RasEnumEntriesA);

protected:
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override { OnCancel(); }

private:
    const CInternetOptions& Settings() const { return accounts_.Settings(); }

    // Opening
    void FillConnectionNames();
    void ShowConnectionType();
    void FillServers();

    // Server and port
    void EditOrSaveProxy();
    void EnableProxyEditing(bool editing);

    // Our own entries of the bypass list
    void ShowBypass();
    void EditOrSaveBypass();
    void EnableBypassEditing(bool editing);

    // The connection
    void Store(const Setting& setting, const std::string& value);
    void ChooseLan();
    void ChooseOther();
    void EditOrSaveConnectionName();
    void SelectLan();
    void SelectStoredConnectionName();
    std::string ChosenConnection() const;
    void SwitchConnection(const std::string& from, const std::string& to, const std::string& port);

    LRESULT OnCtlColor(UINT message, HDC dc, HWND control) const;

    AccountStore& accounts_;
    BrowserProxy& browserProxy_;
    bool useBrowserProxy_;
    SavedHandler onSaved_;
    EnumEntriesFunction phoneBook_;
    bool editingProxy_ = false;
    bool editingConnection_ = false;
    bool editingBypass_ = false;
    std::string shownBypass_;
    bool highContrast_ = HighContrastOn();

    fw::ComboBox serverCombo_;
    fw::Edit portEdit_;
    fw::Button proxyEditButton_;
    fw::CheckBox lanRadio_;
    fw::CheckBox otherRadio_;
    fw::ComboBox connectionCombo_;
    fw::Button connectionEditButton_;
    fw::Edit bypassEdit_;
    fw::CheckBox localNamesBox_;
    fw::Button bypassEditButton_;
};
