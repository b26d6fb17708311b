// Taking a settings file's decoded text apart into sections and keys; see profile_text.h.
#include "logic/profile_text.h"

namespace {

using View = std::wstring_view;

// One pair of the same quote around the value does not count.
View WithoutQuotes(View value) {
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

ProfileText::ProfileText(std::wstring text, const ProfileCharacters& characters)
    : text_(std::move(text)), characters_(characters) {
    const View all(text_);
    // Keys before the first header go to the section without a name, which counts as seen.
    sections_.push_back(Section{View(), {}});
    byName_.emplace(std::wstring(), 0);
    // The section that the key lines go to; none after a later section of a name already seen.
    size_t current = 0;
    const size_t none = static_cast<size_t>(-1);
    size_t start = 0;
    while (start < all.size()) {
        // Lines end at LF; text without any further LF is cut at CR.
        size_t end = all.find(L'\n', start);
        if (end == View::npos)
            end = all.find(L'\r', start);
        if (end == View::npos)
            end = all.size();
        View line = Trim(all.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        size_t close = line.rfind(L']');
        if (line[0] == L'[' && close != View::npos && close > 0) {
            View name = Trim(line.substr(1, close - 1));
            bool first = byName_.emplace(characters_.fold(name), sections_.size()).second;
            current = first ? sections_.size() : none;
            if (first)
                sections_.push_back(Section{name, {}});
            continue;
        }
        // A section header without its closing bracket is read as a key line.
        if (current == none)
            continue;
        size_t equals = line.find(L'=');
        View key = Trim(line.substr(0, equals));
        View value = equals == View::npos ? View() : Trim(line.substr(equals + 1));
        sections_[current].entries.push_back(Entry{key, value});
    }
}

std::wstring_view ProfileText::Trim(std::wstring_view text) const {
    auto blank = [this](wchar_t c) { return c == 0x1A || characters_.isSpace(c); };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// The first entry of the key in the section. Folding keeps a name's length, so only keys of the
// wanted length are folded.
const ProfileText::Entry* ProfileText::Find(const Section& section,
                                            const std::wstring& foldedKey) const {
    for (const Entry& entry : section.entries) {
        if (entry.key.size() == foldedKey.size() && characters_.fold(entry.key) == foldedKey)
            return &entry;
    }
    return nullptr;
}

std::wstring ProfileText::Value(std::wstring_view section, std::wstring_view key) const {
    auto found = byName_.find(characters_.fold(Trim(section)));
    if (found == byName_.end())
        return std::wstring();
    const Entry* entry = Find(sections_[found->second], characters_.fold(Trim(key)));
    return entry ? std::wstring(WithoutQuotes(entry->value)) : std::wstring();
}

std::vector<SectionValue> ProfileText::ValuesOfKey(std::wstring_view key) const {
    std::vector<SectionValue> values;
    const std::wstring foldedKey = characters_.fold(Trim(key));
    for (const Section& section : sections_) {
        if (const Entry* entry = Find(section, foldedKey))
            values.push_back({std::wstring(section.name), std::wstring(WithoutQuotes(entry->value))});
    }
    return values;
}
