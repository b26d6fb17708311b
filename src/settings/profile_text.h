// The text part of the one-pass read of a settings file (profile_scan.h): finding one key's
// value in every section of text already decoded to wide characters. No Win32 here, so that it
// builds natively for fuzzing; the two character rules that come from the platform's tables are
// passed in instead.
#pragma once

#include <string>
#include <vector>

struct ProfileCharacters {
    // White space as the platform's character types have it; Ctrl-Z counts as well, here.
    bool (*isSpace)(wchar_t c);
    // The name with its letter case folded: names are equal for the profile functions when
    // their folded forms are.
    std::wstring (*fold)(const std::wstring& name);
};

struct SectionValue {
    std::wstring section;
    std::wstring value;
};

// The key's value in every section that has it, in the order of the text, each section's first
// name only (see ScanKeyOfEverySection for the rules). Keys before the first section header
// belong to a section without a name.
std::vector<SectionValue> FindKeyInEverySection(const std::wstring& text, const std::wstring& key,
                                                const ProfileCharacters& characters);
