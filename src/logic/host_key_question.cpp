// Reading ssh's key question and wording the boxes; see host_key_question.h.
#include "logic/host_key_question.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {

constexpr size_t kLongestName = 253;
constexpr size_t kLongestFingerprint = 100;

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ||
           c == ':'; // IPv6 addresses
}

bool IsKeyType(const std::string& type) {
    if (type.empty() || type.size() > 32)
        return false;
    for (char c : type) {
        if (!std::isupper(static_cast<unsigned char>(c)) &&
            !std::isdigit(static_cast<unsigned char>(c)) && c != '-')
            return false;
    }
    return true;
}

bool IsFingerprint(const std::string& text) {
    if (text.compare(0, 7, "SHA256:") != 0 || text.size() == 7 || text.size() > kLongestFingerprint)
        return false;
    for (size_t i = 7; i < text.size(); ++i) {
        char c = text[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '/' && c != '=')
            return false;
    }
    return true;
}

// "mail.example.org" from "mail.example.org" or "[mail.example.org]:2222".
std::optional<std::string> ServerName(const std::string& pattern) {
    std::string name = pattern;
    if (!name.empty() && name[0] == '[') {
        size_t close = name.find("]:");
        if (close == std::string::npos)
            return std::nullopt;
        name = name.substr(1, close - 1);
    }
    if (name.empty() || name.size() > kLongestName)
        return std::nullopt;
    for (char c : name) {
        if (!IsNameCharacter(c))
            return std::nullopt;
    }
    return name;
}

std::string Line(const std::string& text, size_t& from) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos)
        end = text.size();
    std::string line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    from = end + 1;
    return line;
}

} // namespace

bool IsConfirmation(const std::string& prompt) {
    return prompt.find("(yes/no") != std::string::npos;
}

std::optional<HostKeyQuestion> ParseHostKeyQuestion(const std::string& prompt) {
    const std::string opening = "The authenticity of host '";
    const std::string marker = " key fingerprint is ";
    if (!IsConfirmation(prompt) || prompt.compare(0, opening.size(), opening) != 0)
        return std::nullopt;
    size_t from = 0;
    std::string first = Line(prompt, from);
    size_t nameEnd = first.find_first_of(" '", opening.size());
    if (nameEnd == std::string::npos)
        return std::nullopt;
    std::optional<std::string> server =
        ServerName(first.substr(opening.size(), nameEnd - opening.size()));
    if (!server)
        return std::nullopt;

    while (from < prompt.size()) {
        std::string line = Line(prompt, from);
        size_t at = line.find(marker);
        if (at == std::string::npos)
            continue;
        ServerKey key{line.substr(0, at), line.substr(at + marker.size())};
        if (!key.fingerprint.empty() && key.fingerprint.back() == '.')
            key.fingerprint.pop_back();
        if (!IsKeyType(key.type) || !IsFingerprint(key.fingerprint))
            return std::nullopt;
        return HostKeyQuestion{*server, key};
    }
    return std::nullopt;
}

std::string KeyText(const ServerKey& key) {
    return key.type + " " + key.fingerprint;
}

std::optional<ServerKey> ParseKeyText(const std::string& text) {
    size_t blank = text.find(' ');
    if (blank == std::string::npos)
        return std::nullopt;
    ServerKey key{text.substr(0, blank), text.substr(blank + 1)};
    if (!IsKeyType(key.type) || !IsFingerprint(key.fingerprint))
        return std::nullopt;
    return key;
}

std::string TrustNewKeyText(const HostKeyQuestion& question) {
    return "This is the first connection to the server \"" + question.server +
           "\". Its identity cannot be confirmed yet.\n\nThe server's " + question.key.type +
           " key has the fingerprint\n" + question.key.fingerprint +
           "\n\nIf you know your server's fingerprint, compare it with this one.\n\nDo you "
           "trust this key and want to connect?";
}

std::string TrustChangedKeyText(const std::string& server, const ServerKey& key) {
    return "The key of the server \"" + server +
           "\" has changed since the last connection.\n\nSomeone may be listening in on your "
           "connection. It is also possible that the server's key was simply replaced.\n\nThe "
           "new " +
           key.type + " key has the fingerprint\n" + key.fingerprint +
           "\n\nTrust the new key only if you know that it was replaced. Do you trust the new "
           "key and want to connect?";
}

std::string HostKeyQuestionLockName(const std::string& knownHostsPath) {
    // FNV-1a over the path ignoring case: one lock per file, whatever the spelling.
    std::uint32_t hash = 2166136261u;
    for (char c : knownHostsPath) {
        hash ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
        hash *= 16777619u;
    }
    char name[64];
    std::snprintf(name, sizeof(name), "Local\\Marrowin-host-key-question-%08x",
                  static_cast<unsigned>(hash));
    return name;
}
