// Where Marrowin's SSH client, plink.exe, is and how Marrowin starts and ends it; its command
// line is built in logic/command_line.h. The client reads the saved session of the account's
// name, builds the tunnel and reports back with the registered messages.
#pragma once

#include "owners/owners.h"

#include <windows.h>

#include <optional>
#include <string>

// The client beside the executable; its existence is not checked beforehand.
std::string ClientProgramPath(const std::string& executableFolder);
// The text that reports a launch that failed.
std::string LaunchFailureText(const std::string& programPath, DWORD errorCode);

// Starts the client hidden, at normal priority, with the inherited environment and the given
// working folder. Without an input it inherits no handles. With one (a key's passphrase, empty
// for a key without one), its standard input is a pipe that holds the input and then ends, and
// it inherits that pipe and our output and error handles only; a secret never goes on its
// command line, in its environment or in a file. On failure answers the system's error code
// and leaves `process` empty.
std::optional<DWORD> LaunchClient(const std::string& programPath, const std::string& arguments,
                                  const std::string& workingFolder, fw::ProcessHandles& process,
                                  const std::string* input = nullptr);
// Asks the client's main thread to quit, gives it 500 ms, then terminates it with exit code 0
// and closes both handles. Does nothing when no process is held.
void StopClientProcess(fw::ProcessHandles& process);
