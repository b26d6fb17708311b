// The bypass list of the browser's proxy while it points at the tunnel: the program's own
// entries, which the user may edit, followed by the entries the user's connection had before,
// each once. Entries are host names or patterns ("*.corp.example"), addresses ("10.*",
// "[fe80::1]") or "<local>" (names without a dot go direct). Plain text work, no Win32.
#pragma once

#include "logic/account_rules.h"

#include <string>
#include <vector>

// The program's own list when the user never changed it.
inline constexpr char kDefaultBypass[] = "local";
// The longest list of the program's own that is stored.
const size_t kLongestBypass = 2000;

// The entries of a list as the browser reads it: separated by semicolons, blanks around them
// dropped, empty ones left out.
std::vector<std::string> BypassEntries(const std::string& list);
// Ours first, then the user's entries that ours lacks (letter case ignored), in the user's
// order, each once, joined by semicolons.
std::string MergeBypass(const std::string& ours, const std::string& users);
// The "<local>" entry, which sends names without a dot direct.
inline constexpr char kLocalNames[] = "<local>";
// Whether the list holds "<local>" (in any letter case); the list with it added at the end, or
// with every such entry taken out, the others as they were.
bool HasLocalNames(const std::string& list);
std::string WithLocalNames(const std::string& list, bool local);
// A list the user typed for the program's own part: refused when it would send nothing through
// the tunnel (a "*" entry), is too long, or holds an entry that is no host, address or pattern.
Verdict CheckBypassList(const std::string& list);
