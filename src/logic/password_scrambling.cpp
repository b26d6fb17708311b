#include "logic/password_scrambling.h"

namespace {

const char kKey[] = "m7x3&#5";
const size_t kKeyLength = sizeof(kKey) - 1;

std::string Shift(const std::string& text, int direction) {
    std::string result(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        int key = static_cast<unsigned char>(kKey[i % kKeyLength]);
        result[i] = static_cast<char>(static_cast<unsigned char>(text[i]) + direction * key);
    }
    // The stored text ends at its first zero byte.
    return result.substr(0, result.find('\0'));
}

} // namespace

std::string ScramblePassword(const std::string& clearText) {
    return Shift(clearText, +1);
}

std::string UnscramblePassword(const std::string& scrambledText) {
    return Shift(scrambledText, -1);
}

namespace {

// Characters the profile functions drop at either end of a value: blanks, tabs and the like,
// Ctrl-Z, and the no-break space of the ANSI code page.
bool IsTrimmedByTheSettingsFile(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a' || c == '\xa0';
}

} // namespace

bool CanStorePassword(const std::string& clearText) {
    std::string scrambled = ScramblePassword(clearText);
    // A zero byte of the password itself would end it when it is unscrambled.
    if (clearText.find('\0') != std::string::npos || scrambled.size() != clearText.size() ||
        scrambled.find_first_of("\r\n") != std::string::npos)
        return false;
    if (scrambled.empty())
        return true;
    if (IsTrimmedByTheSettingsFile(scrambled.front()) ||
        IsTrimmedByTheSettingsFile(scrambled.back()))
        return false;
    // One pair of the same quote around a value is taken off when it is read.
    bool quoted = scrambled.size() >= 2 && (scrambled[0] == '"' || scrambled[0] == '\'') &&
                  scrambled.back() == scrambled[0];
    return !quoted;
}
