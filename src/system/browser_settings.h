// The browser's proxy for one Internet connection, pointed at the local end of the tunnel or
// back to a direct connection.
#pragma once

#include <set>
#include <string>

// An empty connection name means the LAN settings. Returns whether the system took the options;
// the browser is told to reload its settings either way.
bool SetConnectionProxy(const std::string& connectionName, const std::string& localPort, bool on);

// The browser connections the program has pointed at the tunnel, so that every one of them can
// be set back to direct when the program ends: none is left pointing at a local port that
// nothing serves any more.
class BrowserProxy {
public:
    // Points the connection at the tunnel's local port, or back to direct.
    void Set(const std::string& connectionName, const std::string& localPort, bool on);
    // Sets every connection still pointed at the tunnel back to direct.
    void SetAllDirect();

    const std::set<std::string>& Pointed() const { return pointed_; }

private:
    std::set<std::string> pointed_;
};
