// The two text forms an account's port forwardings are stored in: the settings file's
// "forwardings" value ("local:server:port:description," per entry) and the SSH session's
// "PortForwardings" value ("Llocal=server:port," per entry). Plain text work, no Win32.
#pragma once

#include <string>
#include <vector>

struct Forwarding {
    std::string localPort;
    std::string targetServer;
    std::string targetPort;
    std::string description;
};

// The entries of a settings value, in order. Only entries closed by a comma count; an entry's
// fields are cut at its first three colons, so the description keeps any further colons.
// Entries with fewer than three colons and empty entries (both only ever hand-made) are
// skipped.
std::vector<Forwarding> ParseSettingsForwardings(const std::string& text);

// One entry of each form, its closing comma included.
std::string SettingsEntry(const Forwarding& forwarding);
std::string SessionEntry(const Forwarding& forwarding);

// The forwarding the browser's proxy goes through: the local port to the proxy service of the
// account server, at the account's server port.
Forwarding ProxyForwarding(const std::string& localPort, const std::string& serverPort);

// What a new account starts with: SMTP on 25, POP3 on 110, and local 50000 to the proxy
// service at the account's server port.
std::vector<Forwarding> DefaultForwardings(const std::string& serverPort);
std::string DefaultSettingsForwardings(const std::string& serverPort);
std::string DefaultSessionForwardings(const std::string& serverPort);

// The list with the entry added at its end. A hand-edited settings value may end in text
// without a comma, which is no entry: the new entry goes before it, so that it stays ignored.
// The SSH client does read such text in the session form, so there it is closed with a comma.
std::string AppendSettingsEntry(const std::string& text, const std::string& entry);
std::string AppendSessionEntry(const std::string& text, const std::string& entry);

// Removes the first whole session entry of the local port ("L25=" never matches "L125=").
std::string RemoveSessionEntry(const std::string& text, const std::string& localPort);
// Removes the first whole settings entry equal to `entry` (given with its comma), never a part
// of a longer entry.
std::string RemoveSettingsEntry(const std::string& text, const std::string& entry);

// Gives every entry whose target port is exactly `oldPort` the target port `newPort`; in the
// session form that includes an entry without its closing comma.
std::string ChangeSessionTargetPort(const std::string& text, const std::string& oldPort,
                                    const std::string& newPort);
std::string ChangeSettingsTargetPort(const std::string& text, const std::string& oldPort,
                                     const std::string& newPort);

// Gives the first entry whose local port is exactly `oldPort` the local port `newPort`; the rest
// of the entry stays as it is. Text without such an entry comes back unchanged.
std::string ChangeSessionLocalPort(const std::string& text, const std::string& oldPort,
                                   const std::string& newPort);
std::string ChangeSettingsLocalPort(const std::string& text, const std::string& oldPort,
                                    const std::string& newPort);

// A port field read as a decimal number: its leading digits, 0 when it does not begin with a
// digit. Values too large for the result stay at the largest one instead of wrapping.
unsigned long ReadDecimal(const std::string& text);
bool IsAllDigits(const std::string& text);
