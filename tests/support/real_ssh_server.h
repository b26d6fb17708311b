// The real OpenSSH server that scripts/test starts (scripts/real-ssh/server.py), as the tests reach
// it: through its control port, named with its broker by MARROWIN_REAL_SSH. It runs sshd on
// 127.0.0.1 for a test user with a password, a web server and an HTTP proxy behind it, and the
// broker through which the relay ssh.exe (tests/support/real_ssh_relay.cpp) runs the real Linux
// ssh.
#pragma once

#include <string>

class RealSshServer {
public:
    // Asks the server what the run needs to know; Available() tells whether it answered.
    RealSshServer();

    bool Available() const { return available_; }
    // Why the server cannot be used, for a skipped test.
    const std::string& Why() const { return why_; }

    // The server's answer to one control command, without its line end: "ok" when done.
    // reset: sshd runs with its first host key, and the client knows no host key.
    // stop: sshd and every session it serves end, as when a server goes away. start: it runs.
    // new-host-key: sshd runs with another host key. runs: "<ssh runs so far> <running now>".
    // proxy-requests: how many requests the HTTP proxy behind sshd served so far.
    // chromium <proxy>: "ok" when headless Chromium, given that proxy, got the web server's page
    // by kServerOnlyHost. dns-queries: how many DNS queries for kServerOnlyHost this machine has
    // sent so far, to any name server.
    // client-keys: "<folder> <passphrase>", the folder's keys made anew: "plain" and "locked"
    // (with the passphrase), which the key user signs in with, and "stranger", which sshd does
    // not know. ssh-config none|sharing|bad: the ~/.ssh/config ssh reads: none, one asking for
    // connection sharing, one with an option ssh does not know on line 3.
    std::string Command(const std::string& command) const;

    int SshdPort() const { return sshdPort_; }
    const std::string& User() const { return user_; }
    // The user who signs in with a key of "client-keys" only, never with a password.
    const std::string& KeyUser() const { return keyUser_; }
    const std::string& Password() const { return password_; }
    // The HTTP proxy behind sshd (the account's server port) and the web server behind it.
    int ProxyPort() const { return proxyPort_; }
    int WebPort() const { return webPort_; }
    // Text of the page the web server serves, and of no other.
    const std::string& Marker() const { return marker_; }
    // sshd's log, and everything the real ssh printed in every run, as they are now.
    std::string SshdLog() const;
    std::string SshRunsLog() const;
    // How many times the real ssh was started so far, and how many run now.
    int SshRuns() const;
    int RunningSsh() const;

private:
    bool available_ = false;
    std::string why_;
    std::string address_;
    int sshdPort_ = 0;
    int proxyPort_ = 0;
    int webPort_ = 0;
    std::string user_;
    std::string keyUser_;
    std::string password_;
    std::string marker_;
    std::string sshdLog_;
    std::string runsLog_;
};

// The relay ssh.exe, as a Windows path.
std::string RealSshRelayPath();

// "GET http://127.0.0.1:<webPort>/" sent to a proxy at 127.0.0.1:<proxyPort>, as a browser sends
// it: the whole answer, empty when none came.
std::string FetchThroughProxy(int proxyPort, int webPort);

// The same page by a name, sent as a plain request or, with `tunnel`, inside a CONNECT sent in
// the same write.
std::string FetchByName(int proxyPort, const std::string& host, int webPort, bool tunnel);
// A name of the web server's machine that only sshd's side can look up.
inline constexpr char kServerOnlyHost[] = "marrowin-only.test";

// Occurrences of the text in the whole text.
size_t CountOf(const std::string& text, const std::string& part);
