// ssh's question about a server key it does not know yet, as its askpass program receives it,
// and what the user is shown of it and of a key that has changed. Plain logic, no Win32.
//
// OpenSSH asks, in one argument of several lines:
//   The authenticity of host '[127.0.0.1]:2299 ([127.0.0.1]:2299)' can't be established.
//   ED25519 key fingerprint is SHA256:KZ1q6rj97DOl6gYWl0WfWQbFQkSvyc5QjfhDHs60mcM.
//   This key is not known by any other names.
//   Are you sure you want to continue connecting (yes/no/[fingerprint])?
#pragma once

#include <optional>
#include <string>

struct ServerKey {
    std::string type;        // "ED25519"
    std::string fingerprint; // "SHA256:..."
};

struct HostKeyQuestion {
    std::string server; // the name ssh connects to, without brackets or port
    ServerKey key;
};

// Any yes/no question of ssh; such a question is never answered with the password.
bool IsConfirmation(const std::string& prompt);
// The question about an unknown key; nothing for any other text, or for one whose name, type
// or fingerprint is not of the forms ssh prints.
std::optional<HostKeyQuestion> ParseHostKeyQuestion(const std::string& prompt);

// "ED25519 SHA256:..." and back, as plink.exe tells Marrowin of a changed key.
std::string KeyText(const ServerKey& key);
std::optional<ServerKey> ParseKeyText(const std::string& text);

// The box of the first connection to a server; No is the safe answer.
std::string TrustNewKeyText(const HostKeyQuestion& question);
// The box after the server's key has changed.
std::string TrustChangedKeyText(const std::string& server, const ServerKey& key);

// The name of the lock held while a key question about this known-hosts file is open, so that
// a second client does not ask the same and Marrowin's reconnect sequence waits for the answer.
std::string HostKeyQuestionLockName(const std::string& knownHostsPath);
