#include "tunnel/key_file_check.h"

#include "logic/key_file_text.h"
#include "owners/owners.h"

#include <windows.h>

std::optional<std::string> KeyFileFailure(const std::string& path) {
    fw::KernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Enough of its beginning to know a key by.
    char opening[64] = {};
    DWORD read = 0;
    if (path.empty() || !file || !::ReadFile(file, opening, sizeof(opening), &read, nullptr))
        return "The key file '" + path + "' of this account cannot be read.";
    std::string refusal = KeyFileRefusal(ClassifyKeyFile(path, std::string(opening, read)), path);
    if (refusal.empty())
        return std::nullopt;
    return refusal;
}
