// Editing the lines of the known-hosts file; see known_hosts.h.
#include "logic/known_hosts.h"

#include "logic/account_rules.h"

#include <cctype>

namespace {

// The name in "name" or "[name]:port"; empty for any other form.
std::string NameOf(const std::string& pattern, std::string& portSuffix) {
    portSuffix.clear();
    if (pattern.empty() || pattern[0] != '[')
        return pattern;
    size_t close = pattern.find("]:");
    if (close == std::string::npos || close + 2 == pattern.size())
        return std::string();
    for (size_t i = close + 2; i < pattern.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(pattern[i])))
            return std::string();
    }
    portSuffix = pattern.substr(close + 1);
    return pattern.substr(1, close - 1);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// One line (without its line end) with the host's names renamed, or removed when newHost is
// empty. False when nothing is left of the line.
bool EditLine(std::string& line, const std::string& host, const std::string& newHost) {
    size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    if (start == line.size() || line[start] == '#')
        return true;
    if (line[start] == '@') {
        while (start < line.size() && !IsBlank(line[start]))
            ++start;
        while (start < line.size() && IsBlank(line[start]))
            ++start;
    }
    size_t end = start;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;

    std::string kept;
    bool changed = false;
    size_t from = start;
    while (from <= end) {
        size_t comma = line.find(',', from);
        if (comma == std::string::npos || comma > end)
            comma = end;
        std::string pattern = line.substr(from, comma - from);
        std::string port;
        std::string name = NameOf(pattern, port);
        if (!name.empty() && EqualIgnoringCase(name, host)) {
            changed = true;
            pattern = newHost.empty() ? std::string()
                      : port.empty()  ? newHost
                                      : "[" + newHost + "]" + port;
        }
        if (!pattern.empty())
            kept += (kept.empty() ? "" : ",") + pattern;
        from = comma + 1;
    }
    if (!changed)
        return true;
    if (kept.empty())
        return false;
    line = line.substr(0, start) + kept + line.substr(end);
    return true;
}

std::string EditLines(const std::string& text, const std::string& host,
                      const std::string& newHost) {
    std::string result;
    size_t from = 0;
    while (from < text.size()) {
        size_t newline = text.find('\n', from);
        size_t next = newline == std::string::npos ? text.size() : newline + 1;
        size_t contentEnd = newline == std::string::npos ? text.size() : newline;
        if (contentEnd > from && text[contentEnd - 1] == '\r')
            --contentEnd;
        std::string line = text.substr(from, contentEnd - from);
        if (host.empty() || EditLine(line, host, newHost))
            result += line + text.substr(contentEnd, next - contentEnd);
        from = next;
    }
    return result;
}

} // namespace

std::string ForgetHost(const std::string& text, const std::string& host) {
    return EditLines(text, host, std::string());
}

std::string RenameHost(const std::string& text, const std::string& oldHost,
                       const std::string& newHost) {
    if (EqualIgnoringCase(oldHost, newHost))
        return EditLines(text, oldHost, newHost);
    return EditLines(ForgetHost(text, newHost), oldHost, newHost);
}
