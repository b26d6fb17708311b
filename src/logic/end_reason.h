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
//   /path/config: line 2: Bad configuration option: frobnicate   (then "terminating, ...")
// Signing in with a key or the agent, it follows these lines of -v, with the "debug1: " prefix:
//   Offering public key: FILE ED25519 SHA256:... explicit      (or "... agent")
//   Server accepts key: FILE ED25519 SHA256:... explicit
//   read_passphrase: requested to askpass                      (the key's passphrase)
//   get_agent_identities: ssh_fetch_identitylist: agent contains no identities
//   get_agent_identities: ssh_get_authentication_socket: No such file or directory
#pragma once

#include "logic/host_key_question.h"

#include <optional>
#include <string>

inline constexpr char kKeyNotAcceptedReason[] =
    "The server's key was not accepted, so no connection was made.";
// What plink.exe, as ssh's askpass program, prints when it could not put the question about a
// new server key to the user; ssh then takes the answer for a No.
inline constexpr char kKeyQuestionNotShownLine[] =
    "askpass: the question about the server's key could not be shown";
inline constexpr char kWrongPassphraseReason[] = "The passphrase of the key file was not accepted.";
inline constexpr char kKeyRefusedReason[] = "The server refused the key of this account.";
inline constexpr char kAgentNoKeyReason[] = "The SSH agent holds no key the server accepts.";
inline constexpr char kNoAgentReason[] = "The SSH agent is not running.";
inline constexpr char kKeyChangedReason[] =
    "The server's identity has changed since the last connection, so the connection was "
    "refused.";

// plink.exe's own failures, each of which ends a run; all but NoAnswer before ssh runs.
enum class ClientFailure {
    BadSession,         // the saved session is missing or cannot be used
    TooManyForwardings, // ssh's command line would be too long for the session's forwardings
    NoSsh,              // no ssh.exe was found
    SshNotStarted,      // ssh.exe was found but could not be started
    SystemFault,        // Winsock, a pipe or the environment could not be set up
    NoAnswer,           // the tunnel was neither up nor failed within the time allowed
    PassphraseInput,    // the key's passphrase on the standard input was too long or unreadable
    BrowserPortInUse,   // another program has the local port the browser is pointed at
};

// Whether the sentence tells of a failure that another attempt would meet the same way: the
// server refused the password or the key, the key's passphrase was wrong, the agent has no key or
// does not run, its host key changed or was not accepted, the saved session is broken, ssh.exe
// is missing, ssh cannot read its configuration. Only these exact sentences count (end_reason.cpp
// lists them beside their texts); any other, or none, may pass with time.
bool RetryCannotMend(const std::string& sentence);

class EndReason {
public:
    // `localPort` is the port of BrowserPortInUse. That failure may pass with time (the other
    // program may let the port go), so reconnecting tries again.
    void OnClientFailure(ClientFailure failure, int localPort = 0);
    // A forwarding of the session that was left out. It is named when nothing else explains
    // the end: it does not end the tunnel, but the user should hear of it.
    void OnSkippedForwarding(const std::string& entry);
    // A line of ssh's output. The first line that says why ssh gives up counts; the lines
    // after it are its consequences ("Host key verification failed." after the warning).
    void OnSshLine(const std::string& line);
    // The sentence; when nothing is known, that ssh gave no reason.
    std::string Text() const;
    // The new key of a server whose key has changed; nothing for any other end.
    const std::optional<ServerKey>& ChangedKey() const { return changedKey_; }

private:
    // What signing in with a key got to before ssh gave up.
    std::string SignInCause() const;

    bool keyOffered_ = false;
    bool agentKeyOffered_ = false;
    bool keyAccepted_ = false;
    bool passphraseAsked_ = false;
    bool agentEmpty_ = false;
    bool noAgent_ = false;
    std::string configLine_;
    std::optional<ServerKey> changedKey_;
    std::string changedKeyType_; // between the line that names the type and the fingerprint
    std::string cause_;
    std::string skippedForwarding_;
};
