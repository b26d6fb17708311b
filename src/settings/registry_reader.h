// RegistryReader: the SSH client's saved sessions in the registry, the accounts' other half,
// defined in settings/session_profile.cpp (their key, SessionPath, and the values plink.exe
// reads: logic/saved_session.h). It holds no state: every operation opens the keys it needs and
// closes them before it returns, so callers make one where needed.
#pragma once

#include "logic/saved_session.h"
#include "logic/sign_in.h"

#include <windows.h>

#include <string>

// The SSH server host name built into the program; a session of that name connects on port 4022.
inline constexpr char kDefaultSshHost[] = "ssh.marrowin.example";

class RegistryReader {
public:
    RegistryReader() = default;
    virtual ~RegistryReader() = default;

    // Saved sessions of the SSH client, one per account, under HKEY_CURRENT_USER. The writes
    // return whether every value was written.
    bool WriteSessionProfile(const std::string& sessionName, const std::string& host,
                             const std::string& userName) const;
    bool SessionExists(const std::string& sessionName) const;
    std::string ReadPortForwardings(const std::string& sessionName) const;
    bool WritePortForwardings(const std::string& sessionName, const std::string& forwardings) const;
    // How the session signs in and its key file; the password is no SignIn value at all.
    bool WriteSessionSignIn(const std::string& sessionName, SignIn signIn,
                            const std::string& keyFile) const;
    // The local port where the client serves the browser itself; 0 removes the value.
    bool WriteSessionBrowserFront(const std::string& sessionName, int port) const;
    bool WriteRegistryString(HKEY root, const std::string& subkey, const std::string& valueName,
                             const std::string& text) const;
    // False when the session could not be deleted, a missing one included.
    bool DeleteSessionProfile(const std::string& sessionName) const;
    // Makes the session under the new name, with the old one's forwardings, and then deletes
    // the old one. Failed, with the old one kept, when the new one cannot be made whole;
    // OldNotDeleted when the new one is made but the old one could not be deleted.
    enum class SessionMove { Moved, OldNotDeleted, Failed };
    SessionMove RecreateSessionProfile(const std::string& oldName, const std::string& newName,
                                       const std::string& userName) const;
};
