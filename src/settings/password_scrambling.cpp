#include "settings/password_scrambling.h"

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

bool CanStorePassword(const std::string& clearText) {
    std::string scrambled = ScramblePassword(clearText);
    // A zero byte of the password itself would end it when it is unscrambled.
    return clearText.find('\0') == std::string::npos && scrambled.size() == clearText.size() &&
           scrambled.find_first_of("\r\n") == std::string::npos;
}
