// The accounts in the settings file and in the saved sessions, kept in step.
#include "settings/account_store.h"

#include "settings/password_scrambling.h"
#include "settings/server_list.h"
#include "system/registry_reader.h"

#include <algorithm>

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
        for (const Forwarding& forwarding : ParseSettingsForwardings(found->second))
            rows.push_back({account, forwarding});
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

bool AccountStore::Create(const AccountFields& fields) {
    const std::string& name = fields.serverName;
    settings_.WriteString("Tunnel", "servers",
                          AppendServerEntry(settings_.ReadString("Tunnel", "servers"), name));
    settings_.AppendAccountName(name);
    settings_.WriteString(name, "port", fields.serverPort);
    settings_.WriteString(name, "username", fields.userName);
    settings_.WriteString(name, "password", ScramblePassword(fields.password));
    RegistryReader registry;
    registry.WriteSessionProfile(name, name, fields.userName);
    settings_.WriteString(name, "forwardings", DefaultSettingsForwardings(fields.serverPort));
    registry.WritePortForwardings(name, DefaultSessionForwardings(fields.serverPort));

    if (Names().size() != 1)
        return false;
    settings_.WriteString("tunnel", "default", name);
    settings_.WriteString("IE", "proxyServer", name);
    settings_.WriteString("IE", "proxyPort", "50000");
    return true;
}

AccountUpdate AccountStore::Update(const Account& saved, const AccountFields& edited) {
    AccountUpdate update;
    update.storedPassword = saved.password;
    std::string name = saved.name;
    RegistryReader registry;
    if (edited.serverName != saved.name) {
        const std::string& newName = edited.serverName;
        registry.RecreateSessionProfile(name, newName, saved.userName);
        settings_.RenameAccountSection(name, newName);
        settings_.WriteString(
            "tunnel", "servers",
            ReplaceServerEntry(settings_.ReadString("tunnel", "servers"), name, newName));
        settings_.RemoveAccountName(name);
        settings_.AppendAccountName(newName);
        if (settings_.ReadString("tunnel", "default") == name)
            settings_.WriteString("tunnel", "default", newName);
        if (settings_.ReadString("IE", "proxyserver") == name)
            settings_.WriteString("IE", "proxyserver", newName);
        name = newName;
        update.renamed = true;
    }
    if (edited.userName != saved.userName) {
        registry.WriteRegistryString(HKEY_CURRENT_USER, SessionPath(name), "UserName",
                                     edited.userName);
        settings_.WriteString(name, "username", edited.userName);
    }
    if (edited.password != saved.password) {
        update.storedPassword = ScramblePassword(edited.password);
        settings_.WriteString(name, "password", update.storedPassword);
    }
    if (edited.serverPort != saved.serverPort) {
        registry.WritePortForwardings(name,
                                      ChangeSessionTargetPort(registry.ReadPortForwardings(name),
                                                              saved.serverPort, edited.serverPort));
        std::string stored = settings_.ReadString(name, "forwardings");
        std::string changed = ChangeSettingsTargetPort(stored, saved.serverPort, edited.serverPort);
        if (changed != stored)
            settings_.WriteString(name, "forwardings", changed);
        settings_.WriteString(name, "port", edited.serverPort);
        update.serverPortChanged = true;
    }
    return update;
}

bool AccountStore::Remove(const std::string& name) {
    RegistryReader().DeleteSessionProfile(name);
    settings_.RemoveAccountName(name);
    settings_.DeleteSection(name);
    settings_.WriteString("tunnel", "servers",
                          RemoveServerEntry(settings_.ReadString("tunnel", "servers"), name));
    if (settings_.ReadString("tunnel", "default") == name)
        settings_.WriteString("tunnel", "default", "");
    if (settings_.ReadString("IE", "proxyserver") != name)
        return false;
    settings_.WriteString("IE", "proxyserver", "");
    settings_.WriteString("IE", "proxyport", "");
    return true;
}

void AccountStore::SetDefault(const std::string& name) {
    settings_.WriteString("tunnel", "default", name);
    settings_.WriteString("IE", "proxyServer", name);
}

bool AccountStore::AddForwarding(const std::string& account, const Forwarding& forwarding) {
    std::string stored = settings_.ReadString(account, "forwardings");
    // "25" and "025" are the same port to the SSH client.
    for (const Forwarding& existing : ParseSettingsForwardings(stored)) {
        if (PortNumber(existing.localPort) == PortNumber(forwarding.localPort))
            return false;
    }
    settings_.WriteString(account, "forwardings",
                          AppendSettingsEntry(stored, SettingsEntry(forwarding)));
    RegistryReader registry;
    registry.WriteRegistryString(
        HKEY_CURRENT_USER, SessionPath(account), "PortForwardings",
        AppendSessionEntry(registry.ReadPortForwardings(account), SessionEntry(forwarding)));
    return true;
}

bool AccountStore::RemoveForwarding(const std::string& account, const Forwarding& forwarding) {
    RegistryReader registry;
    registry.WritePortForwardings(
        account, RemoveSessionEntry(registry.ReadPortForwardings(account), forwarding.localPort));
    settings_.WriteString(account, "forwardings",
                          RemoveSettingsEntry(settings_.ReadString(account, "forwardings"),
                                              SettingsEntry(forwarding)));
    if (settings_.ReadString("IE", "proxyServer") != account ||
        settings_.ReadString("IE", "proxyPort") != forwarding.localPort)
        return false;
    settings_.WriteString("IE", "proxyServer", "");
    settings_.WriteString("IE", "proxyPort", "");
    return true;
}

ProxyForwardingChange AccountStore::SetProxyForwarding(const std::string& server,
                                                       const std::string& port) {
    std::string oldServer = settings_.ReadString("IE", "proxyServer");
    std::string oldPort = settings_.ReadString("IE", "proxyPort");
    ProxyForwardingChange change;
    change.account = server;
    if (!FindForwarding(server, port)) {
        std::optional<Forwarding> old = FindForwarding(oldServer, oldPort);
        if (old && server == oldServer) {
            // Only the local port changes, in both forms: a target the TOR relay has set in the
            // session stays as it is.
            settings_.WriteString(server, "forwardings",
                                  ChangeSettingsLocalPort(
                                      settings_.ReadString(server, "forwardings"), oldPort, port));
            RegistryReader registry;
            registry.WritePortForwardings(
                server,
                ChangeSessionLocalPort(registry.ReadPortForwardings(server), oldPort, port));
            change.kind = ProxyForwardingChange::Kind::Moved;
            change.oldLocalPort = oldPort;
            change.forwarding = *old;
            change.forwarding.localPort = port;
        } else if (!old) {
            Forwarding proxy{port, "localhost", settings_.ReadString(server, "port"), "IE Proxy"};
            AddForwarding(server, proxy);
            change.kind = ProxyForwardingChange::Kind::Added;
            change.forwarding = proxy;
        }
    }
    settings_.WriteString("IE", "proxyserver", server);
    settings_.WriteString("IE", "proxyport", port);
    return change;
}

std::optional<Forwarding> AccountStore::FindForwarding(const std::string& account,
                                                       const std::string& localPort) const {
    // The settings file would find a section named in another letter case too.
    if (std::find(Names().begin(), Names().end(), account) == Names().end())
        return std::nullopt;
    for (const Forwarding& forwarding :
         ParseSettingsForwardings(settings_.ReadString(account, "forwardings"))) {
        if (forwarding.localPort == localPort)
            return forwarding;
    }
    return std::nullopt;
}

void AccountStore::SetTorRelay(bool on) {
    std::string account = settings_.ReadString("IE", "ProxyServer");
    if (account.empty())
        return;
    std::string port = settings_.ReadString(account, "port");
    if (port.empty())
        return;
    RegistryReader registry;
    std::string forwardings = registry.ReadPortForwardings(account);
    registry.WritePortForwardings(account,
                                  on ? ChangeSessionTargetPort(forwardings, port, kTorPort)
                                     : ChangeSessionTargetPort(forwardings, kTorPort, port));
}
