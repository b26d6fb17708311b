#include "framework/wide_text.h"

namespace fw {

std::wstring Widen(const char* bytes, size_t length, UINT codePage) {
    if (length == 0)
        return std::wstring();
    int count = ::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), nullptr, 0);
    std::wstring text(count, L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), &text[0], count);
    return text;
}

std::string Narrow(const wchar_t* text, size_t length) {
    if (length == 0)
        return std::string();
    int count = ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
    std::string narrow(count, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &narrow[0], count, nullptr,
                          nullptr);
    return narrow;
}

} // namespace fw
