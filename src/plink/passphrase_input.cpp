#include "plink/passphrase_input.h"

#include <windows.h>

namespace {

// Far more than any passphrase ssh takes; a longer input is refused, not cut.
constexpr DWORD kLongestInput = 16 * 1024;

} // namespace

std::optional<std::string> ReadPassphraseInput(std::string& passphrase) {
    passphrase.clear();
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (!input || input == INVALID_HANDLE_VALUE || ::GetFileType(input) != FILE_TYPE_PIPE)
        return std::nullopt;
    // One byte more than allowed, so that a longer input is seen as such; reserved whole, so
    // that the text is never copied into a second buffer.
    passphrase.resize(kLongestInput + 1);
    DWORD total = 0;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(input, &passphrase[total], kLongestInput + 1 - total, &read, nullptr)) {
            DWORD error = ::GetLastError();
            if (error == ERROR_BROKEN_PIPE)
                break;
            ::SecureZeroMemory(&passphrase[0], passphrase.size());
            passphrase.clear();
            return "The passphrase could not be read from the standard input (error " +
                   std::to_string(error) + ").";
        }
        total += read;
        if (read == 0 || total > kLongestInput)
            break;
    }
    if (total > kLongestInput) {
        ::SecureZeroMemory(&passphrase[0], passphrase.size());
        passphrase.clear();
        return "The passphrase on the standard input is longer than " +
               std::to_string(kLongestInput / 1024) + " KB.";
    }
    passphrase.resize(total);
    return std::nullopt;
}
