// Watching ssh's verbose output for the moment the tunnel is up: authentication has succeeded
// and every local forwarding is set up. OpenSSH says both on stderr with -v:
//   Authenticated to mail.example.org ([192.0.2.7]:22) using "password".
//   debug1: Entering interactive session.
// The second line comes only once every forwarding listens; a forwarding that cannot be set up
// ends ssh instead (ExitOnForwardFailure). "Local forwarding listening on ... port N." is no
// sign: ssh prints it before it binds the port, also when the bind then fails.
// What it says is confirmed before it is believed: each local port must accept a connection.
#pragma once

#include "owners/owners.h"

#include <windows.h>

#include <string>
#include <vector>

// What the lines seen so far tell about the tunnel. Plain logic, no Win32.
class TunnelProgress {
public:
    void OnLine(const std::string& line);
    bool Authenticated() const { return authenticated_; }
    // Signed in, and every forwarding set up.
    bool Up() const { return authenticated_ && interactive_; }

private:
    bool authenticated_ = false;
    bool interactive_ = false;
};

// The message of a verbose line without its "debug1: " (or "debug2: " ...) prefix.
std::string WithoutDebugPrefix(const std::string& line);

// Reads ssh's stderr through the overlapped pipe end, line by line. Driven by the caller's wait
// loop: wait on Event() while it is not null, then call Read().
class OutputReader {
public:
    explicit OutputReader(HANDLE pipe);
    ~OutputReader();
    OutputReader(const OutputReader&) = delete;
    OutputReader& operator=(const OutputReader&) = delete;

    HANDLE Event() const { return finished_ ? nullptr : event_.Get(); }
    // The whole lines that have arrived, carriage returns removed. Once the writer has closed
    // its end, the last partial line counts as whole and Event() becomes null.
    std::vector<std::string> Read();

private:
    void StartRead();
    void TakeLines(std::vector<std::string>& lines, bool all);

    HANDLE pipe_;
    fw::KernelHandle event_;
    OVERLAPPED overlapped_ = {};
    char buffer_[4096];
    std::string partial_;
    bool finished_ = false;
};

// Whether something accepts a TCP connection on 127.0.0.1 at the port; the connection is closed
// again at once. Needs Winsock started.
bool PortAcceptsConnections(int port);
