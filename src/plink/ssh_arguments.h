// What plink.exe asks of the system's OpenSSH client: the argument list built from a saved
// session, the command line it becomes, and where ssh.exe is found.
#pragma once

#include "plink/session.h"

#include <optional>
#include <string>
#include <vector>

// Everything ssh needs for the tunnel and nothing else: no remote command (-N); one local
// forwarding per session entry, bound to 127.0.0.1 only; verbose output (-v), which is how the
// client learns that authentication succeeded and the forwardings listen; ssh ends when a
// forwarding cannot be set up (ExitOnForwardFailure), gives up a server that does not take the
// connection and greet within 30 seconds (ConnectTimeout), and notices a dead link within 45
// seconds (a keep-alive every 15 seconds, three missed answers). Authentication is the account's
// way alone: by password, with one attempt (a wrong password is not retried, so an account is
// not locked by retries), keyboard-interactive allowed after "password" because many servers ask
// for the password that way only; or by the account's key file alone (IdentitiesOnly, no agent),
// its passphrase asked once; or by the agent's keys. BatchMode stays off, since it would keep ssh
// from asking for the password at all. No connection sharing (ControlMaster, ControlPath): a line
// of the user's ~/.ssh/config meant for other connections cannot break the tunnel, since what is
// given here wins over the file; what the file adds on purpose (a jump host) still applies.
// Host keys are Marrowin's own: the known-hosts file in the app folder is the only one ssh reads
// or writes (never the user's ~/.ssh), with the names in plain text (so that Marrowin can find
// an account's lines) and without the address lines of CheckHostIP. ssh asks before it trusts
// the key of a new server (StrictHostKeyChecking=ask, through the askpass program) and refuses
// a key that has changed.
// With a SOCKS port, ssh also serves a dynamic forwarding (SOCKS) there, on 127.0.0.1 only, for
// the browser front.
std::vector<std::string> SshArguments(const Session& session, const std::string& knownHostsPath,
                                      std::optional<int> socksPort = std::nullopt);
// A path as a value of ssh's configuration: forward slashes, which the Windows build takes, so
// that no backslash is read as an escape; quoted, so that a blank does not split it into two
// files; '%' doubled where ssh expands its tokens (UserKnownHostsFile, not GlobalKnownHostsFile).
std::string SshConfigPath(const std::string& path, bool tokens);

// One argument quoted for a Windows command line, as the C runtime of the started program
// splits it again.
std::string QuoteArgument(const std::string& argument);
// The program followed by its arguments, each quoted where needed.
std::string CommandLine(const std::string& program, const std::vector<std::string>& arguments);
// Whether Windows starts a program with the whole command line: it takes at most 32,767
// characters, the terminating zero included, and would cut a longer one.
bool FitsOnCommandLine(const std::string& commandLine);

// ssh.exe, in this order: the environment variable MARROWIN_SSH (which tests and unusual
// installations use), the OpenSSH client that Windows ships in %SystemRoot%\System32\OpenSSH,
// then the folders of PATH. Empty when none is found.
std::string FindSshProgram();
