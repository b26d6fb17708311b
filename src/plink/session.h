// The saved session plink.exe is pointed at: host, port, user and local port forwardings, read
// from HKEY_CURRENT_USER "Software\Larkspindle\PuTTY\Sessions\<name>", where Marrowin writes
// one per account.
#pragma once

#include <optional>
#include <string>
#include <vector>

inline constexpr char kSessionsKey[] = "Software\\Larkspindle\\PuTTY\\Sessions";

struct LocalForwarding {
    int localPort = 0;
    std::string targetHost;
    int targetPort = 0;
};

struct Session {
    std::string host;
    int port = 22;
    std::string user;
    std::vector<LocalForwarding> forwardings;
};

// The session's "PortForwardings" text, "L<local>=<host>:<port>," per entry. The last entry
// may lack its comma (a hand-edited value), and empty entries are skipped. Both ports must be
// numbers from 1 to 65535, the host a plain name or address, and no local port may occur twice;
// anything else makes the whole text unusable, since a tunnel missing one of its forwardings
// would look established while part of it is not there.
std::optional<std::vector<LocalForwarding>> ParseSessionForwardings(const std::string& text);

// Host names go to ssh as a word of its command line: letters, digits, dots, hyphens and
// underscores, not starting with a hyphen (ssh would take it for an option), or an IPv6 address
// in brackets.
bool IsUsableHostName(const std::string& host);

// Reads the saved session. On failure returns false with a sentence saying what is wrong.
// A missing PortNumber means ssh's port 22; a missing or empty UserName leaves the user to ssh.
bool ReadSession(const std::string& name, Session& session, std::string& error);
