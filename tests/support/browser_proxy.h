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
// Waits until another process has set the LAN's proxy server (or "direct"); false once the
// time is out.
bool WaitForLanProxy(const std::string& server, DWORD timeoutMs = 20000);
