#include "logic/key_file_text.h"

#include "logic/account_rules.h"

namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           EqualIgnoringCase(text.substr(text.size() - end.size()), end);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

KeyFileKind ClassifyKeyFile(const std::string& path, const std::string& opening) {
    if (EndsWithIgnoringCase(path, ".ppk") || StartsWith(opening, "PuTTY-User-Key-File-"))
        return KeyFileKind::PuttyKey;
    if (EndsWithIgnoringCase(path, ".pub") || StartsWith(opening, "ssh-") ||
        StartsWith(opening, "ecdsa-") || StartsWith(opening, "sk-"))
        return KeyFileKind::PublicKey;
    if (opening.empty())
        return KeyFileKind::Empty;
    if (StartsWith(opening, "-----BEGIN ") && opening.find("PRIVATE KEY-----") != std::string::npos)
        return KeyFileKind::PrivateKey;
    return KeyFileKind::NotAKey;
}

std::string KeyFileRefusal(KeyFileKind kind, const std::string& path) {
    const std::string file = "The key file '" + path + "'";
    switch (kind) {
    case KeyFileKind::PrivateKey:
        break;
    case KeyFileKind::PuttyKey:
        return file + " is a PuTTY key (.ppk), which OpenSSH cannot read. Open it in PuTTYgen, "
                      "choose Conversions, Export OpenSSH key, and choose the exported file in "
                      "the account's sign-in options.";
    case KeyFileKind::PublicKey:
        return file + " is the public half of a key. Choose the private key, the file of the "
                      "same name without .pub.";
    case KeyFileKind::Empty:
        return file + " is empty.";
    case KeyFileKind::NotAKey:
        return file + " is no private key in OpenSSH's format.";
    }
    return std::string();
}
