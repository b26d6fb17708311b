#include "settings/settings_file.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <fstream>
#include <set>
#include <utility>

namespace {

const char* const kAccountKeys[] = {"port", "username", "password", "forwardings"};

} // namespace

CInternetOptions::CInternetOptions(std::string filePath) : filePath_(std::move(filePath)) {}

std::string CInternetOptions::ReadString(const std::string& section, const std::string& key) const {
    // The profile function cuts a value that does not fit and then reports size - 1 characters;
    // grow the buffer until the whole value fits.
    std::string buffer(4000, '\0');
    for (;;) {
        DWORD copied =
            ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", &buffer[0],
                                       static_cast<DWORD>(buffer.size()), filePath_.c_str());
        if (copied + 1 < buffer.size()) {
            buffer.resize(copied);
            return buffer;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

namespace {

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

bool IgnoreCaseLess::operator()(const std::string& a, const std::string& b) const {
    return ::_stricmp(a.c_str(), b.c_str()) < 0;
}

ValuesBySection CInternetOptions::ReadKeyOfEverySection(const std::string& key) const {
    ValuesBySection values;
    std::ifstream file(filePath_, std::ios::binary);
    std::string section;
    std::set<std::string, IgnoreCaseLess> seenSections;
    bool firstOfItsName = false;
    std::string line;
    while (std::getline(file, line)) {
        line = Trim(line);
        if (!line.empty() && line[0] == '[') {
            size_t close = line.find(']');
            section =
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            firstOfItsName = seenSections.insert(section).second;
            continue;
        }
        size_t equals = line.find('=');
        if (!firstOfItsName || equals == std::string::npos ||
            ::_stricmp(Trim(line.substr(0, equals)).c_str(), key.c_str()) != 0 ||
            values.count(section))
            continue;
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        values[section] = value;
    }
    return values;
}

int CInternetOptions::ReadInt(const std::string& section, const std::string& key) const {
    std::string text = ReadString(section, key);
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

bool CInternetOptions::ReadFlag(const std::string& section, const std::string& key,
                                bool defaultValue) const {
    std::string text = ReadString(section, key);
    if (text.empty())
        return defaultValue;
    char first = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return first == '1' || first == 'O' || first == 'Y';
}

bool CInternetOptions::WriteString(const std::string& section, const std::string& key,
                                   const std::string& value) const {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                        filePath_.c_str()) != FALSE;
}

bool CInternetOptions::WriteFlag(const std::string& section, const std::string& key,
                                 bool on) const {
    return WriteString(section, key, on ? "1" : "0");
}

bool CInternetOptions::DeleteSection(const std::string& section) const {
    return ::WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, filePath_.c_str()) !=
           FALSE;
}

void CInternetOptions::RenameAccountSection(const std::string& oldName,
                                            const std::string& newName) const {
    // Everything is read before the old section goes: section names ignore letter case, so
    // for a rename that only changes case the old and the new section are the same one.
    std::string values[4];
    for (int i = 0; i < 4; ++i)
        values[i] = ReadString(oldName, kAccountKeys[i]);
    DeleteSection(oldName);
    for (int i = 0; i < 4; ++i)
        WriteString(newName, kAccountKeys[i], values[i]);
}

void CInternetOptions::LoadAccountNames() {
    std::string servers = ReadString("tunnel", "servers");
    if (servers.empty())
        return;
    accountNames_.clear();
    // Each name ends with a comma; text after the last comma is not a complete entry.
    size_t start = 0;
    for (size_t comma = servers.find(','); comma != std::string::npos;
         comma = servers.find(',', start)) {
        accountNames_.push_back(servers.substr(start, comma - start));
        start = comma + 1;
    }
}

bool CInternetOptions::HasAccountName(const std::string& name) const {
    return std::find(accountNames_.begin(), accountNames_.end(), name) != accountNames_.end();
}

void CInternetOptions::AppendAccountName(const std::string& name) {
    accountNames_.push_back(name);
}

void CInternetOptions::RemoveAccountName(const std::string& name) {
    auto it = std::find(accountNames_.begin(), accountNames_.end(), name);
    if (it != accountNames_.end())
        accountNames_.erase(it);
}
