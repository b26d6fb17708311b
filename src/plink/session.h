// The saved session plink.exe is pointed at: host, port, user and local port forwardings, read
// from HKEY_CURRENT_USER "Software\Larkspindle\PuTTY\Sessions\<name>", where Marrowin writes
// one per account.
#pragma once

#include <string>
#include <vector>

inline constexpr char kSessionsKey[] = "Software\\Larkspindle\\PuTTY\\Sessions";

struct LocalForwarding {
    int localPort = 0;
    std::string targetHost;
    int targetPort = 0;
};

struct SessionForwardings {
    std::vector<LocalForwarding> usable;
    // The entries that cannot be used, as they stand in the text.
    std::vector<std::string> skipped;
};

struct Session {
    std::string host;
    int port = 22;
    std::string user;
    std::vector<LocalForwarding> forwardings;
    std::vector<std::string> skippedForwardings;
};

// The session's "PortForwardings" text, "L<local>=<host>:<port>," per entry. The last entry
// may lack its comma (a hand-edited value), and empty entries are ignored. Both ports must be
// numbers from 1 to 65535 and the host a plain name or address (the same rules as Marrowin's
// accounts editor), and a local port is forwarded once. An entry that breaks them is skipped,
// so that one entry written by hand or by an older version does not make the account unusable.
SessionForwardings ParseSessionForwardings(const std::string& text);

// Reads the saved session. On failure returns false with a sentence saying what is wrong.
// A missing PortNumber means ssh's port 22; a missing or empty UserName leaves the user to ssh.
// Forwardings that cannot be used are left out and listed in `skippedForwardings`.
bool ReadSession(const std::string& name, Session& session, std::string& error);
