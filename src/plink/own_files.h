// Where plink.exe finds itself and the known-hosts file it shares with Marrowin: both live in
// the app folder, beside Marrowin.exe and its settings.
#pragma once

#include <string>

// The full path of plink.exe; empty when the system does not give it.
std::string OwnProgramPath();
// "<folder of plink.exe>\known_hosts"; empty when the folder is not known.
std::string KnownHostsPath();
