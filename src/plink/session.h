// The saved session plink.exe is pointed at: host, port, user and local port forwardings, read
// from the key where Marrowin writes one per account (logic/saved_session.h).
#pragma once

#include "logic/saved_session.h"
#include "logic/session_forwardings.h"
#include "logic/sign_in.h"

#include <optional>
#include <string>
#include <vector>

struct Session {
    std::string host;
    int port = kSshPort;
    std::string user;
    SignIn signIn = SignIn::Password;
    std::string keyFile;
    std::vector<LocalForwarding> forwardings;
    std::vector<std::string> skippedForwardings;
};

// Reads the saved session. On failure answers a sentence saying what is wrong.
// A missing PortNumber means ssh's port 22; a missing or empty UserName leaves the user to ssh.
// Forwardings that cannot be used are left out and listed in `skippedForwardings`.
std::optional<std::string> ReadSession(const std::string& name, Session& session);
