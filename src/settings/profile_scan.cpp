// Reading one key of every section of a settings file in one pass: the file read and decoded
// with the platform's functions, its text taken apart by profile_text.cpp; see profile_scan.h.
#include "settings/profile_scan.h"

#include "framework/owners.h"
#include "settings/profile_text.h"

#include <windows.h>

#include <vector>

namespace {

using Text = std::wstring;

std::vector<char> ReadWholeFile(const std::string& path) {
    std::vector<char> bytes;
    HANDLE opened = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return bytes;
    fw::KernelHandle file(opened);
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFF)
        return bytes;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        read = 0;
    bytes.resize(read);
    return bytes;
}

Text Widen(const char* bytes, size_t length, UINT codePage) {
    if (length == 0)
        return Text();
    int count = ::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), nullptr, 0);
    Text text(count, L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), &text[0], count);
    return text;
}

// The file's text, decoded as its byte order mark says.
Text Decode(const std::vector<char>& bytes) {
    const size_t size = bytes.size();
    auto starts = [&](const char* mark, size_t length) {
        return size >= length && std::equal(mark, mark + length, bytes.begin());
    };
    if (starts("\xEF\xBB\xBF", 3))
        return Widen(bytes.data() + 3, size - 3, CP_UTF8);
    bool littleEndian = starts("\xFF\xFE", 2);
    if (littleEndian || starts("\xFE\xFF", 2)) {
        Text text;
        for (size_t at = 2; at + 1 < size; at += 2) {
            unsigned char first = static_cast<unsigned char>(bytes[at]);
            unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
            text += static_cast<wchar_t>(littleEndian ? first | second << 8 : second | first << 8);
        }
        return text;
    }
    return Widen(bytes.data(), size, CP_ACP);
}

std::string Narrow(const Text& text) {
    if (text.empty())
        return std::string();
    int count = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string narrow(count, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0], count,
                          nullptr, nullptr);
    return narrow;
}

// The platform's character rules for the text part of the read (profile_text.h), which is kept
// free of Win32 so that it builds natively for fuzzing.
bool IsSpace(wchar_t c) {
    WORD type = 0;
    return ::GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & C1_SPACE);
}

Text FoldCase(const Text& name) {
    if (name.empty())
        return name;
    Text folded(name.size(), L'\0');
    int length = ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.data(),
                                static_cast<int>(name.size()), &folded[0],
                                static_cast<int>(folded.size()));
    return length > 0 ? folded.substr(0, length) : name;
}

} // namespace

bool IgnoreCaseLess::operator()(const std::string& a, const std::string& b) const {
    return ::_stricmp(a.c_str(), b.c_str()) < 0;
}

ValuesBySection ScanKeyOfEverySection(const std::string& filePath, const std::string& key) {
    ValuesBySection values;
    for (const SectionValue& found :
         FindKeyInEverySection(Decode(ReadWholeFile(filePath)),
                               Widen(key.data(), key.size(), CP_ACP), {IsSpace, FoldCase}))
        values[Narrow(found.section)] = Narrow(found.value);
    return values;
}
