// A private key file's access list, read and restricted with the system's security functions;
// the rule which entries open the file is logic/key_file_access.h.
#pragma once

#include <optional>
#include <string>

struct FileAccess {
    // Why the list could not be read; nothing when it was.
    std::optional<std::string> failure;
    // Someone other than the user, SYSTEM and the Administrators may use the file.
    bool openToOthers = false;
};

FileAccess ReadFileAccess(const std::string& path);
// Gives the file a protected access list of its own (nothing inherited from its folder) that
// lets only the current user and SYSTEM at it; what failed, or nothing.
std::optional<std::string> RestrictToUser(const std::string& path);
