// Reading and setting an Internet connection's proxy settings through WinINet.
#include "system/connection_settings.h"

#include <wininet.h>

#include <cstring>
#include <vector>

namespace {

const char kTunnelProxyPrefix[] = "127.0.0.1:";
const char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const DWORD kKnownFlags =
    PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY | PROXY_TYPE_AUTO_PROXY_URL | PROXY_TYPE_AUTO_DETECT;

// WinINet hands the texts it reads over in memory of GlobalAlloc, or null for none.
std::string TakeText(char* text) {
    if (!text)
        return std::string();
    std::string taken = text;
    ::GlobalFree(text);
    return taken;
}

std::vector<char> Terminated(const std::string& text) {
    std::vector<char> terminated(text.begin(), text.end());
    terminated.push_back('\0');
    return terminated;
}

// The LAN's bypass list as the browsers read it from the user's Internet Settings. Windows writes
// it there with the per-connection options; Wine stores only the proxy's switch and server of
// them, so the list is written as well, to the same value.
void KeepLanBypass(const INTERNET_PER_CONN_OPTIONA* options, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        if (options[i].dwOption != INTERNET_PER_CONN_PROXY_BYPASS)
            continue;
        const char* bypass = options[i].Value.pszValue ? options[i].Value.pszValue : "";
        ::RegSetKeyValueA(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyOverride", REG_SZ,
                          bypass, static_cast<DWORD>(std::strlen(bypass) + 1));
    }
}

std::string LanBypass() {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegGetValueA(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyOverride", RRF_RT_REG_SZ,
                       &type, nullptr, &size) != ERROR_SUCCESS ||
        size == 0)
        return std::string();
    std::vector<char> text(size);
    if (::RegGetValueA(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyOverride", RRF_RT_REG_SZ,
                       &type, text.data(), &size) != ERROR_SUCCESS)
        return std::string();
    return text.data();
}

// Sets the options of the connection (the LAN settings for an empty name) and tells the browser
// to read its settings again; whether the system took the options.
bool SetOptions(const std::string& connectionName, INTERNET_PER_CONN_OPTIONA* options,
                DWORD count) {
    std::vector<char> connection = Terminated(connectionName);
    INTERNET_PER_CONN_OPTION_LISTA list = {};
    list.dwSize = sizeof(list);
    list.pszConnection = connectionName.empty() ? nullptr : connection.data();
    list.dwOptionCount = count;
    list.pOptions = options;
    BOOL applied =
        ::InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list));
    if (applied && connectionName.empty())
        KeepLanBypass(options, count);
    ::InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    ::InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    ::InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    return applied != FALSE;
}

} // namespace

bool ReadConnectionSettings(const std::string& connectionName, ConnectionSettings& settings) {
    INTERNET_PER_CONN_OPTIONA options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    std::vector<char> connection = Terminated(connectionName);
    INTERNET_PER_CONN_OPTION_LISTA list = {};
    list.dwSize = sizeof(list);
    list.pszConnection = connectionName.empty() ? nullptr : connection.data();
    list.dwOptionCount = 4;
    list.pOptions = options;
    DWORD size = sizeof(list);
    if (!::InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return false;
    settings.flags = options[0].Value.dwValue;
    settings.proxyServer = TakeText(options[1].Value.pszValue);
    settings.proxyBypass = TakeText(options[2].Value.pszValue);
    settings.autoConfigUrl = TakeText(options[3].Value.pszValue);
    // Wine reports the LAN's bypass list only while its proxy is on.
    if (connectionName.empty() && settings.proxyBypass.empty())
        settings.proxyBypass = LanBypass();
    return true;
}

ConnectionSettings UserSettings(const ConnectionSettings& held) {
    ConnectionSettings user = held;
    user.flags = (held.flags & kKnownFlags) | PROXY_TYPE_DIRECT;
    bool ourTunnel = held.proxyServer.compare(0, sizeof(kTunnelProxyPrefix) - 1,
                                              kTunnelProxyPrefix) == 0;
    if (ourTunnel) {
        user.flags &= ~static_cast<DWORD>(PROXY_TYPE_PROXY);
        user.proxyServer.clear();
        user.proxyBypass.clear();
    }
    return user;
}

bool PointsAtTunnel(const ConnectionSettings& settings, const std::string& localPort) {
    return (settings.flags & PROXY_TYPE_PROXY) &&
           settings.proxyServer == kTunnelProxyPrefix + localPort;
}

bool ApplyConnectionSettings(const std::string& connectionName,
                             const ConnectionSettings& settings) {
    std::vector<char> server = Terminated(settings.proxyServer);
    std::vector<char> bypass = Terminated(settings.proxyBypass);
    std::vector<char> script = Terminated(settings.autoConfigUrl);
    INTERNET_PER_CONN_OPTIONA options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[0].Value.dwValue = settings.flags;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[1].Value.pszValue = server.data();
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[2].Value.pszValue = bypass.data();
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[3].Value.pszValue = script.data();
    return SetOptions(connectionName, options, 4);
}

bool SetConnectionProxy(const std::string& connectionName, const std::string& localPort, bool on,
                        const std::string& bypassList) {
    std::vector<char> server = Terminated(kTunnelProxyPrefix + localPort);
    std::vector<char> bypass = Terminated(bypassList);
    char empty[] = "";

    INTERNET_PER_CONN_OPTIONA options[3] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[0].Value.dwValue = on ? PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY : PROXY_TYPE_DIRECT;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[1].Value.pszValue = on ? server.data() : empty;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[2].Value.pszValue = on ? bypass.data() : empty;
    return SetOptions(connectionName, options, 3);
}
