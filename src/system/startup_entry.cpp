// The start-up entry in the Run key, and the steps of turning it on, off and moving it.
#include "system/startup_entry.h"

#include "controls/look.h"
#include "framework/user_seam.h"
#include "owners/owners.h"
#include "settings/registry_reader.h"

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

// Writing under HKEY_LOCAL_MACHINE needs an administrator: that is the usual reason.
void ShowFailure() {
    fw::ShowMessageBox(nullptr,
                       "Could not set startup type option!\nMake sure you have the permission to "
                       "access the registry!",
                       kProgramName, MB_OK | MB_ICONERROR);
}

} // namespace

bool RegistryReader::SetStartupEntry(int scope, const std::string& programPath) const {
    HKEY root = RootOf(scope);
    if (!root)
        return true;
    // Quoted: unquoted, a path with blanks ("C:\Program Files\...") would let Windows start a
    // program named by the text before the first blank.
    bool written = WriteRegistryString(root, kRunKey, kValueName, "\"" + programPath + "\"");
    if (!written)
        ShowFailure();
    return written;
}

bool RegistryReader::RemoveStartupEntry(int scope) const {
    HKEY root = RootOf(scope);
    if (!root)
        return true;
    fw::RegKey key;
    LSTATUS status = ::RegOpenKeyExA(root, kRunKey, 0, KEY_ALL_ACCESS, key.Receive());
    if (status == ERROR_SUCCESS)
        status = ::RegDeleteValueA(key, kValueName);
    // A value removed by hand, or a Run key without it, is just what was wanted.
    bool removed = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    if (!removed)
        ShowFailure();
    return removed;
}

// The choice could not be stored: the user learns why.
bool StartupEntry::StoreScope(int scope) const {
    if (settings_.WriteString(setting::kStartupType, std::to_string(scope)))
        return true;
    fw::ShowMessageBox(nullptr, settings_.WriteFailureText(), kProgramName, MB_OK | MB_ICONSTOP);
    return false;
}

bool StartupEntry::TurnOn() const {
    RegistryReader registry;
    if (!registry.SetStartupEntry(kCurrentUser, programPath_))
        return false;
    // Without the setting the next start would not show the entry: it goes again.
    if (!StoreScope(kCurrentUser)) {
        registry.RemoveStartupEntry(kCurrentUser);
        return false;
    }
    return true;
}

bool StartupEntry::TurnOff(int shownScope) const {
    RegistryReader registry;
    registry.RemoveStartupEntry(shownScope);
    // Without the setting the next start would show an entry that is gone: it comes back.
    if (!StoreScope(kNone)) {
        registry.SetStartupEntry(shownScope, programPath_);
        return false;
    }
    return true;
}

void StartupEntry::ChangeScope(int scope) const {
    if (scope != kCurrentUser && scope != kAllUsers)
        return;
    RegistryReader registry;
    if (!registry.SetStartupEntry(scope, programPath_))
        return;
    // The new entry is in place: a failed removal leaves both, and the setting at the old scope.
    int other = scope == kCurrentUser ? kAllUsers : kCurrentUser;
    if (!registry.RemoveStartupEntry(other))
        return;
    // Without the setting the next start would show the old scope: the entries go back to what
    // the settings file says.
    if (!StoreScope(scope)) {
        if (settings_.ReadInt(setting::kStartupType) == other)
            registry.SetStartupEntry(other, programPath_);
        registry.RemoveStartupEntry(scope);
    }
}
