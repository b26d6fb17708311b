// The key file of an account that signs in with one, looked at before the client starts: a file
// ssh could not use is explained in the box of a refused Start instead of ending in ssh's
// "Permission denied", and an encrypted key's passphrase is asked before the launch.
#pragma once

#include <optional>
#include <string>

struct KeyFileCheck {
    // Why the file cannot be used (missing, unreadable, a folder, a PuTTY key, a public key, no
    // key); nothing when it looks like a private key in OpenSSH's format.
    std::optional<std::string> failure;
    // The key is encrypted: ssh needs its passphrase.
    bool encrypted = false;
};

KeyFileCheck CheckKeyFile(const std::string& path);
