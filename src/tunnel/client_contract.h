// What Marrowin gives its SSH client, plink.exe, and how it starts and ends it. The client
// reads the saved session of the account's name, builds the tunnel and reports back with the
// registered messages.
#pragma once

#include "owners/owners.h"

#include <windows.h>

#include <string>

// The client beside the executable; its existence is not checked beforehand.
std::string ClientProgramPath(const std::string& executableFolder);
// " -pw <password> <account> <in.txt": the Start command's form, with the leading blank.
// Nothing is quoted; "<in.txt" reaches the client as a literal last argument.
std::string ClientArguments(const std::string& password, const std::string& account);
// The same without the leading blank, as the autostart at program start passes it.
std::string AutostartClientArguments(const std::string& password, const std::string& account);
// The text that reports a launch that failed.
std::string LaunchFailureText(const std::string& programPath, DWORD errorCode);

// Starts the client hidden, at normal priority, with no inherited handles, the inherited
// environment and the given working folder. On failure returns false with the system error
// code and leaves `process` empty.
bool LaunchClient(const std::string& programPath, const std::string& arguments,
                  const std::string& workingFolder, fw::ProcessHandles& process, DWORD& errorCode);
// Asks the client's main thread to quit, gives it 500 ms, then terminates it with exit code 0
// and closes both handles. Does nothing when no process is held.
void StopClientProcess(fw::ProcessHandles& process);
