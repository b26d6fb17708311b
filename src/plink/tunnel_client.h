// The client as Marrowin starts it: read the command line and the saved session, run ssh for
// the tunnel, report to Marrowin's main window, and end with ssh.
#pragma once

#include <string>

// Exit codes of plink.exe besides ssh's own.
inline constexpr int kExitQuit = 0;         // told to quit by WM_QUIT
inline constexpr int kExitUsage = 2;        // a command line of another form
inline constexpr int kExitBadSession = 3;   // missing session, or one that cannot be used
inline constexpr int kExitNoSsh = 4;        // ssh.exe not found or not started
inline constexpr int kExitNoAnswer = 5;     // the tunnel was neither up nor failed in time
inline constexpr int kExitBrowserPort = 6;  // the browser front's port is another program's
inline constexpr int kExitWaitFailed = 255; // waiting for ssh failed

// Runs the whole client on the calling thread, which must already have its message queue.
// Returns the exit code.
int RunTunnelClient(const std::string& commandLine);
