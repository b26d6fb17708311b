// The SSH client's saved session, as Marrowin writes one per account and plink.exe reads it:
// where it lives under HKEY_CURRENT_USER and the names of the values both programs use. Plain
// constants, no Win32.
#pragma once

#include <string>

inline constexpr char kSessionsKey[] = "Software\\Larkspindle\\PuTTY\\Sessions";

inline constexpr char kSessionHostName[] = "HostName";
inline constexpr char kSessionPortNumber[] = "PortNumber";
inline constexpr char kSessionUserName[] = "UserName";
inline constexpr char kSessionPortForwardings[] = "PortForwardings";
// How the account signs in (logic/sign_in.h), written only when not with the password, and the
// key file of an account that signs in with one.
inline constexpr char kSessionSignIn[] = "SignIn";
inline constexpr char kSessionPublicKeyFile[] = "PublicKeyFile";
// The local port the browser is pointed at, when the account carries the browser through ssh's
// own tunnel: the client serves it itself and hands each request to ssh's dynamic forwarding.
// Marrowin writes it before every start, and removes it for any other account.
inline constexpr char kSessionBrowserFrontPort[] = "BrowserFrontPort";

// ssh's own port: that of every server but the program's own, and of a session that names none.
inline constexpr int kSshPort = 22;

// The key of a saved session under HKEY_CURRENT_USER; the name goes in unchanged.
inline std::string SessionPath(const std::string& sessionName) {
    return std::string(kSessionsKey) + "\\" + sessionName;
}
