// The accounts in the settings file and in the saved sessions, kept in step.
#include "settings/account_store.h"

#include "logic/password_scrambling.h"
#include "logic/server_list.h"
#include "settings/registry_reader.h"

#include <algorithm>
#include <utility>

namespace {
const char kTorPort[] = "8119";
}

Account AccountStore::Load(const std::string& name) const {
    return Account{name,
                   settings_.ReadString(name, setting::kUserName),
                   settings_.ReadString(name, setting::kPassword),
                   settings_.ReadString(name, setting::kServerPort),
                   SignInFromText(settings_.ReadString(name, setting::kSignIn)),
                   settings_.ReadString(name, setting::kKeyFile),
                   BrowserWayFromText(settings_.ReadString(name, setting::kBrowserWay))};
}

std::string AccountStore::ClearPassword(const std::string& name) const {
    return UnscramblePassword(settings_.ReadString(name, setting::kPassword));
}

std::vector<AccountForwarding> AccountStore::AllForwardings() const {
    std::vector<AccountForwarding> rows;
    ValuesBySection forwardings = settings_.ReadKeyOfEverySection(setting::kForwardings);
    for (const std::string& account : Names()) {
        auto found = forwardings.find(account);
        if (found == forwardings.end())
            continue;
        for (Forwarding& forwarding : ParseSettingsForwardings(found->second))
            rows.push_back({account, std::move(forwarding)});
    }
    return rows;
}

std::string AccountStore::DefaultName() const {
    return settings_.ReadString(setting::kDefaultAccount);
}

std::string AccountStore::ProxyPort() const {
    int port = PortNumber(settings_.ReadString(setting::kProxyPort));
    return port ? std::to_string(port) : std::string();
}

bool AccountStore::Write(StoreAnswer& answer, const std::string& section, const std::string& key,
                         const std::string& value) {
    if (settings_.WriteString(section, key, value))
        return true;
    answer.refused = true;
    return false;
}

bool AccountStore::Write(StoreAnswer& answer, const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& values) {
    if (settings_.WriteValues(section, values))
        return true;
    answer.refused = true;
    return false;
}

bool AccountStore::WriteAccount(StoreAnswer& answer, const std::string& name,
                                const std::string& serverPort, const std::string& userName,
                                const std::string& storedPassword, const std::string& forwardings,
                                const Account& options) {
    std::vector<std::pair<std::string, std::string>> values = {
        {setting::kServerPort, serverPort},
        {setting::kUserName, userName},
        {setting::kPassword, storedPassword},
        {setting::kForwardings, forwardings}};
    if (options.signIn != SignIn::Password) {
        values.push_back({setting::kSignIn, SignInText(options.signIn)});
        values.push_back({setting::kKeyFile, options.keyFile});
    }
    if (options.browserWay != BrowserWay::ServerProxy)
        values.push_back({setting::kBrowserWay, BrowserWayText(options.browserWay)});
    if (settings_.WriteAccountSection(name, values))
        return true;
    answer.refused = true;
    return false;
}

AccountCreation AccountStore::Create(const AccountFields& fields) {
    AccountCreation creation;
    const std::string& name = fields.serverName;
    // The first account becomes the default, written with the name list.
    const bool first = Names().empty();
    std::vector<std::pair<std::string, std::string>> before = {
        {setting::kAccountNames.key, settings_.ReadString(setting::kAccountNames)}};
    std::vector<std::pair<std::string, std::string>> after = {
        {setting::kAccountNames.key, AppendServerEntry(before[0].second, name)}};
    if (first) {
        before.push_back(
            {setting::kDefaultAccount.key, settings_.ReadString(setting::kDefaultAccount)});
        after.push_back({setting::kDefaultAccount.key, name});
    }
    if (!Write(creation, setting::kAccountsSection, after))
        return creation;
    if (!WriteAccount(creation, name, fields.serverPort, fields.userName,
                      ScramblePassword(fields.password),
                      DefaultSettingsForwardings(fields.serverPort))) {
        settings_.WriteValues(setting::kAccountsSection, before);
        return creation;
    }
    settings_.AppendAccountName(name);
    // Half a saved session would pass for a whole one: a session that could not be written
    // whole goes, and is made again from the settings file when it is first used.
    RegistryReader registry;
    if (!registry.WriteSessionProfile(name, name, fields.userName) ||
        !registry.WritePortForwardings(name, DefaultSessionForwardings(fields.serverPort)))
        registry.DeleteSessionProfile(name);

    creation.first =
        first && Write(creation, setting::kBrowserSection,
                       {{setting::kProxyAccount.key, name}, {setting::kProxyPort.key, "50000"}});
    return creation;
}

AccountUpdate AccountStore::Update(const Account& saved, const AccountFields& edited) {
    EnsureSession(saved.name);
    AccountUpdate update;
    const std::string& oldName = saved.name;
    const std::string& name = edited.serverName;
    update.storedPassword =
        edited.password == saved.password ? saved.password : ScramblePassword(edited.password);
    const std::string storedForwardings = settings_.ReadString(oldName, setting::kForwardings);
    // Its options are not among the edited fields: they go with the account as stored.
    const Account options = Load(oldName);
    const std::string forwardings =
        edited.serverPort == saved.serverPort
            ? storedForwardings
            : ChangeSettingsTargetPort(storedForwardings, saved.serverPort, edited.serverPort);

    // The account's values in one write, under the new name when it is renamed; the old section
    // goes only once the new one and the name list are written.
    if (!WriteAccount(update, name, edited.serverPort, edited.userName, update.storedPassword,
                      forwardings, options)) {
        update.storedPassword = saved.password;
        return update;
    }
    const bool sameSection = EqualIgnoringCase(name, oldName);
    if (name != oldName) {
        std::vector<std::pair<std::string, std::string>> tunnel = {
            {setting::kAccountNames.key,
             ReplaceServerEntry(settings_.ReadString(setting::kAccountNames), oldName, name)}};
        if (settings_.ReadString(setting::kDefaultAccount) == oldName)
            tunnel.push_back({setting::kDefaultAccount.key, name});
        if (!Write(update, setting::kAccountsSection, tunnel)) {
            if (sameSection)
                WriteAccount(update, oldName, saved.serverPort, saved.userName, saved.password,
                             storedForwardings, options);
            else
                settings_.DeleteAccountSection(name);
            update.storedPassword = saved.password;
            return update;
        }
        settings_.RemoveAccountName(oldName);
        settings_.AppendAccountName(name);
        update.renamed = true;
        update.serverKeysNotMoved = !KnownHosts().Rename(oldName, name);
        if (settings_.ReadString(setting::kProxyAccount) == oldName)
            Write(update, setting::kProxyAccount, name);
        if (!sameSection && !settings_.DeleteAccountSection(oldName))
            update.refused = true;
    }
    update.serverPortChanged = edited.serverPort != saved.serverPort;
    FollowInSession(update, saved, edited);
    return update;
}

// The saved session follows what the settings file now holds. A session that cannot be moved
// stays under the old name; the account's own is made again from the settings file, which holds
// the edit, when it is next used.
void AccountStore::FollowInSession(AccountUpdate& update, const Account& saved,
                                   const AccountFields& edited) const {
    RegistryReader registry;
    const std::string& name = edited.serverName;
    if (update.renamed) {
        RegistryReader::SessionMove move =
            registry.RecreateSessionProfile(saved.name, name, saved.userName);
        if (move == RegistryReader::SessionMove::Failed)
            return;
        update.oldSessionNotDeleted = move == RegistryReader::SessionMove::OldNotDeleted;
        const Account moved = Load(name);
        registry.WriteSessionSignIn(name, moved.signIn, moved.keyFile);
    }
    if (edited.userName != saved.userName)
        registry.WriteRegistryString(HKEY_CURRENT_USER, SessionPath(name), kSessionUserName,
                                     edited.userName);
    if (update.serverPortChanged)
        registry.WritePortForwardings(name,
                                      ChangeSessionTargetPort(registry.ReadPortForwardings(name),
                                                              saved.serverPort, edited.serverPort));
}

AccountRemoval AccountStore::Remove(const std::string& name) {
    AccountRemoval removal;
    std::vector<std::pair<std::string, std::string>> tunnel = {
        {setting::kAccountNames.key,
         RemoveServerEntry(settings_.ReadString(setting::kAccountNames), name)}};
    if (settings_.ReadString(setting::kDefaultAccount) == name)
        tunnel.push_back({setting::kDefaultAccount.key, ""});
    if (!Write(removal, setting::kAccountsSection, tunnel))
        return removal;
    settings_.RemoveAccountName(name);
    if (!settings_.DeleteAccountSection(name))
        removal.refused = true;
    removal.wasProxyAccount = settings_.ReadString(setting::kProxyAccount) == name;
    if (removal.wasProxyAccount)
        Write(removal, setting::kBrowserSection,
              {{setting::kProxyAccount.key, ""}, {setting::kProxyPort.key, ""}});
    removal.sessionNotDeleted = !RegistryReader().DeleteSessionProfile(name);
    // A new account of the same name is asked about its server's key anew.
    KnownHosts().Forget(name);
    return removal;
}

KnownHostsFile AccountStore::KnownHosts() const {
    const std::string& path = settings_.FilePath();
    return KnownHostsFile(path.substr(0, path.find_last_of('\\')));
}

StoreAnswer AccountStore::SetDefault(const std::string& name) {
    StoreAnswer answer;
    if (Write(answer, setting::kDefaultAccount, name))
        Write(answer, setting::kProxyAccount, name);
    return answer;
}

AccountStore::ForwardingAddition AccountStore::AddForwarding(const std::string& account,
                                                             const Forwarding& forwarding) {
    ForwardingAddition addition;
    std::string stored = settings_.ReadString(account, setting::kForwardings);
    // "25" and "025" are the same port to the SSH client.
    for (const Forwarding& existing : ParseSettingsForwardings(stored)) {
        if (PortNumber(existing.localPort) == PortNumber(forwarding.localPort)) {
            addition.result = AddResult::AlreadyForwarded;
            return addition;
        }
    }
    std::string grown = AppendSettingsEntry(stored, SettingsEntry(forwarding));
    if (grown.size() > CInternetOptions::kLongestValue) {
        addition.result = AddResult::TooMany;
        return addition;
    }
    EnsureSession(account);
    if (!Write(addition, account, setting::kForwardings, grown))
        return addition;
    RegistryReader registry;
    registry.WritePortForwardings(account, AppendSessionEntry(registry.ReadPortForwardings(account),
                                                              SessionEntry(forwarding)));
    return addition;
}

AccountStore::ForwardingRemoval AccountStore::RemoveForwarding(const std::string& account,
                                                               const Forwarding& forwarding) {
    ForwardingRemoval removal;
    EnsureSession(account);
    if (!Write(removal, account, setting::kForwardings,
               RemoveSettingsEntry(settings_.ReadString(account, setting::kForwardings),
                                   SettingsEntry(forwarding))))
        return removal;
    RegistryReader registry;
    registry.WritePortForwardings(
        account, RemoveSessionEntry(registry.ReadPortForwardings(account), forwarding.localPort));
    if (settings_.ReadString(setting::kProxyAccount) != account ||
        settings_.ReadString(setting::kProxyPort) != forwarding.localPort)
        return removal;
    Write(removal, setting::kBrowserSection,
          {{setting::kProxyAccount.key, ""}, {setting::kProxyPort.key, ""}});
    removal.wasProxyForwarding = true;
    return removal;
}

void AccountStore::EnsureSession(const std::string& name) const {
    RegistryReader registry;
    if (name.empty() || !settings_.HasAccountName(name) || registry.SessionExists(name))
        return;
    std::string forwardings;
    for (const Forwarding& forwarding :
         ParseSettingsForwardings(settings_.ReadString(name, setting::kForwardings)))
        forwardings += SessionEntry(forwarding);
    // The browser proxy account's proxy forwarding leads to the TOR relay while that is on, as
    // SetTorRelay left it in the session.
    std::string port = settings_.ReadString(name, setting::kServerPort);
    if (settings_.ReadFlag(setting::kTorRelay, false) &&
        settings_.ReadString(setting::kProxyAccount) == name && !port.empty())
        forwardings = ChangeSessionTargetPort(forwardings, port, kTorPort);
    const Account account = Load(name);
    if (registry.WriteSessionProfile(name, name, account.userName) &&
        registry.WritePortForwardings(name, forwardings))
        registry.WriteSessionSignIn(name, account.signIn, account.keyFile);
}

StoreAnswer AccountStore::SetSignIn(const std::string& name, SignIn signIn,
                                    const std::string& keyFile) {
    StoreAnswer answer;
    EnsureSession(name);
    if (signIn == SignIn::Password) {
        if (!settings_.DeleteKey(name, setting::kSignIn) ||
            !settings_.DeleteKey(name, setting::kKeyFile))
            answer.refused = true;
    } else {
        Write(answer, name, {{setting::kSignIn, SignInText(signIn)}, {setting::kKeyFile, keyFile}});
    }
    if (!answer.refused)
        RegistryReader().WriteSessionSignIn(name, signIn, keyFile);
    return answer;
}

StoreAnswer AccountStore::SetBrowserWay(const std::string& name, BrowserWay way) {
    StoreAnswer answer;
    if (way == BrowserWay::ServerProxy)
        answer.refused = !settings_.DeleteKey(name, setting::kBrowserWay);
    else
        Write(answer, name, setting::kBrowserWay, BrowserWayText(way));
    return answer;
}

bool AccountStore::PrepareBrowserFront(const std::string& name) const {
    const bool carriesBrowser =
        EqualIgnoringCase(settings_.ReadString(setting::kProxyAccount), name) &&
        Load(name).browserWay == BrowserWay::Ssh;
    const int port = carriesBrowser ? PortNumber(ProxyPort()) : 0;
    return RegistryReader().WriteSessionBrowserFront(name, port);
}

ProxyForwardingChange AccountStore::SetProxyForwarding(const std::string& server,
                                                       const std::string& typedPort) {
    const std::string port = std::to_string(PortNumber(typedPort));
    EnsureSession(server);
    const std::string oldServer = settings_.ReadString(setting::kProxyAccount);
    const std::optional<Forwarding> old =
        FindForwarding(oldServer, settings_.ReadString(setting::kProxyPort));
    ProxyForwardingChange change;
    change.account = server;
    if (!FindForwarding(server, port) && (!old || server == oldServer)) {
        const std::string serverPort = settings_.ReadString(server, setting::kServerPort);
        const bool move = old && SettingsEntry(*old) ==
                                     SettingsEntry(ProxyForwarding(old->localPort, serverPort));
        const Forwarding proxy = ProxyForwarding(port, serverPort);
        std::string forwardings = settings_.ReadString(server, setting::kForwardings);
        RegistryReader registry;
        std::string session = registry.ReadPortForwardings(server);
        if (move) {
            // Only the local port changes, in both forms: a target the TOR relay has set in the
            // session stays as it is.
            forwardings = ChangeSettingsLocalPort(forwardings, old->localPort, port);
            session = ChangeSessionLocalPort(session, old->localPort, port);
        } else {
            forwardings = AppendSettingsEntry(forwardings, SettingsEntry(proxy));
            session = AppendSessionEntry(session, SessionEntry(proxy));
        }
        if (forwardings.size() > CInternetOptions::kLongestValue) {
            change.refusal = Refusal{kTooManyForwardings, false, InputField::LocalPort, false};
            return change;
        }
        if (!Write(change, server, setting::kForwardings, forwardings))
            return change;
        registry.WritePortForwardings(server, session);
        change.kind =
            move ? ProxyForwardingChange::Kind::Moved : ProxyForwardingChange::Kind::Added;
        change.oldLocalPort = move ? old->localPort : std::string();
        change.forwarding = proxy;
    }
    Write(change, setting::kBrowserSection,
          {{setting::kProxyAccount.key, server}, {setting::kProxyPort.key, port}});
    return change;
}

std::optional<Forwarding> AccountStore::FindForwarding(const std::string& account,
                                                       const std::string& localPort) const {
    // The settings file would find a section named in another letter case too.
    const int port = PortNumber(localPort);
    if (!port || std::find(Names().begin(), Names().end(), account) == Names().end())
        return std::nullopt;
    for (const Forwarding& forwarding :
         ParseSettingsForwardings(settings_.ReadString(account, setting::kForwardings))) {
        if (PortNumber(forwarding.localPort) == port)
            return forwarding;
    }
    return std::nullopt;
}

void AccountStore::SetTorRelay(bool on) {
    std::string account = settings_.ReadString(setting::kProxyAccount);
    if (account.empty())
        return;
    EnsureSession(account);
    std::string port = settings_.ReadString(account, setting::kServerPort);
    if (port.empty())
        return;
    RegistryReader registry;
    std::string forwardings = registry.ReadPortForwardings(account);
    registry.WritePortForwardings(account,
                                  on ? ChangeSessionTargetPort(forwardings, port, kTorPort)
                                     : ChangeSessionTargetPort(forwardings, kTorPort, port));
}
