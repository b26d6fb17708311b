// Telling in plain words why a run failed; see end_reason.h.
#include "logic/end_reason.h"

namespace {

// The sentences of the failures that another attempt would meet the same way.
const char kPasswordRefused[] = "The server refused the user name or password of this account.";
const char kSessionBroken[] = "The saved session of this account is missing or broken.";
const char kNoSsh[] = "The OpenSSH client of Windows (ssh.exe) is not installed.";

const char kPassphraseInput[] =
    "The SSH client could not take the key's passphrase: it is too long or was not readable.";

const char kConfigurationPrefix[] = "ssh could not read its configuration: ";

const char* const kRetryCannotMend[] = {
    kPasswordRefused, kKeyChangedReason,      kKeyNotAcceptedReason, kSessionBroken,
    kNoSsh,           kWrongPassphraseReason, kKeyRefusedReason,     kAgentNoKeyReason,
    kNoAgentReason,   kPassphraseInput};

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// "Local port 18081" from "bind [127.0.0.1]:18081: Address already in use".
std::string LocalPortOf(const std::string& bindLine) {
    size_t start = bindLine.find("]:");
    size_t end = start == std::string::npos ? start : bindLine.find(':', start + 2);
    if (end == std::string::npos)
        return "A local port";
    return "Local port " + bindLine.substr(start + 2, end - start - 2);
}

// What one of ssh's lines says of why it gives up; empty when it says nothing of it.
std::string CauseOf(const std::string& line) {
    // Before "Permission denied": a port the system keeps for itself gives that error too.
    if (StartsWith(line, "bind ")) {
        if (Contains(line, "Address already in use"))
            return LocalPortOf(line) + " is already in use by another program.";
        return LocalPortOf(line) + " could not be opened.";
    }
    if (Contains(line, "Permission denied ("))
        return kPasswordRefused;
    if (StartsWith(line, "ssh: Could not resolve hostname "))
        return "The server's name could not be found.";
    if (StartsWith(line, "ssh: connect to host "))
        return "The server could not be reached.";
    if (Contains(line, "REMOTE HOST IDENTIFICATION HAS CHANGED"))
        return kKeyChangedReason;
    // Before the line of ssh that follows it: the user was never asked.
    if (Contains(line, kKeyQuestionNotShownLine))
        return "The question about the server's key could not be shown, so no connection was "
               "made.";
    // Alone, without the warning of a changed key, it follows the question about a new key.
    if (line == "Host key verification failed.")
        return kKeyNotAcceptedReason;
    if (StartsWith(line, "Timeout, server "))
        return "The server stopped answering.";
    // The last: ssh failed to say goodbye to a server already gone ("Broken pipe").
    if (Contains(line, "closed by remote host.") || StartsWith(line, "Connection closed by ") ||
        StartsWith(line, "Connection reset by ") ||
        StartsWith(line, "client_loop: send disconnect: "))
        return "The server closed the connection.";
    return std::string();
}

} // namespace

void EndReason::OnClientFailure(ClientFailure failure, int localPort) {
    switch (failure) {
    case ClientFailure::BadSession:
        cause_ = kSessionBroken;
        break;
    case ClientFailure::TooManyForwardings:
        cause_ = "The account has too many port forwardings for one connection.";
        break;
    case ClientFailure::NoSsh:
        cause_ = kNoSsh;
        break;
    case ClientFailure::SshNotStarted:
        cause_ = "The OpenSSH client (ssh.exe) could not be started.";
        break;
    case ClientFailure::SystemFault:
        cause_ = "The SSH client could not prepare the connection on this computer.";
        break;
    case ClientFailure::NoAnswer:
        cause_ = "The server did not answer in time.";
        break;
    case ClientFailure::PassphraseInput:
        cause_ = kPassphraseInput;
        break;
    case ClientFailure::BrowserPortInUse:
        cause_ = "The local port " + std::to_string(localPort) +
                 ", where the browser is pointed, is in use by another program.";
        break;
    }
}

void EndReason::OnSkippedForwarding(const std::string& entry) {
    if (skippedForwarding_.empty())
        skippedForwarding_ = entry;
}

void EndReason::OnSshLine(const std::string& line) {
    const std::string debug = StartsWith(line, "debug1: ") ? line.substr(8) : std::string();
    keyOffered_ |= StartsWith(debug, "Offering public key: ");
    agentKeyOffered_ |= StartsWith(debug, "Offering public key: ") &&
                        debug.size() >= 6 && debug.compare(debug.size() - 6, 6, " agent") == 0;
    keyAccepted_ |= StartsWith(debug, "Server accepts key: ");
    passphraseAsked_ |= keyAccepted_ && debug == "read_passphrase: requested to askpass";
    agentEmpty_ |= Contains(debug, "agent contains no identities");
    noAgent_ |= StartsWith(debug, "get_agent_identities: ssh_get_authentication_socket: ");
    // "FILE: line N: ..." or "FILE line N: ...", then "FILE: terminating, N bad configuration
    // options": the first names the file and line.
    if (configLine_.empty() && debug.empty() && Contains(line, " line ") &&
        !StartsWith(line, "ssh: "))
        configLine_ = line;
    if (cause_.empty() && Contains(line, ": terminating, ") &&
        Contains(line, "bad configuration option"))
        cause_ = kConfigurationPrefix + (configLine_.empty() ? line : configLine_);
    if (cause_.empty() && Contains(line, "Permission denied (") && !Contains(line, "password"))
        cause_ = SignInCause();
    if (cause_.empty())
        cause_ = CauseOf(line);
    if (cause_ != kKeyChangedReason || changedKey_)
        return;
    // "The fingerprint for the ED25519 key sent by the remote host is", then the fingerprint.
    const std::string opening = "The fingerprint for the ";
    if (StartsWith(line, opening.c_str())) {
        changedKeyType_ =
            line.substr(opening.size(), line.find(' ', opening.size()) - opening.size());
        return;
    }
    if (!changedKeyType_.empty()) {
        std::string fingerprint = line;
        if (!fingerprint.empty() && fingerprint.back() == '.')
            fingerprint.pop_back();
        changedKey_ = ParseKeyText(changedKeyType_ + " " + fingerprint);
        changedKeyType_.clear();
    }
}

std::string EndReason::SignInCause() const {
    if (passphraseAsked_)
        return kWrongPassphraseReason;
    if (agentKeyOffered_ || agentEmpty_)
        return kAgentNoKeyReason;
    if (noAgent_)
        return kNoAgentReason;
    if (keyOffered_)
        return kKeyRefusedReason;
    return std::string();
}

std::string EndReason::Text() const {
    if (!cause_.empty())
        return cause_;
    if (skippedForwarding_.empty())
        return "The OpenSSH client ended without giving a reason.";
    return "The port forwarding \"" + skippedForwarding_ +
           "\" of this account cannot be used and was left out.";
}

bool RetryCannotMend(const std::string& sentence) {
    for (const char* hopeless : kRetryCannotMend) {
        if (sentence == hopeless)
            return true;
    }
    return StartsWith(sentence, kConfigurationPrefix);
}
