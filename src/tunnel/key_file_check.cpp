#include "tunnel/key_file_check.h"

#include "logic/key_file_text.h"
#include "owners/owners.h"

#include <windows.h>

namespace {

// Far more than any key; a big file of something else is not read whole.
constexpr DWORD kLongestKeyText = 64 * 1024;

// The file's beginning, up to the limit; nothing when it cannot be opened or read.
std::optional<std::string> ReadOpening(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    fw::KernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string text(kLongestKeyText, '\0');
    DWORD total = 0;
    while (total < kLongestKeyText) {
        DWORD read = 0;
        if (!::ReadFile(file, &text[total], kLongestKeyText - total, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break;
        total += read;
    }
    text.resize(total);
    return text;
}

} // namespace

KeyFileCheck CheckKeyFile(const std::string& path) {
    KeyFileCheck check;
    std::optional<std::string> text = ReadOpening(path);
    if (!text) {
        check.failure = "The key file '" + path + "' of this account cannot be read.";
        return check;
    }
    std::string refusal = KeyFileRefusal(ClassifyKeyFile(path, *text), path);
    if (!refusal.empty())
        check.failure = refusal;
    else
        check.encrypted = KeyNeedsPassphrase(*text);
    return check;
}
