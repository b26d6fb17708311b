#include "logic/key_file_access.h"

namespace {

// FILE_READ_DATA, FILE_WRITE_DATA, FILE_APPEND_DATA, DELETE, WRITE_DAC, WRITE_OWNER and the
// four generic rights, with Windows' values.
constexpr std::uint32_t kOpeningRights =
    0x1 | 0x2 | 0x4 | 0x10000 | 0x40000 | 0x80000 | 0xF0000000u;

} // namespace

bool OpenToOthers(const std::vector<AccessEntry>& entries, const std::string& userSid) {
    for (const AccessEntry& entry : entries) {
        if (!entry.allows || !(entry.rights & kOpeningRights))
            continue;
        if (entry.sid != userSid && entry.sid != kSystemSid && entry.sid != kAdministratorsSid)
            return true;
    }
    return false;
}

std::string RestrictKeyFileQuestion(const std::string& account, const std::string& path) {
    return "The key file '" + path + "' of the account " + account +
           " is open to other users of this computer, and ssh refuses to use a key that others "
           "can read.\r\n\r\nRestrict the file to you alone (and to the system)?";
}
