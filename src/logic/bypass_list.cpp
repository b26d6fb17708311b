#include "logic/bypass_list.h"

#include <algorithm>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Letters, digits and what host patterns and addresses are written with: dots, hyphens,
// underscores, the wildcard, colons and brackets of IPv6, the slash of a range, and the angle
// brackets of "<local>".
bool IsEntryCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string(".-_*:[]/<>").find(c) != std::string::npos;
}

bool Contains(const std::vector<std::string>& entries, const std::string& entry) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::string& each) { return EqualIgnoringCase(each, entry); });
}

Refusal Refuse(const char* message) {
    return Refusal{message, false, InputField::None, false};
}

} // namespace

std::vector<std::string> BypassEntries(const std::string& list) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        size_t first = start;
        size_t last = end;
        while (first < last && IsBlank(list[first]))
            ++first;
        while (last > first && IsBlank(list[last - 1]))
            --last;
        if (last > first)
            entries.push_back(list.substr(first, last - first));
        start = end + 1;
    }
    return entries;
}

std::string MergeBypass(const std::string& ours, const std::string& users) {
    std::vector<std::string> merged;
    for (const std::string& list : {ours, users}) {
        for (const std::string& entry : BypassEntries(list)) {
            if (!Contains(merged, entry))
                merged.push_back(entry);
        }
    }
    std::string list;
    for (const std::string& entry : merged)
        list += (list.empty() ? "" : ";") + entry;
    return list;
}

bool HasLocalNames(const std::string& list) {
    return Contains(BypassEntries(list), kLocalNames);
}

std::string WithLocalNames(const std::string& list, bool local) {
    std::string changed;
    for (const std::string& entry : BypassEntries(list)) {
        if (!EqualIgnoringCase(entry, kLocalNames))
            changed += (changed.empty() ? "" : ";") + entry;
    }
    if (local)
        changed += (changed.empty() ? "" : ";") + std::string(kLocalNames);
    return changed;
}

Verdict CheckBypassList(const std::string& list) {
    if (list.size() > kLongestBypass)
        return Refuse("The bypass list may be at most 2000 characters long!");
    for (const std::string& entry : BypassEntries(list)) {
        if (entry == "*")
            return Refuse("The bypass list may not hold * alone: the browser would send nothing "
                          "through the tunnel!");
        if (!std::all_of(entry.begin(), entry.end(), IsEntryCharacter))
            return Refuse("Each entry of the bypass list must be a host name, an address or "
                          "<local>, separated by semicolons!");
    }
    return std::nullopt;
}
