// The browser's proxy for one Internet connection, pointed at the local end of the tunnel or
// back to a direct connection.
#pragma once

#include <string>

// An empty connection name means the LAN settings. Returns whether the system took the options;
// the browser is told to reload its settings either way.
bool SetConnectionProxy(const std::string& connectionName, const std::string& localPort, bool on);
