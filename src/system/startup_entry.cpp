// The start-up entry in the Run key, and the steps of turning it on, off and moving it.
#include "system/startup_entry.h"

#include "owners/owners.h"

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kValueName[] = "Marrowin";

HKEY RootOf(int scope) {
    if (scope == StartupEntry::kCurrentUser)
        return HKEY_CURRENT_USER;
    if (scope == StartupEntry::kAllUsers)
        return HKEY_LOCAL_MACHINE;
    return nullptr;
}

// The value "Marrowin" in the Run key of the scope, which starts the program at log-on. Any other
// scope is no entry: nothing is done and the result is success. A Run key that is missing or
// refuses the write is a failure; removing a value that is not there succeeds.
bool SetRunValue(int scope, const std::string& programPath) {
    HKEY root = RootOf(scope);
    if (!root)
        return true;
    // Quoted: unquoted, a path with blanks ("C:\Program Files\...") would let Windows start a
    // program named by the text before the first blank.
    const std::string value = "\"" + programPath + "\"";
    fw::RegKey key;
    return ::RegOpenKeyExA(root, kRunKey, 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS &&
           ::RegSetValueExA(key, kValueName, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RemoveRunValue(int scope) {
    HKEY root = RootOf(scope);
    if (!root)
        return true;
    fw::RegKey key;
    LSTATUS status = ::RegOpenKeyExA(root, kRunKey, 0, KEY_ALL_ACCESS, key.Receive());
    if (status == ERROR_SUCCESS)
        status = ::RegDeleteValueA(key, kValueName);
    // A value removed by hand, or a Run key without it, is just what was wanted.
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace

bool StartupEntry::SetEntry(int scope, StartupChange& change) const {
    if (SetRunValue(scope, programPath_))
        return true;
    change.failures.push_back(StartupFailure::RunKey);
    return false;
}

bool StartupEntry::RemoveEntry(int scope, StartupChange& change) const {
    if (RemoveRunValue(scope))
        return true;
    change.failures.push_back(StartupFailure::RunKey);
    return false;
}

bool StartupEntry::StoreScope(int scope, StartupChange& change) const {
    change.stored = settings_.WriteString(setting::kStartupType, std::to_string(scope));
    if (!change.stored)
        change.failures.push_back(StartupFailure::SettingsFile);
    return change.stored;
}

StartupChange StartupEntry::TurnOn() const {
    StartupChange change;
    if (!SetEntry(kCurrentUser, change))
        return change;
    // Without the setting the next start would not show the entry: it goes again.
    if (!StoreScope(kCurrentUser, change))
        RemoveEntry(kCurrentUser, change);
    return change;
}

StartupChange StartupEntry::TurnOff(int shownScope) const {
    StartupChange change;
    RemoveEntry(shownScope, change);
    // Without the setting the next start would show an entry that is gone: it comes back.
    if (!StoreScope(kNone, change))
        SetEntry(shownScope, change);
    return change;
}

StartupChange StartupEntry::ChangeScope(int scope) const {
    StartupChange change;
    if (scope != kCurrentUser && scope != kAllUsers)
        return change;
    if (!SetEntry(scope, change))
        return change;
    // The new entry is in place: a failed removal leaves both, and the setting at the old scope.
    int other = scope == kCurrentUser ? kAllUsers : kCurrentUser;
    if (!RemoveEntry(other, change))
        return change;
    // Without the setting the next start would show the old scope: the entries go back to what
    // the settings file says.
    if (!StoreScope(scope, change)) {
        if (settings_.ReadInt(setting::kStartupType) == other)
            SetEntry(other, change);
        RemoveEntry(scope, change);
    }
    return change;
}
