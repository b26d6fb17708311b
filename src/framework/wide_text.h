// Converting between the program's ANSI text and the wide text of the system's W functions.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The bytes as text of the code page (the ANSI one unless told otherwise).
std::wstring Widen(const char* bytes, size_t length, UINT codePage = CP_ACP);
inline std::wstring Widen(const std::string& text) { return Widen(text.data(), text.size()); }
// The wide text in the ANSI code page.
std::string Narrow(const wchar_t* text, size_t length);
inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

} // namespace fw
