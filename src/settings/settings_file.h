// CInternetOptions: the one accessor of the settings file Marrowin.ini beside the executable.
// Every operation goes straight to the file; only the account-name list is held in memory.
#pragma once

#include <map>
#include <string>
#include <vector>

// Orders names as the settings file matches them: without regard to letter case.
struct IgnoreCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using ValuesBySection = std::map<std::string, std::string, IgnoreCaseLess>;

class CInternetOptions {
public:
    explicit CInternetOptions(std::string filePath);
    virtual ~CInternetOptions() = default;

    const std::string& FilePath() const { return filePath_; }

    // The stored value, whole however long, or the empty text when key, section or file is
    // missing. Section and key names are matched without regard to letter case.
    std::string ReadString(const std::string& section, const std::string& key) const;
    // The value of the key in every section that has it, by section name, read
    // in one pass over the file (for start-up, where reading it section by section costs a
    // file access per account). Read as ReadString reads: names ignore letter case, blanks
    // around names and values and one pair of quotes around a value do not count, and the
    // first section and key of a name win.
    ValuesBySection ReadKeyOfEverySection(const std::string& key) const;
    // Decimal conversion: leading blanks and a sign, then digits; anything else gives 0.
    int ReadInt(const std::string& section, const std::string& key) const;
    // The default for an empty or missing value; otherwise true when the first character is
    // 1, O or Y in either case.
    bool ReadFlag(const std::string& section, const std::string& key, bool defaultValue) const;

    // Writes create the file, section and key as needed; false when the file refused the write.
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) const;
    bool WriteFlag(const std::string& section, const std::string& key, bool on) const;
    bool DeleteSection(const std::string& section) const;
    // Moves the four account keys to the new section and deletes the old one.
    void RenameAccountSection(const std::string& oldName, const std::string& newName) const;

    // Fills the account-name list from [tunnel] "servers"; an empty value leaves it unchanged.
    void LoadAccountNames();
    const std::vector<std::string>& AccountNames() const { return accountNames_; }
    bool HasAccountName(const std::string& name) const;
    void AppendAccountName(const std::string& name);
    void RemoveAccountName(const std::string& name);

private:
    std::string filePath_;
    std::vector<std::string> accountNames_;
};
