// Reading the saved session from the registry; see session.h.
#include "plink/session.h"

#include "logic/account_rules.h"
#include "logic/saved_session.h"
#include "owners/owners.h"

#include <windows.h>

#include <optional>

namespace {

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

// The sessions key first, then the session in it: under Wine the ANSI registry functions refuse
// a whole path longer than 260 characters, and a session's name alone can be 253.
bool OpenSession(const std::string& name, fw::RegKey& key) {
    fw::RegKey sessions;
    return ::RegOpenKeyExA(HKEY_CURRENT_USER, kSessionsKey, 0, KEY_QUERY_VALUE,
                           sessions.Receive()) == ERROR_SUCCESS &&
           ::RegOpenKeyExA(sessions, name.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) ==
               ERROR_SUCCESS;
}

} // namespace

std::optional<std::string> ReadSession(const std::string& name, Session& session) {
    fw::RegKey key;
    if (name.empty() || !OpenSession(name, key)) {
        return "The saved session \"" + name + "\" does not exist.";
    }

    std::optional<std::string> host = ReadString(key, kSessionHostName);
    if (!host || !IsUsableHostName(*host)) {
        return "The saved session \"" + name + "\" has no usable HostName.";
    }
    std::optional<DWORD> port = ReadDword(key, kSessionPortNumber);
    if (port && (*port < 1 || *port > 65535)) {
        return "The saved session \"" + name + "\" has PortNumber " + std::to_string(*port) +
                ", which is no TCP port.";
    }
    std::optional<DWORD> frontPort = ReadDword(key, kSessionBrowserFrontPort);
    if (frontPort && (*frontPort < 1 || *frontPort > 65535)) {
        return "The saved session \"" + name + "\" has BrowserFrontPort " +
               std::to_string(*frontPort) + ", which is no TCP port.";
    }
    SessionForwardings forwardings =
        ParseSessionForwardings(ReadString(key, kSessionPortForwardings).value_or(std::string()));

    session.host = *host;
    session.port = port ? static_cast<int>(*port) : kSshPort;
    session.user = ReadString(key, kSessionUserName).value_or(std::string());
    session.signIn = SignInFromText(ReadString(key, kSessionSignIn).value_or(std::string()));
    session.keyFile = ReadString(key, kSessionPublicKeyFile).value_or(std::string());
    if (session.signIn == SignIn::KeyFile && session.keyFile.empty()) {
        return "The saved session \"" + name + "\" signs in with a key file but names none.";
    }
    session.forwardings.clear();
    for (const LocalForwarding& forwarding : forwardings.usable) {
        if (!frontPort || forwarding.localPort != static_cast<int>(*frontPort))
            session.forwardings.push_back(forwarding);
    }
    session.skippedForwardings = forwardings.skipped;
    session.browserFrontPort =
        frontPort ? std::optional<int>(static_cast<int>(*frontPort)) : std::nullopt;
    return std::nullopt;
}
