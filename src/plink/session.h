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
    // The port of the browser front (logic/saved_session.h), when the account has one; no
    // forwarding of `forwardings` has it as its local port.
    std::optional<int> browserFrontPort;
};

// Reads the saved session. On failure answers a sentence saying what is wrong.
// A missing PortNumber means ssh's port 22; a missing or empty UserName leaves the user to ssh.
// Forwardings that cannot be used are left out and listed in `skippedForwardings`; the one of
// the browser front's port is left out without a word.
std::optional<std::string> ReadSession(const std::string& name, Session& session);
