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

// `text` is the file's beginning, as much of it as was read.
KeyFileKind ClassifyKeyFile(const std::string& path, const std::string& text);
// Whether a private key's text is encrypted, so that ssh needs its passphrase: OpenSSH's own
// format names a cipher other than "none", a PEM key says "Proc-Type: 4,ENCRYPTED", or it is an
// encrypted PKCS#8 key. Line ends may be CRLF.
bool KeyNeedsPassphrase(const std::string& text);
// The sentence that refuses the start for such a file; empty for a private key.
std::string KeyFileRefusal(KeyFileKind kind, const std::string& path);
