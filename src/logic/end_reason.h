// Why a run of plink.exe failed, in one sentence a user understands, for Marrowin to show in a
// balloon of its tray icon. It comes from plink.exe's own failures, from the forwardings it
// left out, and from the lines with which ssh gives up. Plain logic, no Win32.
//
// The lines of OpenSSH it knows (tests/plink/transcripts holds real ones); none carries a
// "debug1: " prefix, and ssh prints them whatever its verbosity:
//   tunnelu@host: Permission denied (publickey,password).
//   ssh: connect to host H port P: Connection refused   (or timed out, no route ...)
//   ssh: Could not resolve hostname H: ...
//   @    WARNING: REMOTE HOST IDENTIFICATION HAS CHANGED!     @
//   The fingerprint for the ED25519 key sent by the remote host is
//   SHA256:Lhc9SQGI8GY58CqSASiuWd91Wxc3IdLA2BvU4YnHx8Y.
//   Host key verification failed.   (alone: the user did not accept the key of a new server)
//   bind [127.0.0.1]:N: Address already in use
//   Timeout, server H not responding.
//   Connection to H closed by remote host.
#pragma once

#include "logic/host_key_question.h"

#include <optional>
#include <string>

inline constexpr char kKeyNotAcceptedReason[] =
    "The server's key was not accepted, so no connection was made.";
inline constexpr char kKeyChangedReason[] =
    "The server's identity has changed since the last connection, so the connection was "
    "refused.";
// The reasons after which no reconnect attempt follows: retrying cannot mend them.
inline constexpr const char* kReasonsWithoutReconnect[] = {kKeyNotAcceptedReason};
bool EndsWithoutReconnect(const std::string& reason);

// plink.exe's own failures, each of which ends a run before ssh runs.
enum class ClientFailure {
    BadSession,    // the saved session is missing or cannot be used
    NoSsh,         // no ssh.exe was found
    SshNotStarted, // ssh.exe was found but could not be started
    SystemFault,   // Winsock, a pipe or the environment could not be set up
};

class EndReason {
public:
    void OnClientFailure(ClientFailure failure);
    // A forwarding of the session that was left out. It is named when nothing else explains
    // the end: it does not end the tunnel, but the user should hear of it.
    void OnSkippedForwarding(const std::string& entry);
    // A line of ssh's output. The first line that says why ssh gives up counts; the lines
    // after it are its consequences ("Host key verification failed." after the warning).
    void OnSshLine(const std::string& line);
    // The sentence; empty when nothing is known.
    std::string Text() const;
    // The new key of a server whose key has changed; nothing for any other end.
    const std::optional<ServerKey>& ChangedKey() const { return changedKey_; }

private:
    std::optional<ServerKey> changedKey_;
    std::string changedKeyType_; // between the line that names the type and the fingerprint
    std::string cause_;
    std::string skippedForwarding_;
};
