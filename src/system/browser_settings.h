// The browser's proxy for one Internet connection, pointed at the local end of the tunnel or
// back to what it held before.
#pragma once

#include "system/browser_restore.h"
#include "system/connection_settings.h"

#include <set>
#include <string>
#include <vector>

// A connection pointed at the tunnel that another program has pointed elsewhere, and what it
// holds now.
struct TakenConnection {
    std::string connectionName;
    ConnectionSettings now;
};

// The browser's security zones and the proxy values of the user's Internet Settings, which the
// options and Quit set. The zone writes return false when a zone that exists refused them; the
// other zones are written all the same.
class BrowserRegistry {
public:
    bool DisableActiveX() const;
    bool RestoreActiveX() const;
    bool SetJavaDisabled(int disabled) const;
    // Only a proxy of the tunnel's, or none, is reset: a proxy of the user's own stays.
    void ResetRegistryProxy() const;
};

// The browser connections the program has pointed at the tunnel, so that every one of them can
// be set back when the program ends: none is left pointing at a local port that nothing serves
// any more, and a proxy of the user's own comes back.
class BrowserProxy {
public:
    // The program's own bypass entries, which come before the connection's own while it points
    // at the tunnel.
    void SetOwnBypass(const std::string& list) { ownBypass_ = list; }
    // Points the connection at the tunnel's local port, recording first what it held; or, off,
    // gives it back what it held (direct when it had no proxy of its own).
    void Set(const std::string& connectionName, const std::string& localPort, bool on);
    // The connections pointed at the tunnel that no longer point at its local port. One that
    // no longer exists is forgotten.
    std::vector<TakenConnection> TakenAway(const std::string& localPort);
    // What the other program wrote becomes what the connection is given back, and the
    // connection points at the tunnel again; or, let go, it keeps what the other program wrote.
    void PointBack(const TakenConnection& taken, const std::string& localPort);
    void LetGo(const TakenConnection& taken);
    // Sets every connection still pointed at the tunnel back.
    void SetAllBack();

    const std::set<std::string>& Pointed() const { return pointed_; }

private:
    void Point(const std::string& connectionName, const std::string& localPort);

    std::string ownBypass_ = "local";
    std::set<std::string> pointed_;
    BrowserRestore restore_;
};
