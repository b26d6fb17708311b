// CInternetOptions: the one accessor of the settings file Marrowin.ini beside the executable.
// Every operation goes straight to the file; only the account-name list is held in memory, and
// while a snapshot is held, what reads see.
#pragma once

#include "settings/profile_scan.h"
#include "settings/setting_names.h"

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CInternetOptions {
public:
    explicit CInternetOptions(std::string filePath);
    virtual ~CInternetOptions() = default;
    CInternetOptions(CInternetOptions&&) = default;
    CInternetOptions& operator=(CInternetOptions&&) = default;

    const std::string& FilePath() const { return filePath_; }

    // The stored value, whole however long, or the empty text when key, section or file is
    // missing. Section and key names are matched without regard to letter case.
    std::string ReadString(const std::string& section, const std::string& key) const;
    // The value of the key in every section that has it, by section name, read in one pass
    // over the file as ReadString reads it section by section (see profile_scan.h).
    ValuesBySection ReadKeyOfEverySection(const std::string& key) const;
    // Decimal conversion: leading blanks and a sign, then digits; anything else gives 0.
    int ReadInt(const std::string& section, const std::string& key) const;
    // The default for an empty or missing value; otherwise true when the first character is
    // 1, O or Y in either case.
    bool ReadFlag(const std::string& section, const std::string& key, bool defaultValue) const;
    // The same for a setting named in setting_names.h.
    std::string ReadString(const Setting& setting) const {
        return ReadString(setting.section, setting.key);
    }
    int ReadInt(const Setting& setting) const { return ReadInt(setting.section, setting.key); }
    bool ReadFlag(const Setting& setting, bool defaultValue) const {
        return ReadFlag(setting.section, setting.key, defaultValue);
    }

    // Start-up reads dozens of values: between these two calls they are answered from one
    // reading of the whole file. Any write drops the snapshot, so reads never miss a change.
    void HoldSnapshot() const;
    void DropSnapshot() const { snapshot_.reset(); }

    // The longest value written: the profile functions cut or drop longer ones.
    static const size_t kLongestValue = 32000;

    // Writes create the file, section and key as needed; false when the file refused the write
    // (LastWriteError says why) or the value is longer than kLongestValue.
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) const;
    bool WriteFlag(const std::string& section, const std::string& key, bool on) const;
    bool WriteString(const Setting& setting, const std::string& value) const {
        return WriteString(setting.section, setting.key, value);
    }
    bool WriteFlag(const Setting& setting, bool on) const {
        return WriteFlag(setting.section, setting.key, on);
    }
    bool DeleteSection(const std::string& section) const;
    // Removes the key; one that is not there is no failure.
    bool DeleteKey(const std::string& section, const std::string& key) const;
    // Replaces the section's keys with these, in one write of the file: a failure leaves the
    // section as it was.
    bool WriteSection(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values) const;
    // Sets these keys of the section in one write of the file; its other keys stay as they are,
    // and a key already there keeps its place and its spelling.
    bool WriteValues(const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values) const;
    // An account's own section, replaced whole or deleted; an account named like one of the
    // program's sections (tunnel, main, ie, any case) shares it, and only its own keys change.
    bool WriteAccountSection(const std::string& name,
                             const std::vector<std::pair<std::string, std::string>>& values) const;
    bool DeleteAccountSection(const std::string& name) const;
    // The system's error code of the last write that failed, and the box text that says so:
    // "Could not write the settings file '<path>'." and the system's reason.
    DWORD LastWriteError() const { return lastWriteError_; }
    std::string WriteFailureText() const;

    // Fills the account-name list from [tunnel] "servers"; an empty value leaves it unchanged.
    void LoadAccountNames();
    // The list as the file has it now, an empty value included.
    void ReloadAccountNames();
    const std::vector<std::string>& AccountNames() const { return accountNames_; }
    // Names compare without regard to letter case, as the file and the registry compare them.
    bool HasAccountName(const std::string& name) const;
    // The name as the list spells it; empty for a name that is not in the list.
    std::string StoredAccountName(const std::string& name) const;
    void AppendAccountName(const std::string& name);
    void RemoveAccountName(const std::string& name);

private:
    bool Written(BOOL result) const;
    bool Storable(const std::vector<std::pair<std::string, std::string>>& values) const;
    bool WriteLines(const std::string& section, const std::vector<std::string>& lines) const;
    std::vector<std::string> ReadLines(const std::string& section) const;

    std::string filePath_;
    std::vector<std::string> accountNames_;
    mutable DWORD lastWriteError_ = 0;
    mutable std::unique_ptr<ProfileSnapshot> snapshot_;
};
