// What the accounts editor and the forwarding fields accept, and what our SSH client plink.exe
// can use: one set of rules for both sides, so that nothing the editor stores makes a session
// unusable. Each check returns the refusal to show, or nothing when the input may be stored.
// Plain text work, no Win32.
#pragma once

#include "logic/forwarding_text.h"
#include "logic/sign_in.h"

#include <optional>
#include <string>
#include <vector>

// The input fields a refusal can point at.
enum class InputField {
    None,
    ServerName,
    UserName,
    Password,
    ServerPort,
    LocalPort,
    TargetServer,
    TargetPort,
    Description,
};

struct Refusal {
    std::string message;
    // Information icon for a duplicate or a missing choice; stop icon for bad input.
    bool information = false;
    // The field that gets the focus, emptied first when `clearField` is set.
    InputField field = InputField::None;
    bool clearField = false;
};

// How the program says that something failed: an operation that can fail answers its failure,
// as a std::optional of what went wrong (a Refusal here; a sentence, or the system's error code,
// elsewhere) that is empty when it succeeded, or, where it reports what it did as well, in a
// result it returns (StoreAnswer of the account store). No sticky flag, no -1, no empty text
// meaning success.
using Verdict = std::optional<Refusal>;

// Said when a forwarding would take an account's stored forwardings past what the settings file
// keeps whole.
inline constexpr char kTooManyForwardings[] = "The account has too many port forwardings!";

// The longest host name there is, and the longest password an account keeps.
const size_t kLongestServerName = 253;
const size_t kLongestPassword = 256;

// Names as the settings file and the registry compare them: equal without regard to letter case.
bool EqualIgnoringCase(const std::string& a, const std::string& b);
// The same comparison as an order, for maps keyed by such names.
struct IgnoreCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

// The TCP port a port field spells: digits only, leading zeros allowed, 1 to 65535; 0 when the
// text is no such number.
int PortNumber(const std::string& text);
// A host name ssh takes as one word of its command line: letters, digits, dots, hyphens and
// underscores, not beginning with a hyphen (ssh would take it for an option), or an IPv6
// address in brackets.
bool IsUsableHostName(const std::string& host);

struct AccountFields {
    std::string serverName;
    std::string userName;
    std::string password;
    std::string serverPort;
    // How the stored account signs in; a new one signs in with its password.
    SignIn signIn = SignIn::Password;
};

// Every field filled in (the password only for an account that signs in with it), a user name
// on one line and a server port from 1 to 65535.
Verdict CheckAccountFields(const AccountFields& fields);
// A name for a new account or a rename: at most 253 characters (the longest host name), letters,
// digits, dots, hyphens and underscores only, usable as a host name by ssh (`IsUsableHostName`),
// and no other account's name in any letter case (the settings file and the registry do not
// tell such names apart). `oldName` is the account's present name, empty for a new one.
Verdict CheckNewServerName(const std::string& name, const std::string& oldName,
                           const std::vector<std::string>& existingNames);
// A password longer than 256 characters, or one whose scrambled form the settings file would
// not give back unchanged.
Verdict CheckPasswordCanBeStored(const std::string& password);
// A forwarding's four fields: ports in range, nothing that would end a field or an entry of
// either stored form.
Verdict CheckForwarding(const Forwarding& forwarding);
// The local port the browser's proxy points at: a port number, 1 to 65535.
Verdict CheckProxyPort(const std::string& port);
// The account a forwarding is added to: one of the accounts.
Verdict CheckForwardingAccount(const std::string& account,
                               const std::vector<std::string>& accountNames);
