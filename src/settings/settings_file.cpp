#include "settings/settings_file.h"

#include "logic/account_rules.h"
#include "logic/server_list.h"
#include "owners/owners.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <utility>

namespace {

const char* const kAccountKeys[] = {setting::kServerPort, setting::kUserName, setting::kPassword,
                                    setting::kForwardings, setting::kSignIn, setting::kKeyFile};

// An account named like one of the program's own sections shares it: its keys are written and
// removed one by one there, so that the program's own keys stay.
bool IsProgramSection(const std::string& section) {
    for (const char* own : {setting::kMainSection, setting::kBrowserSection,
                            setting::kAccountsSection})
        if (EqualIgnoringCase(section, own))
            return true;
    return false;
}

bool IsAccountKeyLine(const std::string& line) {
    const std::string key = line.substr(0, line.find('='));
    return std::any_of(std::begin(kAccountKeys), std::end(kAccountKeys),
                       [&](const char* accountKey) { return EqualIgnoringCase(key, accountKey); });
}

} // namespace

CInternetOptions::CInternetOptions(std::string filePath) : filePath_(std::move(filePath)) {}

std::string CInternetOptions::ReadString(const std::string& section, const std::string& key) const {
    if (snapshot_)
        return snapshot_->ReadString(section, key);
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

ValuesBySection CInternetOptions::ReadKeyOfEverySection(const std::string& key) const {
    if (snapshot_)
        return snapshot_->ReadKeyOfEverySection(key);
    return ProfileSnapshot(filePath_).ReadKeyOfEverySection(key);
}

void CInternetOptions::HoldSnapshot() const {
    snapshot_ = std::make_unique<ProfileSnapshot>(filePath_);
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

bool CInternetOptions::Written(BOOL result) const {
    // Even a refused write may have changed the file.
    snapshot_.reset();
    if (!result)
        lastWriteError_ = ::GetLastError();
    return result != FALSE;
}

std::string CInternetOptions::WriteFailureText() const {
    std::string text = "Could not write the settings file '" + filePath_ + "'.";
    char* reason = nullptr;
    if (::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                             FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, lastWriteError_, 0, reinterpret_cast<char*>(&reason), 0,
                         nullptr) &&
        reason) {
        fw::LocalMemory owned(reason);
        text += "\n";
        text += reason;
    }
    return text;
}

bool CInternetOptions::WriteString(const std::string& section, const std::string& key,
                                   const std::string& value) const {
    if (!Storable({{key, value}}))
        return false;
    return Written(::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                                filePath_.c_str()));
}

// Refuses a value the profile functions could not store whole.
bool CInternetOptions::Storable(
    const std::vector<std::pair<std::string, std::string>>& values) const {
    for (const auto& [key, value] : values) {
        if (value.size() > kLongestValue) {
            lastWriteError_ = ERROR_INSUFFICIENT_BUFFER;
            return false;
        }
    }
    return true;
}

// The section's lines, "key=value" or a lone key, as its whole new content in one write.
bool CInternetOptions::WriteLines(const std::string& section,
                                  const std::vector<std::string>& lines) const {
    // The strings one after the other, each ended by a zero, the whole by another.
    std::string block;
    for (const std::string& line : lines) {
        block += line;
        block += '\0';
    }
    block += '\0';
    return Written(::WritePrivateProfileSectionA(section.c_str(), block.data(), filePath_.c_str()));
}

bool CInternetOptions::WriteSection(
    const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& values) const {
    if (!Storable(values))
        return false;
    std::vector<std::string> lines;
    for (const auto& [key, value] : values)
        lines.push_back(key + "=" + value);
    return WriteLines(section, lines);
}

// The section's lines as the file holds them, the whole section however long: the profile
// function cuts a section that does not fit and reports size - 2.
std::vector<std::string> CInternetOptions::ReadLines(const std::string& section) const {
    std::vector<char> buffer(4096);
    DWORD length = 0;
    for (;;) {
        length = ::GetPrivateProfileSectionA(section.c_str(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), filePath_.c_str());
        if (length + 2 < buffer.size())
            break;
        buffer.assign(buffer.size() * 2, '\0');
    }
    std::vector<std::string> lines;
    for (DWORD at = 0; at < length && buffer[at];) {
        lines.emplace_back(buffer.data() + at);
        at += static_cast<DWORD>(lines.back().size()) + 1;
    }
    return lines;
}

bool CInternetOptions::WriteValues(
    const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& values) const {
    if (!Storable(values))
        return false;
    std::vector<std::string> lines = ReadLines(section);
    for (const auto& [key, value] : values) {
        auto stored = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return EqualIgnoringCase(line.substr(0, line.find('=')), key);
        });
        if (stored == lines.end())
            lines.push_back(key + "=" + value);
        else
            *stored = stored->substr(0, stored->find('=')) + "=" + value;
    }
    return WriteLines(section, lines);
}

bool CInternetOptions::WriteAccountSection(
    const std::string& name, const std::vector<std::pair<std::string, std::string>>& values) const {
    return IsProgramSection(name) ? WriteValues(name, values) : WriteSection(name, values);
}

bool CInternetOptions::DeleteAccountSection(const std::string& name) const {
    if (!IsProgramSection(name))
        return DeleteSection(name);
    std::vector<std::string> lines = ReadLines(name);
    lines.erase(std::remove_if(lines.begin(), lines.end(), IsAccountKeyLine), lines.end());
    return WriteLines(name, lines);
}

bool CInternetOptions::WriteFlag(const std::string& section, const std::string& key,
                                 bool on) const {
    return WriteString(section, key, on ? "1" : "0");
}

bool CInternetOptions::DeleteKey(const std::string& section, const std::string& key) const {
    return Written(::WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr,
                                                filePath_.c_str()));
}

bool CInternetOptions::DeleteSection(const std::string& section) const {
    return Written(
        ::WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, filePath_.c_str()));
}

void CInternetOptions::LoadAccountNames() {
    std::string servers = ReadString(setting::kAccountNames);
    if (servers.empty())
        return;
    accountNames_ = ServerNames(servers);
}

void CInternetOptions::ReloadAccountNames() {
    accountNames_ = ServerNames(ReadString(setting::kAccountNames));
}

bool CInternetOptions::HasAccountName(const std::string& name) const {
    return !StoredAccountName(name).empty();
}

std::string CInternetOptions::StoredAccountName(const std::string& name) const {
    auto stored = std::find_if(accountNames_.begin(), accountNames_.end(),
                               [&](const std::string& each) { return EqualIgnoringCase(each, name); });
    return stored == accountNames_.end() ? std::string() : *stored;
}

void CInternetOptions::AppendAccountName(const std::string& name) {
    accountNames_.push_back(name);
}

void CInternetOptions::RemoveAccountName(const std::string& name) {
    auto it = std::find(accountNames_.begin(), accountNames_.end(), name);
    if (it != accountNames_.end())
        accountNames_.erase(it);
}
