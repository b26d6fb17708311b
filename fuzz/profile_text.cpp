// Fuzzes the reading of a whole settings file on its decoded text: whatever the file holds, a
// key's values found in every section are those found section by section, and written out
// again as a plain settings file, they are found again unchanged. Input: the text, one
// character a byte, or UTF-16 (little-endian) after the mark FF FE.
#include "fuzz_support.h"

#include "logic/profile_text.h"

#include <cwctype>

namespace {

// Stand-ins for the platform's character tables: the reading holds for any rules of white
// space and letter case, as long as line breaks count as white space.
bool IsSpace(wchar_t c) {
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

std::wstring FoldCase(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return folded;
}

std::wstring Decode(const uint8_t* data, size_t size) {
    std::wstring text;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        for (size_t at = 2; at + 1 < size; at += 2)
            text += static_cast<wchar_t>(data[at] | data[at + 1] << 8);
    } else {
        for (size_t at = 0; at < size; ++at)
            text += static_cast<wchar_t>(data[at]);
    }
    return text;
}

bool Same(const std::vector<SectionValue>& a, const std::vector<SectionValue>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].section != b[i].section || a[i].value != b[i].value)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ProfileCharacters characters = {IsSpace, FoldCase};
    const std::wstring key = L"forwardings";
    const ProfileText text(Decode(data, size), characters);
    const std::vector<SectionValue> found = text.ValuesOfKey(key);

    // Each value in quotes, so that blanks and quotes of its own survive; only the values
    // before the first section header have no header of their own.
    std::wstring written;
    for (const SectionValue& entry : found) {
        FUZZ_CHECK(entry.section.find(L'\n') == std::wstring::npos);
        FUZZ_CHECK(entry.value.find(L'\n') == std::wstring::npos);
        FUZZ_CHECK(text.Value(entry.section, key) == entry.value);
        if (&entry != &found.front() || !entry.section.empty())
            written += L"[" + entry.section + L"]\n";
        written += key + L"=\"" + entry.value + L"\"\n";
    }
    FUZZ_CHECK(Same(ProfileText(written, characters).ValuesOfKey(key), found));
    return 0;
}
