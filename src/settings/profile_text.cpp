// Finding one key in every section of a settings file's decoded text; see profile_text.h.
#include "settings/profile_text.h"

#include <set>

namespace {

using Text = std::wstring;

bool IsBlank(wchar_t c, const ProfileCharacters& characters) {
    return c == 0x1A || characters.isSpace(c);
}

Text Trim(const Text& text, const ProfileCharacters& characters) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first], characters))
        ++first;
    while (last > first && IsBlank(text[last - 1], characters))
        --last;
    return text.substr(first, last - first);
}

// One pair of the same quote around the value does not count.
Text WithoutQuotes(const Text& value) {
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// Cuts the text into lines at LF; text without any further LF is cut at CR.
std::vector<Text> Lines(const Text& text) {
    std::vector<Text> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == Text::npos)
            end = text.find(L'\r', start);
        if (end == Text::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

std::vector<SectionValue> FindKeyInEverySection(const std::wstring& text, const std::wstring& key,
                                                const ProfileCharacters& characters) {
    std::vector<SectionValue> values;
    const Text wantedKey = characters.fold(Trim(key, characters));
    Text section;
    // Folded; a set, so that a file of thousands of sections is read in one quick pass.
    std::set<Text> seenSections = {Text()};
    bool firstOfItsName = true;
    bool keySeen = false;
    for (const Text& rawLine : Lines(text)) {
        Text line = Trim(rawLine, characters);
        if (line.empty())
            continue;
        size_t close = line.rfind(L']');
        if (line[0] == L'[' && close != Text::npos && close > 0) {
            section = Trim(line.substr(1, close - 1), characters);
            firstOfItsName = seenSections.insert(characters.fold(section)).second;
            keySeen = false;
            continue;
        }
        // A section header without its closing bracket is read as a key line.
        if (!firstOfItsName || keySeen)
            continue;
        size_t equals = line.find(L'=');
        if (characters.fold(Trim(line.substr(0, equals), characters)) != wantedKey)
            continue;
        keySeen = true;
        Text value = equals == Text::npos
                         ? Text()
                         : WithoutQuotes(Trim(line.substr(equals + 1), characters));
        values.push_back({section, value});
    }
    return values;
}
