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
// A REG_DWORD, only for an account that carries the browser through ssh itself: the local port
// the browser's proxy points at. plink.exe then serves an HTTP proxy of its own there, which
// hands each request by name to a dynamic forwarding of ssh; the session's forwarding of that
// local port (to the server's proxy) is not used. Marrowin writes it before every start, and
// removes it for any other account.
inline constexpr char kSessionBrowserFrontPort[] = "BrowserFrontPort";

// ssh's own port: that of every server but the program's own, and of a session that names none.
inline constexpr int kSshPort = 22;

// The key of a saved session under HKEY_CURRENT_USER; the name goes in unchanged.
inline std::string SessionPath(const std::string& sessionName) {
    return std::string(kSessionsKey) + "\\" + sessionName;
}
