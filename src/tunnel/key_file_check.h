// The key file of an account that signs in with one, looked at before the client starts: a file
// ssh could not use is explained in the box of a refused Start instead of ending in ssh's
// "Permission denied".
#pragma once

#include <optional>
#include <string>

// Why the file cannot be used (missing, unreadable, a folder, a PuTTY key, a public key, no
// key); nothing when it looks like a private key in OpenSSH's format.
std::optional<std::string> KeyFileFailure(const std::string& path);
