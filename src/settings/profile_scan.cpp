// Reading a whole settings file at once: the file read and decoded with the platform's
// functions, its text taken apart by profile_text.cpp; see profile_scan.h.
#include "settings/profile_scan.h"

#include "framework/wide_text.h"
#include "logic/profile_text.h"
#include "owners/owners.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

using Text = std::wstring;
using fw::Narrow;
using fw::Widen;

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

// The character rules of the profile functions for the text part of the read
// (profile_text.h), which is kept free of Win32 so that it builds natively for fuzzing.
// White space is tab to carriage return and the blank; no other space counts.
bool IsSpace(wchar_t c) {
    return (c >= L'\t' && c <= L'\r') || c == L' ';
}

// Names as the profile functions compare them: only the ASCII letters fold, and a name with an
// accented capital and the same name with the small letter are two sections.
Text FoldCase(std::wstring_view name) {
    Text folded(name);
    for (wchar_t& c : folded) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return folded;
}

} // namespace

ProfileSnapshot::ProfileSnapshot(const std::string& filePath)
    : text_(Decode(ReadWholeFile(filePath)), {IsSpace, FoldCase}) {}

std::string ProfileSnapshot::ReadString(const std::string& section, const std::string& key) const {
    return Narrow(text_.Value(Widen(section), Widen(key)));
}

ValuesBySection ProfileSnapshot::ReadKeyOfEverySection(const std::string& key) const {
    ValuesBySection values;
    for (const SectionValue& found : text_.ValuesOfKey(Widen(key)))
        values[Narrow(found.section)] = Narrow(found.value);
    return values;
}
