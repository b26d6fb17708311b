// The checks of account and forwarding input, with the messages the user sees.
#include "logic/account_rules.h"

#include "logic/password_scrambling.h"

#include <algorithm>
#include <cctype>

namespace {

Refusal Stop(const char* message, InputField field, bool clearField = false) {
    return Refusal{message, false, field, clearField};
}

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

// Letters, digits, dots, hyphens and underscores: a name that is also a valid section of the
// settings file, entry of the comma-separated name list and registry key name.
bool IsValidServerName(const std::string& name) {
    return std::all_of(name.begin(), name.end(), IsNameCharacter);
}

bool IsBracketedAddress(const std::string& host) {
    if (host.size() < 3 || host.front() != '[' || host.back() != ']')
        return false;
    return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
    });
}

// Characters that would end a field or an entry in one of the two stored forms. Blanks and
// line breaks count too: the SSH client would not find such a host or port.
bool HasSeparator(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        return c == ',' || c == ':' || c == '=' || static_cast<unsigned char>(c) <= ' ';
    });
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// A port field: text that is no number up to 65535 gets the range message, a number that is 0
// (no connection or forwarding can use it) its own; either empties the field.
Verdict CheckPort(const std::string& text, const char* rangeMessage, const char* zeroMessage,
                  InputField field) {
    if (!IsAllDigits(text) || ReadDecimal(text) > 65535)
        return Stop(rangeMessage, field, true);
    if (ReadDecimal(text) == 0)
        return Stop(zeroMessage, field, true);
    return std::nullopt;
}

} // namespace

namespace {

// ASCII letters folded, as _stricmp folds them in the C locale, without a library call: maps of
// thousands of names compare them a great many times.
unsigned char Lower(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

} // namespace

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

bool IgnoreCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

int PortNumber(const std::string& text) {
    if (!IsAllDigits(text))
        return 0;
    unsigned long value = ReadDecimal(text);
    return value <= 65535 ? static_cast<int>(value) : 0;
}

bool IsUsableHostName(const std::string& host) {
    if (IsBracketedAddress(host))
        return true;
    return !host.empty() && host[0] != '-' && IsValidServerName(host);
}

Verdict CheckAccountFields(const AccountFields& fields) {
    if (fields.serverName.empty())
        return Stop("Please provide the server name!", InputField::ServerName);
    if (fields.userName.empty())
        return Stop("Please provide the user name!", InputField::UserName);
    // A pasted line break would end the value's line in the settings file.
    if (HasLineBreak(fields.userName))
        return Stop("The user name may not contain line breaks!", InputField::UserName);
    if (fields.password.empty() && fields.signIn == SignIn::Password)
        return Stop("Please provide the password!", InputField::Password);
    if (fields.serverPort.empty())
        return Stop("Please provide the server port!", InputField::ServerPort);
    return CheckPort(fields.serverPort, "The server port number must be between 0 and 65535 !",
                     "The server port number may not be 0 !", InputField::ServerPort);
}

Verdict CheckNewServerName(const std::string& name, const std::string& oldName,
                           const std::vector<std::string>& existingNames) {
    if (name.size() > kLongestServerName)
        return Stop("The server name may be at most 253 characters long!", InputField::ServerName);
    if (!IsValidServerName(name))
        return Stop(
            "The server name may contain only letters, digits, dots, hyphens and underscores!",
            InputField::ServerName);
    // The name is also the host ssh connects to (an empty one is refused with the other fields).
    if (!name.empty() && !IsUsableHostName(name))
        return Stop("The server name may not begin with a hyphen!", InputField::ServerName);
    for (const std::string& existing : existingNames) {
        if (existing != oldName && EqualIgnoringCase(existing, name))
            return Refusal{"The specified server allready exists in the list!", true,
                           InputField::None, false};
    }
    return std::nullopt;
}

Verdict CheckPasswordCanBeStored(const std::string& password) {
    if (password.size() > kLongestPassword)
        return Stop("The password may be at most 256 characters long!", InputField::Password);
    if (CanStorePassword(password))
        return std::nullopt;
    return Stop("The password contains characters that cannot be stored!", InputField::Password);
}

Verdict CheckForwarding(const Forwarding& forwarding) {
    if (forwarding.localPort.empty())
        return Stop("Please provide a local port number !", InputField::LocalPort);
    // The field takes digits only when typed; anything else that reaches it (pasted text)
    // would break both stored forms, so it counts as out of range.
    if (Verdict refusal =
            CheckPort(forwarding.localPort, "The local port number must be between 0 and 65535 !",
                      "The local port number may not be 0 !", InputField::LocalPort))
        return refusal;
    const char kSeparatorMessage[] =
        "The target server and port may not contain commas, colons, equals signs or blanks!";
    if (forwarding.targetServer.empty())
        return Stop("Please provide the target server name !", InputField::TargetServer);
    if (HasSeparator(forwarding.targetServer))
        return Stop(kSeparatorMessage, InputField::TargetServer);
    if (!IsUsableHostName(forwarding.targetServer))
        return Stop("The target server may contain only letters, digits, dots, hyphens and "
                    "underscores, and may not begin with a hyphen!",
                    InputField::TargetServer);
    if (forwarding.targetPort.empty())
        return Stop("Please provide the target port for the target server!",
                    InputField::TargetPort);
    if (HasSeparator(forwarding.targetPort))
        return Stop(kSeparatorMessage, InputField::TargetPort);
    if (Verdict refusal =
            CheckPort(forwarding.targetPort, "The target port number must be between 0 and 65535 !",
                      "The target port number may not be 0 !", InputField::TargetPort))
        return refusal;
    if (forwarding.description.find(',') != std::string::npos)
        return Stop("The port description may not contain commas!", InputField::Description);
    // Nobody types a line break into the one-line field, but text put there otherwise can
    // hold one, and in the settings file it would start a line of its own.
    if (HasLineBreak(forwarding.description))
        return Stop("The port description may not contain line breaks!", InputField::Description);
    return std::nullopt;
}

Verdict CheckForwardingAccount(const std::string& account,
                               const std::vector<std::string>& accountNames) {
    // Any other text would make a settings section and rows of no account.
    if (account.empty() ||
        std::find(accountNames.begin(), accountNames.end(), account) == accountNames.end())
        return Refusal{"Please choose a server from the server list !", true, InputField::None,
                       false};
    return std::nullopt;
}

Verdict CheckProxyPort(const std::string& port) {
    if (port.empty())
        return Stop("Please provide the local port number !", InputField::LocalPort);
    // The field takes digits only when typed; pasted text that is no number is out of range too.
    return CheckPort(port, "Local port value must be between 0 and 65535 !",
                     "Local port value may not be 0 !", InputField::LocalPort);
}
