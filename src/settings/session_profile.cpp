// The SSH client's saved sessions: the fixed record each account's session is written with,
// and reading, patching, renaming and deleting those sessions under HKEY_CURRENT_USER.
#include "settings/registry_reader.h"

#include "logic/account_rules.h"
#include "logic/saved_session.h"
#include "owners/owners.h"

#include <cstring>
#include <vector>

namespace {

// One value of a saved session. Text values carry their text, DWORD values their number.
struct RecordValue {
    const char* name;
    DWORD type;
    const char* text;
    DWORD number;
};

// The complete session, in the order it is written. HostName, UserName and PortNumber are
// filled in by WriteSessionProfile; everything else is the same for every account.
const RecordValue kSessionRecord[] = {
    {"Present", REG_DWORD, nullptr, 1},
    {kSessionHostName, REG_SZ, nullptr, 0}, // from the caller
    {"LogFileName", REG_SZ, "c:\\putty.log", 0},
    {"LogType", REG_DWORD, nullptr, 2},
    {"LogFileClash", REG_DWORD, nullptr, 0},
    {"LogFlush", REG_DWORD, nullptr, 1},
    {"SSHLogOmitPasswords", REG_DWORD, nullptr, 0},
    {"SSHLogOmitData", REG_DWORD, nullptr, 0},
    {"Protocol", REG_SZ, "ssh", 0},
    {kSessionPortNumber, REG_DWORD, nullptr, 0}, // by the session name
    {"CloseOnExit", REG_DWORD, nullptr, 1},
    {"WarnOnClose", REG_DWORD, nullptr, 1},
    {"PingInterval", REG_DWORD, nullptr, 0},
    {"PingIntervalSecs", REG_DWORD, nullptr, 0},
    {"TCPNoDelay", REG_DWORD, nullptr, 1},
    {"TCPKeepalives", REG_DWORD, nullptr, 0},
    {"TerminalType", REG_SZ, "xterm", 0},
    {"TerminalSpeed", REG_SZ, "38400,38400", 0},
    {"AddressFamily", REG_DWORD, nullptr, 0},
    {"ProxyExcludeList", REG_SZ, "", 0},
    {"ProxyDNS", REG_DWORD, nullptr, 1},
    {"ProxyLocalhost", REG_DWORD, nullptr, 0},
    {"ProxyMethod", REG_DWORD, nullptr, 0},
    {"ProxyHost", REG_SZ, "proxy", 0},
    {"ProxyPort", REG_DWORD, nullptr, 80},
    {"ProxyUsername", REG_SZ, "", 0},
    {"ProxyPassword", REG_SZ, "", 0},
    {"ProxyTelnetCommand", REG_SZ, "connect %host %port\\n", 0},
    {"Environment", REG_SZ, "", 0},
    {kSessionUserName, REG_SZ, nullptr, 0}, // from the caller
    {"LocalUserName", REG_SZ, "", 0},
    {"NoPTY", REG_DWORD, nullptr, 0},
    {"Compression", REG_DWORD, nullptr, 0},
    {"AgentFwd", REG_DWORD, nullptr, 0},
    {"ChangeUsername", REG_DWORD, nullptr, 0},
    {"Cipher", REG_SZ, "aes,blowfish,3des,WARN,des", 0},
    {"KEX", REG_SZ, "dh-gex-sha1,dh-group14-sha1,dh-group1-sha1,WARN", 0},
    {"RekeyTime", REG_DWORD, nullptr, 60},
    {"RekeyBytes", REG_SZ, "1G", 0},
    {"AuthTIS", REG_DWORD, nullptr, 0},
    {"AuthKI", REG_DWORD, nullptr, 1},
    {"SshNoShell", REG_DWORD, nullptr, 1},
    {"SshProt", REG_DWORD, nullptr, 3},
    {"SSH2DES", REG_DWORD, nullptr, 0},
    {"PublicKeyFile", REG_SZ, "", 0},
    {"RemoteCommand", REG_SZ, "", 0},
    {"RFCEnviron", REG_DWORD, nullptr, 0},
    {"PassiveTelnet", REG_DWORD, nullptr, 0},
    {"BackspaceIsDelete", REG_DWORD, nullptr, 1},
    {"RXVTHomeEnd", REG_DWORD, nullptr, 0},
    {"LinuxFunctionKeys", REG_DWORD, nullptr, 0},
    {"NoApplicationKeys", REG_DWORD, nullptr, 0},
    {"NoApplicationCursors", REG_DWORD, nullptr, 0},
    {"NoMouseReporting", REG_DWORD, nullptr, 0},
    {"NoRemoteResize", REG_DWORD, nullptr, 0},
    {"NoAltScreen", REG_DWORD, nullptr, 0},
    {"NoRemoteWinTitle", REG_DWORD, nullptr, 0},
    {"NoRemoteQTitle", REG_DWORD, nullptr, 1},
    {"NoDBackspace", REG_DWORD, nullptr, 0},
    {"NoRemoteCharset", REG_DWORD, nullptr, 0},
    {"ApplicationCursorKeys", REG_DWORD, nullptr, 0},
    {"ApplicationKeypad", REG_DWORD, nullptr, 0},
    {"NetHackKeypad", REG_DWORD, nullptr, 0},
    {"AltF4", REG_DWORD, nullptr, 1},
    {"AltSpace", REG_DWORD, nullptr, 0},
    {"AltOnly", REG_DWORD, nullptr, 0},
    {"ComposeKey", REG_DWORD, nullptr, 0},
    {"CtrlAltKeys", REG_DWORD, nullptr, 1},
    {"TelnetKey", REG_DWORD, nullptr, 0},
    {"TelnetRet", REG_DWORD, nullptr, 1},
    {"LocalEcho", REG_DWORD, nullptr, 2},
    {"LocalEdit", REG_DWORD, nullptr, 2},
    {"Answerback", REG_SZ, "PuTTY", 0},
    {"AlwaysOnTop", REG_DWORD, nullptr, 0},
    {"FullScreenOnAltEnter", REG_DWORD, nullptr, 0},
    {"HideMousePtr", REG_DWORD, nullptr, 0},
    {"SunkenEdge", REG_DWORD, nullptr, 0},
    {"WindowBorder", REG_DWORD, nullptr, 1},
    {"CurType", REG_DWORD, nullptr, 0},
    {"BlinkCur", REG_DWORD, nullptr, 0},
    {"Beep", REG_DWORD, nullptr, 1},
    {"BeepInd", REG_DWORD, nullptr, 0},
    {"BellWaveFile", REG_SZ, "", 0},
    {"BellOverload", REG_DWORD, nullptr, 1},
    {"BellOverloadN", REG_DWORD, nullptr, 5},
    {"BellOverloadT", REG_DWORD, nullptr, 2000},
    {"BellOverloadS", REG_DWORD, nullptr, 5000},
    {"ScrollbackLines", REG_DWORD, nullptr, 200},
    {"DECOriginMode", REG_DWORD, nullptr, 0},
    {"AutoWrapMode", REG_DWORD, nullptr, 1},
    {"LFImpliesCR", REG_DWORD, nullptr, 0},
    {"DisableArabicShaping", REG_DWORD, nullptr, 0},
    {"DisableBidi", REG_DWORD, nullptr, 0},
    {"WinNameAlways", REG_DWORD, nullptr, 1},
    {"WinTitle", REG_SZ, "", 0},
    {"TermWidth", REG_DWORD, nullptr, 80},
    {"TermHeight", REG_DWORD, nullptr, 24},
    {"Font", REG_SZ, "Courier New", 0},
    {"FontIsBold", REG_DWORD, nullptr, 0},
    {"FontCharSet", REG_DWORD, nullptr, 0},
    {"FontHeight", REG_DWORD, nullptr, 10},
    {"FontVTMode", REG_DWORD, nullptr, 4},
    {"UseSystemColours", REG_DWORD, nullptr, 0},
    {"TryPalette", REG_DWORD, nullptr, 0},
    {"ANSIColour", REG_DWORD, nullptr, 1},
    {"Xterm256Colour", REG_DWORD, nullptr, 1},
    {"BoldAsColour", REG_DWORD, nullptr, 1},
    {"Colour0", REG_SZ, "187,187,187", 0},
    {"Colour1", REG_SZ, "255,255,255", 0},
    {"Colour2", REG_SZ, "0,0,0", 0},
    {"Colour3", REG_SZ, "85,85,85", 0},
    {"Colour4", REG_SZ, "0,0,0", 0},
    {"Colour5", REG_SZ, "0,255,0", 0},
    {"Colour6", REG_SZ, "0,0,0", 0},
    {"Colour7", REG_SZ, "85,85,85", 0},
    {"Colour8", REG_SZ, "187,0,0", 0},
    {"Colour9", REG_SZ, "255,85,85", 0},
    {"Colour10", REG_SZ, "0,187,0", 0},
    {"Colour11", REG_SZ, "85,255,85", 0},
    {"Colour12", REG_SZ, "187,187,0", 0},
    {"Colour13", REG_SZ, "255,255,85", 0},
    {"Colour14", REG_SZ, "0,0,187", 0},
    {"Colour15", REG_SZ, "85,85,255", 0},
    {"Colour16", REG_SZ, "187,0,187", 0},
    {"Colour17", REG_SZ, "255,85,255", 0},
    {"Colour18", REG_SZ, "0,187,187", 0},
    {"Colour19", REG_SZ, "85,255,255", 0},
    {"Colour20", REG_SZ, "187,187,187", 0},
    {"Colour21", REG_SZ, "255,255,255", 0},
    {"RawCNP", REG_DWORD, nullptr, 0},
    {"PasteRTF", REG_DWORD, nullptr, 0},
    {"MouseIsXterm", REG_DWORD, nullptr, 0},
    {"RectSelect", REG_DWORD, nullptr, 0},
    {"MouseOverride", REG_DWORD, nullptr, 1},
    {"Wordness0", REG_SZ, "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", 0},
    {"Wordness32", REG_SZ, "0,1,2,1,1,1,1,1,1,1,1,1,1,2,2,2,2,2,2,2,2,2,2,2,2,2,1,1,1,1,1,1", 0},
    {"Wordness64", REG_SZ, "1,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,1,1,1,1,2", 0},
    {"Wordness96", REG_SZ, "1,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,1,1,1,1,1", 0},
    {"Wordness128", REG_SZ, "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", 0},
    {"Wordness160", REG_SZ, "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", 0},
    {"Wordness192", REG_SZ, "2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,1,2,2,2,2,2,2,2,2", 0},
    {"Wordness224", REG_SZ, "2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,1,2,2,2,2,2,2,2,2", 0},
    {"LineCodePage", REG_SZ, "", 0},
    {"UTF8Override", REG_DWORD, nullptr, 1},
    {"Printer", REG_SZ, "", 0},
    {"CapsLockCyr", REG_DWORD, nullptr, 0},
    {"ScrollBar", REG_DWORD, nullptr, 1},
    {"ScrollBarFullScreen", REG_DWORD, nullptr, 0},
    {"ScrollOnKey", REG_DWORD, nullptr, 0},
    {"ScrollOnDisp", REG_DWORD, nullptr, 1},
    {"EraseToScrollback", REG_DWORD, nullptr, 1},
    {"LockSize", REG_DWORD, nullptr, 0},
    {"BCE", REG_DWORD, nullptr, 1},
    {"BlinkText", REG_DWORD, nullptr, 0},
    {"X11Forward", REG_DWORD, nullptr, 0},
    {"X11Display", REG_SZ, "", 0},
    {"X11AuthType", REG_DWORD, nullptr, 1},
    {"LocalPortAcceptAll", REG_DWORD, nullptr, 0},
    {"RemotePortAcceptAll", REG_DWORD, nullptr, 0},
    {kSessionPortForwardings, REG_SZ, "", 0},
    {"BugIgnore1", REG_DWORD, nullptr, 0},
    {"BugPlainPW1", REG_DWORD, nullptr, 0},
    {"BugRSA1", REG_DWORD, nullptr, 0},
    {"BugHMAC2", REG_DWORD, nullptr, 0},
    {"BugDeriveKey2", REG_DWORD, nullptr, 0},
    {"BugRSAPad2", REG_DWORD, nullptr, 0},
    {"BugPKSessID2", REG_DWORD, nullptr, 0},
    {"StampUtmp", REG_DWORD, nullptr, 1},
    {"LoginShell", REG_DWORD, nullptr, 1},
    {"ScrollbarOnLeft", REG_DWORD, nullptr, 0},
    {"BoldFont", REG_SZ, "", 0},
    {"BoldFontIsBold", REG_DWORD, nullptr, 0x0040BCAD},
    {"BoldFontCharSet", REG_DWORD, nullptr, 0x00444608},
    {"BoldFontHeight", REG_DWORD, nullptr, 0x0012FFB0},
    {"WideFont", REG_SZ, "", 0},
    {"WideFontIsBold", REG_DWORD, nullptr, 0xAEC3C38C},
    {"WideFontCharSet", REG_DWORD, nullptr, 0x0040BCAD},
    {"WideFontHeight", REG_DWORD, nullptr, 0x0012EA24},
    {"WideBoldFont", REG_SZ, "", 0},
    {"WideBoldFontIsBold", REG_DWORD, nullptr, 0},
    {"WideBoldFontCharSet", REG_DWORD, nullptr, 0xAEC3C38C},
    {"WideBoldFontHeight", REG_DWORD, nullptr, 10},
    {"ShadowBold", REG_DWORD, nullptr, 0},
    {"ShadowBoldOffset", REG_DWORD, nullptr, 1},
    {"CJKAmbigWide", REG_DWORD, nullptr, 1},
};

bool SetString(HKEY key, const char* valueName, const std::string& text) {
    return ::RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, const char* valueName, DWORD number) {
    return ::RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof(number)) == ERROR_SUCCESS;
}

// Our own SSH server listens on 4022; every other server on the usual port.
DWORD PortNumberFor(const std::string& sessionName) {
    return EqualIgnoringCase(sessionName, kDefaultSshHost) ? 4022 : kSshPort;
}

bool IsNamed(const RecordValue& value, const char* name) {
    return std::strcmp(value.name, name) == 0;
}

// Opens the key in two steps, its parent first: under Wine the ANSI registry functions refuse a
// whole path longer than 260 characters, and a session's name alone can be 253.
bool OpenKey(HKEY root, const std::string& path, REGSAM access, bool create, fw::RegKey& key) {
    size_t cut = path.rfind('\\');
    fw::RegKey parent;
    LONG opened =
        cut == std::string::npos ? ::RegOpenKeyExA(root, nullptr, 0, access, parent.Receive())
        : create
            ? ::RegCreateKeyExA(root, path.substr(0, cut).c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, access, nullptr, parent.Receive(), nullptr)
            : ::RegOpenKeyExA(root, path.substr(0, cut).c_str(), 0, access, parent.Receive());
    if (opened != ERROR_SUCCESS)
        return false;
    std::string leaf = cut == std::string::npos ? path : path.substr(cut + 1);
    if (create)
        return ::RegCreateKeyExA(parent, leaf.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                 nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
    return ::RegOpenKeyExA(parent, leaf.c_str(), 0, access, key.Receive()) == ERROR_SUCCESS;
}

bool OpenSession(const std::string& sessionName, REGSAM access, bool create, fw::RegKey& key) {
    // An empty name would address the sessions key itself, which holds every account's session.
    return !sessionName.empty() &&
           OpenKey(HKEY_CURRENT_USER, SessionPath(sessionName), access, create, key);
}

// Deletes the session's key, if there is one, without a word.
bool RemoveSession(const std::string& sessionName) {
    fw::RegKey sessions;
    return !sessionName.empty() &&
           ::RegOpenKeyExA(HKEY_CURRENT_USER, kSessionsKey, 0, KEY_ALL_ACCESS,
                           sessions.Receive()) == ERROR_SUCCESS &&
           ::RegDeleteKeyA(sessions, sessionName.c_str()) == ERROR_SUCCESS;
}

} // namespace

bool RegistryReader::WriteSessionProfile(const std::string& sessionName, const std::string& host,
                                         const std::string& userName) const {
    fw::RegKey key;
    if (!OpenSession(sessionName, KEY_ALL_ACCESS, true, key))
        return false;
    bool written = true;
    for (const RecordValue& value : kSessionRecord) {
        if (value.type == REG_DWORD) {
            written &= SetDword(key, value.name,
                                IsNamed(value, kSessionPortNumber) ? PortNumberFor(sessionName)
                                                                   : value.number);
        } else if (IsNamed(value, kSessionHostName)) {
            written &= SetString(key, value.name, host);
        } else if (IsNamed(value, kSessionUserName)) {
            written &= SetString(key, value.name, userName);
        } else {
            written &= SetString(key, value.name, value.text);
        }
    }
    return written;
}

bool RegistryReader::SessionExists(const std::string& sessionName) const {
    fw::RegKey key;
    return OpenSession(sessionName, KEY_QUERY_VALUE, false, key);
}

std::string RegistryReader::ReadPortForwardings(const std::string& sessionName) const {
    fw::RegKey key;
    if (!OpenSession(sessionName, KEY_QUERY_VALUE, false, key))
        return "";
    // Forwardings of many accounts can outgrow any fixed buffer: ask for the size first, and
    // again should the value grow between the two calls.
    DWORD type = 0;
    DWORD size = 0;
    std::vector<char> data;
    LONG result = ERROR_MORE_DATA;
    while (result == ERROR_MORE_DATA) {
        if (::RegQueryValueExA(key, kSessionPortForwardings, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return "";
        data.assign(size, '\0');
        result = ::RegQueryValueExA(key, kSessionPortForwardings, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &size);
    }
    bool isText = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (result != ERROR_SUCCESS || !isText || size == 0 || data[size - 1] != '\0')
        return "";
    // A list of strings counts only when closed by its second zero; it yields its first string.
    if (type == REG_MULTI_SZ && (size < 2 || data[size - 2] != '\0'))
        return "";
    return std::string(data.data());
}

bool RegistryReader::WritePortForwardings(const std::string& sessionName,
                                          const std::string& forwardings) const {
    // Opened, never created: a session that was not written has nothing to take forwardings.
    fw::RegKey key;
    return OpenSession(sessionName, KEY_SET_VALUE, false, key) &&
           SetString(key, kSessionPortForwardings, forwardings);
}

bool RegistryReader::WriteSessionSignIn(const std::string& sessionName, SignIn signIn,
                                        const std::string& keyFile) const {
    fw::RegKey key;
    if (!OpenSession(sessionName, KEY_SET_VALUE, false, key))
        return false;
    LSTATUS removed = ::RegDeleteValueA(key, kSessionSignIn);
    if (signIn == SignIn::Password)
        return (removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND) &&
               SetString(key, kSessionPublicKeyFile, "");
    return SetString(key, kSessionSignIn, SignInText(signIn)) &&
           SetString(key, kSessionPublicKeyFile, keyFile);
}

bool RegistryReader::WriteSessionBrowserFront(const std::string& sessionName, int port) const {
    fw::RegKey key;
    if (!OpenSession(sessionName, KEY_SET_VALUE, false, key))
        return false;
    if (port == 0) {
        LSTATUS removed = ::RegDeleteValueA(key, kSessionBrowserFrontPort);
        return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
    }
    DWORD value = static_cast<DWORD>(port);
    return ::RegSetValueExA(key, kSessionBrowserFrontPort, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

bool RegistryReader::WriteRegistryString(HKEY root, const std::string& subkey,
                                         const std::string& valueName,
                                         const std::string& text) const {
    fw::RegKey key;
    return OpenKey(root, subkey, KEY_SET_VALUE, false, key) &&
           SetString(key, valueName.c_str(), text);
}

bool RegistryReader::DeleteSessionProfile(const std::string& sessionName) const {
    return RemoveSession(sessionName);
}

// The new session is made whole before the old one goes, so that a failure leaves the old one;
// what a failure left of the new one is removed, so that it never passes for a saved session.
// Names that differ only in letter case are one key: it is rewritten in place.
RegistryReader::SessionMove
RegistryReader::RecreateSessionProfile(const std::string& oldName, const std::string& newName,
                                       const std::string& userName) const {
    std::string forwardings = ReadPortForwardings(oldName);
    const bool sameKey = EqualIgnoringCase(oldName, newName);
    if (!WriteSessionProfile(newName, newName, userName) ||
        !WritePortForwardings(newName, forwardings)) {
        if (!sameKey)
            RemoveSession(newName);
        return SessionMove::Failed;
    }
    if (!sameKey && !DeleteSessionProfile(oldName))
        return SessionMove::OldNotDeleted;
    return SessionMove::Moved;
}
