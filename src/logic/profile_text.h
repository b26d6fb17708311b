// The text part of reading a whole settings file at once (profile_scan.h): its sections and keys
// taken apart from text already decoded to wide characters, as the profile functions take them
// apart. No Win32 here, so that it builds natively for fuzzing; the two character rules that
// come from the platform's tables are passed in instead.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct ProfileCharacters {
    // White space as the profile functions take it; Ctrl-Z counts as well, here.
    bool (*isSpace)(wchar_t c);
    // The name with its letter case folded: names are equal for the profile functions when
    // their folded forms are.
    std::wstring (*fold)(std::wstring_view name);
};

struct SectionValue {
    std::wstring section;
    std::wstring value;
};

// The rules: lines end at LF (or at CR where the text has no further LF); blanks, tabs and
// Ctrl-Z around names and values do not count; names are matched without regard to letter
// case; of sections with the same name only the first counts, and within it the first key of a
// name, a key without "=" included (its value is empty); one pair of matching quotes around a
// value does not count. Keys before the first section header belong to a section without a
// name.
class ProfileText {
public:
    ProfileText(std::wstring text, const ProfileCharacters& characters);
    // Names and values point into the text held here.
    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    // The key's value in the section; empty when either is missing.
    std::wstring Value(std::wstring_view section, std::wstring_view key) const;
    // The key's value in every section that has it, in the order of the text.
    std::vector<SectionValue> ValuesOfKey(std::wstring_view key) const;

private:
    struct Entry {
        std::wstring_view key; // trimmed
        std::wstring_view value; // trimmed, quotes still on
    };
    struct Section {
        std::wstring_view name;
        std::vector<Entry> entries;
    };

    std::wstring_view Trim(std::wstring_view text) const;
    const Entry* Find(const Section& section, const std::wstring& foldedKey) const;

    std::wstring text_;
    ProfileCharacters characters_;
    // The first section of each name, in the order of the text.
    std::vector<Section> sections_;
    // Folded name -> index in sections_.
    std::map<std::wstring, size_t> byName_;
};
