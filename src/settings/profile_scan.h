// One pass over a settings file that finds the value of one key in every section, as the
// private-profile functions would find it section by section. Start-up reads every account's
// forwardings this way: asking the profile functions once per account costs a file access each.
#pragma once

#include <map>
#include <string>

// Orders names as the settings file matches them: without regard to letter case.
struct IgnoreCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using ValuesBySection = std::map<std::string, std::string, IgnoreCaseLess>;

// The key's value in every section that has the key, by section name; empty when the file
// cannot be read. The file is read as the profile functions read it: an ANSI, UTF-8 or UTF-16
// file told apart by its byte order mark; lines ending in LF (or CR where the file has no LF);
// blanks, tabs and Ctrl-Z around names and values not counting; names matched without regard to
// letter case; the first section of a name and its first key of the name counting, a key
// without "=" included; one pair of matching quotes around a value not counting.
ValuesBySection ScanKeyOfEverySection(const std::string& filePath, const std::string& key);
