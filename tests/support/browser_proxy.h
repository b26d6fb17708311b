// Reading back the browser's proxy for an Internet connection, as WinINet reports it.
#pragma once

#include <windows.h>

#include <string>

struct ConnectionProxy {
    DWORD flags = 0;
    std::string server;
    std::string bypass;
};

// The connection's options; an empty name means the LAN settings.
ConnectionProxy QueryProxy(const std::string& connection);
// The LAN's proxy server while a proxy is on, else "direct".
std::string LanProxyServer();
// The repair command the user's RunOnce key holds for the next logon; empty while none.
std::string RunOnceRepairCommand();
