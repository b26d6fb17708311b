// Where each setting lives in the settings file Marrowin.ini: its section and key, spelled as
// the program writes them. The file matches names without regard to letter case, and a key
// already in the file keeps its own spelling when it is written again.
#pragma once

struct Setting {
    const char* section;
    const char* key;
};

namespace setting {

inline constexpr char kMainSection[] = "Main";
inline constexpr char kBrowserSection[] = "IE";
inline constexpr char kAccountsSection[] = "Tunnel";

inline constexpr Setting kAutostart{kMainSection, "autostart"};
inline constexpr Setting kReconnect{kMainSection, "reconnect"};
inline constexpr Setting kTorRelay{kMainSection, "TOR"};
inline constexpr Setting kStartupType{kMainSection, "startupType"};
// The one option whose section has always been written in small letters.
inline constexpr Setting kMinimize{"main", "minimize"};

inline constexpr Setting kUseBrowserProxy{kBrowserSection, "setIEproxy"};
inline constexpr Setting kNoActiveContent{kBrowserSection, "noactivecontent"};
inline constexpr Setting kNoJavascript{kBrowserSection, "noJavascript"};
// The account whose proxy forwarding carries the browser's traffic, and its local port.
inline constexpr Setting kProxyAccount{kBrowserSection, "proxyServer"};
inline constexpr Setting kProxyPort{kBrowserSection, "proxyPort"};
inline constexpr Setting kConnectionType{kBrowserSection, "connectionType"};
inline constexpr Setting kConnectionName{kBrowserSection, "connectionName"};
// The program's own entries of the browser's bypass list; written only once the user changed
// them (without it: "local").
inline constexpr Setting kBypassList{kBrowserSection, "bypassList"};

inline constexpr Setting kAccountNames{kAccountsSection, "servers"};
inline constexpr Setting kDefaultAccount{kAccountsSection, "default"};

// The keys of an account's own section, named by the account.
inline constexpr char kUserName[] = "username";
inline constexpr char kPassword[] = "password";
inline constexpr char kServerPort[] = "port";
inline constexpr char kForwardings[] = "forwardings";
// How the account signs in (logic/sign_in.h) and its key file: written only for an account that
// does not sign in with its password.
inline constexpr char kSignIn[] = "signin";
inline constexpr char kKeyFile[] = "keyfile";
// How the account carries the browser (logic/browser_way.h): written only for ssh's own tunnel.
inline constexpr char kBrowserWay[] = "browserway";

} // namespace setting
