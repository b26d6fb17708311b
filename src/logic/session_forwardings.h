// The local port forwardings of a saved session, read from its "PortForwardings" text. Plain
// text work, no Win32, so that plink.exe's tests and the fuzzing build reach it without the
// registry.
#pragma once

#include <string>
#include <vector>

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

// The session's "PortForwardings" text, "L<local>=<host>:<port>," per entry. The last entry
// may lack its comma (a hand-edited value), and empty entries are ignored. Both ports must be
// numbers from 1 to 65535 and the host a plain name or address (the same rules as Marrowin's
// accounts editor), and a local port is forwarded once. An entry that breaks them is skipped,
// so that one entry written by hand or by an older version does not make the account unusable.
SessionForwardings ParseSessionForwardings(const std::string& text);
