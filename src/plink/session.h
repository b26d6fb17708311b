// The saved session plink.exe is pointed at: host, port, user and local port forwardings, read
// from HKEY_CURRENT_USER "Software\Larkspindle\PuTTY\Sessions\<name>", where Marrowin writes
// one per account.
#pragma once

#include "plink/session_forwardings.h"

#include <string>
#include <vector>

inline constexpr char kSessionsKey[] = "Software\\Larkspindle\\PuTTY\\Sessions";

struct Session {
    std::string host;
    int port = 22;
    std::string user;
    std::vector<LocalForwarding> forwardings;
    std::vector<std::string> skippedForwardings;
};

// Reads the saved session. On failure returns false with a sentence saying what is wrong.
// A missing PortNumber means ssh's port 22; a missing or empty UserName leaves the user to ssh.
// Forwardings that cannot be used are left out and listed in `skippedForwardings`.
bool ReadSession(const std::string& name, Session& session, std::string& error);
