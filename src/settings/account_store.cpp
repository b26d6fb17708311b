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
    return Account{name, settings_.ReadString(name, "username"),
                   settings_.ReadString(name, "password"), settings_.ReadString(name, "port")};
}

std::string AccountStore::ClearPassword(const std::string& name) const {
    return UnscramblePassword(settings_.ReadString(name, "password"));
}

std::vector<AccountForwarding> AccountStore::AllForwardings() const {
    std::vector<AccountForwarding> rows;
    ValuesBySection forwardings = settings_.ReadKeyOfEverySection("forwardings");
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
    return settings_.ReadString("tunnel", "default");
}

std::string AccountStore::ProxyPort() const {
    int port = PortNumber(settings_.ReadString("IE", "proxyport"));
    return port ? std::to_string(port) : std::string();
}

bool AccountStore::Write(const std::string& section, const std::string& key,
                         const std::string& value) {
    if (settings_.WriteString(section, key, value))
        return true;
    writeFailed_ = true;
    return false;
}

bool AccountStore::Write(const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& values) {
    if (settings_.WriteValues(section, values))
        return true;
    writeFailed_ = true;
    return false;
}

bool AccountStore::WriteAccount(const std::string& name, const std::string& serverPort,
                                const std::string& userName, const std::string& storedPassword,
                                const std::string& forwardings) {
    if (settings_.WriteSection(name, {{"port", serverPort},
                                      {"username", userName},
                                      {"password", storedPassword},
                                      {"forwardings", forwardings}}))
        return true;
    writeFailed_ = true;
    return false;
}

bool AccountStore::Create(const AccountFields& fields) {
    writeFailed_ = false;
    const std::string& name = fields.serverName;
    // The first account becomes the default, written with the name list.
    const bool first = Names().empty();
    std::vector<std::pair<std::string, std::string>> before = {
        {"servers", settings_.ReadString("Tunnel", "servers")}};
    std::vector<std::pair<std::string, std::string>> after = {
        {"servers", AppendServerEntry(before[0].second, name)}};
    if (first) {
        before.push_back({"default", settings_.ReadString("Tunnel", "default")});
        after.push_back({"default", name});
    }
    if (!Write("Tunnel", after))
        return false;
    if (!WriteAccount(name, fields.serverPort, fields.userName, ScramblePassword(fields.password),
                      DefaultSettingsForwardings(fields.serverPort))) {
        settings_.WriteValues("Tunnel", before);
        return false;
    }
    settings_.AppendAccountName(name);
    RegistryReader registry;
    registry.WriteSessionProfile(name, name, fields.userName);
    registry.WritePortForwardings(name, DefaultSessionForwardings(fields.serverPort));

    return first && Write("IE", {{"proxyServer", name}, {"proxyPort", "50000"}});
}

AccountUpdate AccountStore::Update(const Account& saved, const AccountFields& edited) {
    writeFailed_ = false;
    EnsureSession(saved.name);
    AccountUpdate update;
    const std::string& oldName = saved.name;
    const std::string& name = edited.serverName;
    update.storedPassword =
        edited.password == saved.password ? saved.password : ScramblePassword(edited.password);
    const std::string storedForwardings = settings_.ReadString(oldName, "forwardings");
    const std::string forwardings =
        edited.serverPort == saved.serverPort
            ? storedForwardings
            : ChangeSettingsTargetPort(storedForwardings, saved.serverPort, edited.serverPort);

    // The account's values in one write, under the new name when it is renamed; the old section
    // goes only once the new one and the name list are written.
    if (!WriteAccount(name, edited.serverPort, edited.userName, update.storedPassword, forwardings))
        return AccountUpdate{false, false, saved.password};
    const bool sameSection = EqualIgnoringCase(name, oldName);
    if (name != oldName) {
        std::vector<std::pair<std::string, std::string>> tunnel = {
            {"servers",
             ReplaceServerEntry(settings_.ReadString("tunnel", "servers"), oldName, name)}};
        if (settings_.ReadString("tunnel", "default") == oldName)
            tunnel.push_back({"default", name});
        if (!Write("tunnel", tunnel)) {
            if (sameSection)
                WriteAccount(oldName, saved.serverPort, saved.userName, saved.password,
                             storedForwardings);
            else
                settings_.DeleteSection(name);
            return AccountUpdate{false, false, saved.password};
        }
        settings_.RemoveAccountName(oldName);
        settings_.AppendAccountName(name);
        update.renamed = true;
        if (settings_.ReadString("IE", "proxyserver") == oldName)
            Write("IE", "proxyserver", name);
        if (!sameSection && !settings_.DeleteSection(oldName))
            writeFailed_ = true;
    }
    update.serverPortChanged = edited.serverPort != saved.serverPort;

    RegistryReader registry;
    // A session that cannot be moved stays under the old name; the account's own is made again
    // from the settings file, which holds the edit, when it is next used.
    if (update.renamed && !registry.RecreateSessionProfile(oldName, name, saved.userName))
        return update;
    if (edited.userName != saved.userName)
        registry.WriteRegistryString(HKEY_CURRENT_USER, SessionPath(name), kSessionUserName,
                                     edited.userName);
    if (update.serverPortChanged)
        registry.WritePortForwardings(name,
                                      ChangeSessionTargetPort(registry.ReadPortForwardings(name),
                                                              saved.serverPort, edited.serverPort));
    return update;
}

bool AccountStore::Remove(const std::string& name) {
    writeFailed_ = false;
    std::vector<std::pair<std::string, std::string>> tunnel = {
        {"servers", RemoveServerEntry(settings_.ReadString("tunnel", "servers"), name)}};
    if (settings_.ReadString("tunnel", "default") == name)
        tunnel.push_back({"default", ""});
    if (!Write("tunnel", tunnel))
        return false;
    settings_.RemoveAccountName(name);
    if (!settings_.DeleteSection(name))
        writeFailed_ = true;
    bool wasProxyAccount = settings_.ReadString("IE", "proxyserver") == name;
    if (wasProxyAccount)
        Write("IE", {{"proxyserver", ""}, {"proxyport", ""}});
    RegistryReader().DeleteSessionProfile(name);
    return wasProxyAccount;
}

void AccountStore::SetDefault(const std::string& name) {
    writeFailed_ = false;
    if (Write("tunnel", "default", name))
        Write("IE", "proxyServer", name);
}

AccountStore::AddResult AccountStore::AddForwarding(const std::string& account,
                                                    const Forwarding& forwarding) {
    writeFailed_ = false;
    std::string stored = settings_.ReadString(account, "forwardings");
    // "25" and "025" are the same port to the SSH client.
    for (const Forwarding& existing : ParseSettingsForwardings(stored)) {
        if (PortNumber(existing.localPort) == PortNumber(forwarding.localPort))
            return AddResult::AlreadyForwarded;
    }
    std::string grown = AppendSettingsEntry(stored, SettingsEntry(forwarding));
    if (grown.size() > CInternetOptions::kLongestValue)
        return AddResult::TooMany;
    EnsureSession(account);
    if (!Write(account, "forwardings", grown))
        return AddResult::Added;
    RegistryReader registry;
    registry.WritePortForwardings(account, AppendSessionEntry(registry.ReadPortForwardings(account),
                                                              SessionEntry(forwarding)));
    return AddResult::Added;
}

bool AccountStore::RemoveForwarding(const std::string& account, const Forwarding& forwarding) {
    writeFailed_ = false;
    EnsureSession(account);
    if (!Write(account, "forwardings",
               RemoveSettingsEntry(settings_.ReadString(account, "forwardings"),
                                   SettingsEntry(forwarding))))
        return false;
    RegistryReader registry;
    registry.WritePortForwardings(
        account, RemoveSessionEntry(registry.ReadPortForwardings(account), forwarding.localPort));
    if (settings_.ReadString("IE", "proxyServer") != account ||
        settings_.ReadString("IE", "proxyPort") != forwarding.localPort)
        return false;
    Write("IE", {{"proxyServer", ""}, {"proxyPort", ""}});
    return true;
}

void AccountStore::EnsureSession(const std::string& name) const {
    RegistryReader registry;
    if (name.empty() || !settings_.HasAccountName(name) || registry.SessionExists(name))
        return;
    std::string forwardings;
    for (const Forwarding& forwarding :
         ParseSettingsForwardings(settings_.ReadString(name, "forwardings")))
        forwardings += SessionEntry(forwarding);
    // The browser proxy account's proxy forwarding leads to the TOR relay while that is on, as
    // SetTorRelay left it in the session.
    std::string port = settings_.ReadString(name, "port");
    if (settings_.ReadFlag("Main", "TOR", false) &&
        settings_.ReadString("IE", "ProxyServer") == name && !port.empty())
        forwardings = ChangeSessionTargetPort(forwardings, port, kTorPort);
    if (registry.WriteSessionProfile(name, name, settings_.ReadString(name, "username")))
        registry.WritePortForwardings(name, forwardings);
}

ProxyForwardingChange AccountStore::SetProxyForwarding(const std::string& server,
                                                       const std::string& typedPort) {
    writeFailed_ = false;
    const std::string port = std::to_string(PortNumber(typedPort));
    EnsureSession(server);
    const std::string oldServer = settings_.ReadString("IE", "proxyServer");
    const std::optional<Forwarding> old =
        FindForwarding(oldServer, settings_.ReadString("IE", "proxyPort"));
    ProxyForwardingChange change;
    change.account = server;
    if (!FindForwarding(server, port) && (!old || server == oldServer)) {
        const std::string serverPort = settings_.ReadString(server, "port");
        const bool move = old && SettingsEntry(*old) ==
                                     SettingsEntry(ProxyForwarding(old->localPort, serverPort));
        const Forwarding proxy = ProxyForwarding(port, serverPort);
        std::string forwardings = settings_.ReadString(server, "forwardings");
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
        if (!Write(server, "forwardings", forwardings))
            return change;
        registry.WritePortForwardings(server, session);
        change.kind =
            move ? ProxyForwardingChange::Kind::Moved : ProxyForwardingChange::Kind::Added;
        change.oldLocalPort = move ? old->localPort : std::string();
        change.forwarding = proxy;
    }
    Write("IE", {{"proxyserver", server}, {"proxyport", port}});
    return change;
}

std::optional<Forwarding> AccountStore::FindForwarding(const std::string& account,
                                                       const std::string& localPort) const {
    // The settings file would find a section named in another letter case too.
    const int port = PortNumber(localPort);
    if (!port || std::find(Names().begin(), Names().end(), account) == Names().end())
        return std::nullopt;
    for (const Forwarding& forwarding :
         ParseSettingsForwardings(settings_.ReadString(account, "forwardings"))) {
        if (PortNumber(forwarding.localPort) == port)
            return forwarding;
    }
    return std::nullopt;
}

void AccountStore::SetTorRelay(bool on) {
    std::string account = settings_.ReadString("IE", "ProxyServer");
    if (account.empty())
        return;
    EnsureSession(account);
    std::string port = settings_.ReadString(account, "port");
    if (port.empty())
        return;
    RegistryReader registry;
    std::string forwardings = registry.ReadPortForwardings(account);
    registry.WritePortForwardings(account,
                                  on ? ChangeSessionTargetPort(forwardings, port, kTorPort)
                                     : ChangeSessionTargetPort(forwardings, kTorPort, port));
}
