// TunnelController: the SSH client process that makes the tunnel. It starts the client from
// the program's folder unless one runs, stops it, and tells whether it runs and whether it has
// ended on its own. Privacy is on exactly while it holds a client. It knows no window: the
// main window shows the state and keeps the timers.
#pragma once

#include "owners/owners.h"

#include <optional>
#include <string>

class TunnelController {
public:
    // The folder of Marrowin.exe: the client is found there and started there.
    void SetFolder(const std::string& folder) { folder_ = folder; }
    const std::string& Folder() const { return folder_; }

    // Writes "log.txt" in the program's folder, which becomes the working folder: how the
    // client is started for the account, with eight asterisks in place of the password.
    void WriteLaunchLog(const std::string& account) const;
    // Starts the client with the arguments unless one runs already, with the input on its
    // standard input when there is one (client_contract.h). Answers the text that reports a
    // failure; nothing when a client runs.
    std::optional<std::string> Launch(const std::string& arguments,
                                      const std::string* input = nullptr);
    // Asks the client to quit, ends it half a second later and lets go of its handles.
    void Stop();
    // Ends the client at once, for the end of the session, which waits for no one.
    void EndAtOnce();

    bool IsRunning() const { return static_cast<bool>(process_); }
    // The client held has ended without being stopped.
    bool HasEnded() const;

private:
    std::string folder_;
    fw::ProcessHandles process_;
    // The job the client runs in: it ends the client, and the client's ssh with it, when this
    // process ends, however it ends.
    fw::KernelHandle job_;
};
