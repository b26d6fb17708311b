// The whole settings file read at once, answering reads as the private-profile functions would
// answer them one by one. Start-up reads dozens of values and every account's forwardings this
// way: asking the profile functions costs a file access each, and under Wine a reading of the
// whole file each while the file is new.
#pragma once

#include "logic/account_rules.h"
#include "logic/profile_text.h"

#include <map>
#include <string>

using ValuesBySection = std::map<std::string, std::string, IgnoreCaseLess>;

// The file is read as the profile functions read it: an ANSI, UTF-8 or UTF-16 file told apart by
// its byte order mark, its text taken apart by the rules of profile_text.h. A file that cannot
// be read reads as an empty one.
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(const std::string& filePath);

    // The value, whole however long; empty when the key or section is missing.
    std::string ReadString(const std::string& section, const std::string& key) const;
    // The key's value in every section that has it, by section name.
    ValuesBySection ReadKeyOfEverySection(const std::string& key) const;

private:
    ProfileText text_;
};
