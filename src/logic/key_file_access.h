// Who may use a private key file, as its access list says. Windows' ssh refuses a key that
// other users may read or change ("Bad permissions"); only the user, SYSTEM and the
// Administrators may be let at it. The rule is plain text work over the list's entries, no
// Win32; system/file_access reads and writes the real list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One entry of the file's access list: whether it allows (or denies, or only audits), whom,
// by the SID's text form ("S-1-5-18"), and the rights.
struct AccessEntry {
    bool allows = false;
    std::string sid;
    std::uint32_t rights = 0;
};

inline constexpr char kSystemSid[] = "S-1-5-18";
inline constexpr char kAdministratorsSid[] = "S-1-5-32-544";
// The entry a file without an access list at all stands for: everyone may do anything.
inline constexpr char kEveryoneSid[] = "S-1-1-0";

// An entry lets someone other than the user, SYSTEM and the Administrators read, change,
// delete or take over the file. Rights to read only its attributes, its security or to wait
// on it open nothing.
bool OpenToOthers(const std::vector<AccessEntry>& entries, const std::string& userSid);

// The question whether to restrict such a file to the user alone.
std::string RestrictKeyFileQuestion(const std::string& account, const std::string& path);
