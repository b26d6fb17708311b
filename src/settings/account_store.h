// AccountStore: the accounts as they are stored, in the settings file (name list, one section
// per account, default and browser proxy account) and in the SSH client's saved sessions.
// Every operation writes at once and keeps the two stores in step, both forms of an account's
// forwardings included; it returns what the window needs to show the change. No window here.
#pragma once

#include "logic/account_rules.h"
#include "logic/browser_way.h"
#include "logic/forwarding_text.h"
#include "logic/sign_in.h"
#include "settings/known_hosts_file.h"
#include "settings/settings_file.h"

#include <optional>
#include <string>
#include <vector>

// An account's fields as the settings file holds them: the password scrambled.
struct Account {
    std::string name;
    std::string userName;
    std::string password;
    std::string serverPort;
    SignIn signIn = SignIn::Password;
    std::string keyFile;
    BrowserWay browserWay = BrowserWay::ServerProxy;
};

// A forwarding together with the account it belongs to.
struct AccountForwarding {
    std::string account;
    Forwarding forwarding;
};

// How the changes below answer. An operation that can fail answers its failure with what it
// did: `refused` is set when the settings file refused a write, after which the change stopped
// and left what was stored before (CInternetOptions::WriteFailureText says why). The store keeps
// no flag of it between calls.
struct StoreAnswer {
    bool refused = false;
};

// What making a new account did beyond its own values.
struct AccountCreation : StoreAnswer {
    // The first account: it became the default and carries the browser's traffic.
    bool first = false;
};

// What a save of an edited account changed, beyond the account's own values.
struct AccountUpdate : StoreAnswer {
    bool renamed = false;
    bool serverPortChanged = false;
    // The password as now stored: scrambled when it was changed, else the old stored text.
    std::string storedPassword;
    // Renamed, but the known-hosts file kept the server's keys under the old name: the next
    // Start asks about the server's key again.
    bool serverKeysNotMoved = false;
    // Renamed, but the saved session under the old name could not be deleted.
    bool oldSessionNotDeleted = false;
};

// What a removal did beyond the account's own values.
struct AccountRemoval : StoreAnswer {
    // It was the browser proxy account, which is then set to none.
    bool wasProxyAccount = false;
    // Its saved session could not be deleted.
    bool sessionNotDeleted = false;
};

// What making a local port the browser's proxy did to the account's forwardings.
struct ProxyForwardingChange : StoreAnswer {
    enum class Kind { None, Moved, Added };
    Kind kind = Kind::None;
    std::string account;
    // Moved: the local port the forwarding had before.
    std::string oldLocalPort;
    // Moved or Added: the forwarding as it is now stored.
    Forwarding forwarding;
    // Why nothing at all was stored: the account's forwardings could take no more.
    Verdict refusal;
};

class AccountStore {
public:
    AccountStore() : settings_(std::string()) {}
    explicit AccountStore(const std::string& settingsPath) : settings_(settingsPath) {}
    // Works on this settings file from now on; no name is loaded yet.
    void Open(const std::string& settingsPath) { settings_ = CInternetOptions(settingsPath); }

    // The settings file, for the options that are not account data.
    CInternetOptions& Settings() { return settings_; }
    const CInternetOptions& Settings() const { return settings_; }

    // Reads the name list of the settings file; an empty list leaves the names as they are.
    void LoadNames() { settings_.LoadAccountNames(); }
    // The names as the file has them now, after a change that could not be written.
    void ReloadNames() { settings_.ReloadAccountNames(); }
    // In order of creation.
    const std::vector<std::string>& Names() const { return settings_.AccountNames(); }
    Account Load(const std::string& name) const;
    std::string ClearPassword(const std::string& name) const;
    // Every account's forwardings, account by account in the order of the names, read in one
    // pass over the settings file.
    std::vector<AccountForwarding> AllForwardings() const;
    std::string DefaultName() const;
    // The local port the browser's proxy points at, as a number; empty when none is stored or
    // the stored text is no port number (a hand-edited file is never handed to the browser).
    std::string ProxyPort() const;

    // Every change below writes the settings file first, the account's values in one write, and
    // stops at the first write the file refuses, leaving what was stored before; the saved
    // session follows the file. Each answers a StoreAnswer.
    // The known-hosts file beside the settings file: an account's name is its server's name.
    KnownHostsFile KnownHosts() const;

    // A new account with the three forwardings every account starts with. The first account
    // becomes the default and carries the browser's traffic.
    AccountCreation Create(const AccountFields& fields);
    // Saves the edited fields of an account over those it had. A password equal to the stored
    // text is the untouched stored text and is not scrambled again. A renamed account's server
    // keys move with it.
    AccountUpdate Update(const Account& saved, const AccountFields& edited);
    // Removes the account, its saved session, its forwardings and its server's keys.
    AccountRemoval Remove(const std::string& name);
    // The account started at program start, which also carries the browser's traffic.
    StoreAnswer SetDefault(const std::string& name);
    // How the account signs in, in the settings file and its saved session. The password, which
    // every account starts with, is stored as no values at all.
    StoreAnswer SetSignIn(const std::string& name, SignIn signIn, const std::string& keyFile);
    // How the account carries the browser, in the settings file only; the server's proxy, which
    // every account starts with, is stored as no value.
    StoreAnswer SetBrowserWay(const std::string& name, BrowserWay way);
    // Tells the account's saved session, before the client starts, where the client serves the
    // browser itself: the browser's proxy port when the account is the browser proxy account
    // and carries the browser through ssh; no such value otherwise. False when the session
    // could not be written.
    bool PrepareBrowserFront(const std::string& name) const;

    // Adds the forwarding to both forms. Nothing is written when the account forwards that local
    // port already, or when its stored forwardings would grow past what the file keeps whole.
    enum class AddResult { Added, AlreadyForwarded, TooMany };
    struct ForwardingAddition : StoreAnswer {
        AddResult result = AddResult::Added;
    };
    ForwardingAddition AddForwarding(const std::string& account, const Forwarding& forwarding);
    // Removes the forwarding from both forms; it may have been the browser's proxy forwarding,
    // which is then set to none.
    struct ForwardingRemoval : StoreAnswer {
        bool wasProxyForwarding = false;
    };
    ForwardingRemoval RemoveForwarding(const std::string& account, const Forwarding& forwarding);

    // Makes local port `port` of the account `server` the browser's proxy (setting::kProxyAccount
    // and kProxyPort), and gives the account a forwarding of that port, in both forms. Ports are
    // compared and stored as the numbers they spell ("050001" is 50001).
    // - none when the account forwards that port already;
    // - for the same account, its "IE Proxy" forwarding of the old proxy port moves to the new
    //   port; any other forwarding of the old port stays;
    // - otherwise an "IE Proxy" forwarding to the account's server port is added at the end,
    //   unless another account than before still has a forwarding of the old port.
    // Forwardings that would grow past what the file keeps whole are refused: nothing is stored.
    ProxyForwardingChange SetProxyForwarding(const std::string& server, const std::string& port);

    // Points the browser proxy account's proxy forwarding at the server's TOR proxy port, or back
    // at the account's own proxy port, in the saved session (the client reads it at its next
    // start). Only target ports equal to the whole port text change. Without a proxy account, or
    // with no port stored for it, nothing changes.
    void SetTorRelay(bool on);

    // Makes the account's saved session again from the settings file when it is missing
    // (deleted by hand, say), so that the client finds what the account says.
    void EnsureSession(const std::string& name) const;

private:
    // A write of the settings file whose refusal goes into the answer.
    bool Write(StoreAnswer& answer, const std::string& section, const std::string& key,
               const std::string& value);
    bool Write(StoreAnswer& answer, const Setting& setting, const std::string& value) {
        return Write(answer, setting.section, setting.key, value);
    }
    // Keys of one section in one write of the file.
    bool Write(StoreAnswer& answer, const std::string& section,
               const std::vector<std::pair<std::string, std::string>>& values);
    void FollowInSession(AccountUpdate& update, const Account& saved,
                         const AccountFields& edited) const;
    // The account's section whole: its four values, and its options (how it signs in, how it
    // carries the browser) where they are not the defaults.
    bool WriteAccount(StoreAnswer& answer, const std::string& name, const std::string& serverPort,
                      const std::string& userName, const std::string& storedPassword,
                      const std::string& forwardings, const Account& options = Account());

    // The account's forwarding of the local port, ports compared as the numbers they spell (no
    // port matches 0); the name must be an account's exactly.
    std::optional<Forwarding> FindForwarding(const std::string& account,
                                             const std::string& localPort) const;

    CInternetOptions settings_;
};
