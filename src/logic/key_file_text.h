// What a key file chosen for an account is, told from its name and its first bytes, before ssh
// is given it: ssh's own messages about a file it cannot use say little to a user. Plain text
// work, no Win32.
#pragma once

#include <string>

enum class KeyFileKind {
    PrivateKey, // OpenSSH's format (or the PEM one ssh reads too)
    PuttyKey,   // PuTTY's .ppk, which OpenSSH cannot read
    PublicKey,  // the .pub half, chosen instead of the private key
    Empty,
    NotAKey,
};

KeyFileKind ClassifyKeyFile(const std::string& path, const std::string& opening);
// The sentence that refuses the start for such a file; empty for a private key.
std::string KeyFileRefusal(KeyFileKind kind, const std::string& path);
