// Reading the saved session and its forwardings; see session.h.
#include "plink/session.h"

#include "settings/account_rules.h"

#include <windows.h>

#include <optional>
#include <set>

namespace {

std::optional<LocalForwarding> ParseEntry(const std::string& entry) {
    size_t equals = entry.find('=');
    size_t colon = entry.rfind(':');
    if (entry.size() < 2 || entry[0] != 'L' || equals == std::string::npos ||
        colon == std::string::npos || colon < equals)
        return std::nullopt;
    LocalForwarding forwarding;
    forwarding.localPort = PortNumber(entry.substr(1, equals - 1));
    forwarding.targetHost = entry.substr(equals + 1, colon - equals - 1);
    forwarding.targetPort = PortNumber(entry.substr(colon + 1));
    if (!forwarding.localPort || !forwarding.targetPort || !IsUsableHostName(forwarding.targetHost))
        return std::nullopt;
    return forwarding;
}

// A value of another type reads as missing.
std::optional<std::string> ReadString(HKEY key, const char* name) {
    for (;;) {
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        std::string text(size + 1, '\0');
        LONG result =
            ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size);
        if (result == ERROR_MORE_DATA)
            continue; // grew in between
        if (result != ERROR_SUCCESS || type != REG_SZ)
            return std::nullopt;
        text.resize(size);
        // The stored length may or may not count the terminating zero.
        size_t end = text.find('\0');
        if (end != std::string::npos)
            text.resize(end);
        return text;
    }
}

std::optional<DWORD> ReadDword(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

class RegistryKey {
public:
    ~RegistryKey() {
        if (key_)
            ::RegCloseKey(key_);
    }
    // The sessions key first, then the session in it: under Wine the ANSI registry functions
    // refuse a whole path longer than 260 characters, and a session's name alone can be 253.
    bool OpenSession(const std::string& name) {
        HKEY sessions = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSessionsKey, 0, KEY_QUERY_VALUE, &sessions) !=
            ERROR_SUCCESS)
            return false;
        bool opened =
            ::RegOpenKeyExA(sessions, name.c_str(), 0, KEY_QUERY_VALUE, &key_) == ERROR_SUCCESS;
        ::RegCloseKey(sessions);
        return opened;
    }
    operator HKEY() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

SessionForwardings ParseSessionForwardings(const std::string& text) {
    SessionForwardings forwardings;
    std::set<int> localPorts;
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        size_t end = comma == std::string::npos ? text.size() : comma;
        std::string entry = text.substr(start, end - start);
        start = end + 1;
        if (entry.empty())
            continue;
        std::optional<LocalForwarding> forwarding = ParseEntry(entry);
        if (forwarding && localPorts.insert(forwarding->localPort).second)
            forwardings.usable.push_back(*forwarding);
        else
            forwardings.skipped.push_back(entry);
    }
    return forwardings;
}

bool ReadSession(const std::string& name, Session& session, std::string& error) {
    RegistryKey key;
    if (name.empty() || !key.OpenSession(name)) {
        error = "The saved session \"" + name + "\" does not exist.";
        return false;
    }

    std::optional<std::string> host = ReadString(key, "HostName");
    if (!host || !IsUsableHostName(*host)) {
        error = "The saved session \"" + name + "\" has no usable HostName.";
        return false;
    }
    std::optional<DWORD> port = ReadDword(key, "PortNumber");
    if (port && (*port < 1 || *port > 65535)) {
        error = "The saved session \"" + name + "\" has PortNumber " + std::to_string(*port) +
                ", which is no TCP port.";
        return false;
    }
    SessionForwardings forwardings =
        ParseSessionForwardings(ReadString(key, "PortForwardings").value_or(std::string()));

    session.host = *host;
    session.port = port ? static_cast<int>(*port) : 22;
    session.user = ReadString(key, "UserName").value_or(std::string());
    session.forwardings = forwardings.usable;
    session.skippedForwardings = forwardings.skipped;
    return true;
}
