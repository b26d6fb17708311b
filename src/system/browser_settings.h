// The browser's proxy for one Internet connection, pointed at the local end of the tunnel or
// back to what it held before.
#pragma once

#include "system/browser_restore.h"
#include "system/connection_settings.h"

#include <set>
#include <string>

// The browser connections the program has pointed at the tunnel, so that every one of them can
// be set back when the program ends: none is left pointing at a local port that nothing serves
// any more, and a proxy of the user's own comes back.
class BrowserProxy {
public:
    // Points the connection at the tunnel's local port, recording first what it held; or, off,
    // gives it back what it held (direct when it had no proxy of its own).
    void Set(const std::string& connectionName, const std::string& localPort, bool on);
    // Sets every connection still pointed at the tunnel back.
    void SetAllBack();

    const std::set<std::string>& Pointed() const { return pointed_; }

private:
    std::set<std::string> pointed_;
    BrowserRestore restore_;
};
