// What an Internet connection's proxy settings hold, as WinINet keeps them per connection: read
// before the program points the connection at the tunnel, and given back afterwards.
#pragma once

#include <windows.h>

#include <string>

struct ConnectionSettings {
    DWORD flags = 0; // PROXY_TYPE_* bits
    std::string proxyServer;
    std::string proxyBypass;
    std::string autoConfigUrl;
};

// The connection's four values; an empty name means the LAN settings. False when WinINet could
// not read them.
bool ReadConnectionSettings(const std::string& connectionName, ConnectionSettings& settings);

// What the user's settings were, with the program's own tunnel ("127.0.0.1:" with the proxy
// on) read as a direct connection without server or bypass list: a tunnel left behind by an
// earlier run is never taken for the user's own proxy. Anything else is kept as it is, a
// server and bypass list kept while the proxy is off included.
ConnectionSettings UserSettings(const ConnectionSettings& held);
// Whether the connection points at the tunnel's local port.
bool PointsAtTunnel(const ConnectionSettings& settings, const std::string& localPort);

// Sets the connection's four values and tells the browser to reload them. Returns whether the
// system took them.
bool ApplyConnectionSettings(const std::string& connectionName, const ConnectionSettings& settings);

// Points the connection at "127.0.0.1:" and the local port with the bypass list (by default
// "local"), or, off, sets it direct without proxy server or bypass list. Returns whether the
// system took the options; the browser is told to reload its settings either way.
bool SetConnectionProxy(const std::string& connectionName, const std::string& localPort, bool on,
                        const std::string& bypass = "local");
