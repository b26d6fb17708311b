#include "system/file_access.h"

#include "logic/key_file_access.h"
#include "owners/owners.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace {

// The current user's SID, in a buffer of its own; empty when the token gives none.
std::vector<char> CurrentUser() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened))
        return {};
    fw::KernelHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> buffer(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    std::vector<char> own(::GetLengthSid(sid));
    if (!::CopySid(static_cast<DWORD>(own.size()), own.data(), sid))
        return {};
    return own;
}

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!::ConvertSidToStringSidA(sid, &text))
        return std::string();
    fw::LocalMemory owned(text);
    return text;
}

// The entries of the list; a file without a list is open to everyone.
std::vector<AccessEntry> Entries(const ACL* dacl) {
    if (!dacl)
        return {{true, kEveryoneSid, 0xFFFFFFFFu}};
    std::vector<AccessEntry> entries;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(const_cast<ACL*>(dacl), i, &ace))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        // Allowed and denied entries share this layout; other kinds grant nothing.
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        bool allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
        bool denies = header->AceType == ACCESS_DENIED_ACE_TYPE;
        if (allows || denies)
            entries.push_back(
                {allows, SidText(const_cast<DWORD*>(&allowed->SidStart)), allowed->Mask});
    }
    return entries;
}

std::string ErrorText(const char* what, const std::string& path, DWORD error) {
    return std::string(what) + " of the key file '" + path + "' (error " + std::to_string(error) +
           ").";
}

} // namespace

FileAccess ReadFileAccess(const std::string& path) {
    FileAccess access;
    std::vector<char> user = CurrentUser();
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = user.empty() ? ::GetLastError()
                               : ::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                                                         DACL_SECURITY_INFORMATION, nullptr,
                                                         nullptr, &dacl, nullptr, &descriptor);
    if (user.empty() || error != ERROR_SUCCESS) {
        access.failure = ErrorText("Could not read the permissions", path, error);
        return access;
    }
    fw::LocalMemory owned(descriptor);
    access.openToOthers = OpenToOthers(Entries(dacl), SidText(user.data()));
    return access;
}

std::optional<std::string> RestrictToUser(const std::string& path) {
    std::vector<char> user = CurrentUser();
    char system[SECURITY_MAX_SID_SIZE] = {};
    DWORD systemSize = sizeof(system);
    if (user.empty() || !::CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize))
        return ErrorText("Could not restrict the permissions", path, ::GetLastError());
    EXPLICIT_ACCESSA grants[2] = {};
    PSID sids[2] = {user.data(), system};
    for (int i = 0; i < 2; ++i) {
        grants[i].grfAccessPermissions = FILE_ALL_ACCESS;
        grants[i].grfAccessMode = SET_ACCESS;
        grants[i].grfInheritance = NO_INHERITANCE;
        grants[i].Trustee.TrusteeForm = TRUSTEE_IS_SID;
        grants[i].Trustee.TrusteeType = i == 0 ? TRUSTEE_IS_USER : TRUSTEE_IS_WELL_KNOWN_GROUP;
        grants[i].Trustee.ptstrName = static_cast<LPSTR>(sids[i]);
    }
    PACL dacl = nullptr;
    DWORD error = ::SetEntriesInAclA(2, grants, nullptr, &dacl);
    if (error != ERROR_SUCCESS)
        return ErrorText("Could not restrict the permissions", path, error);
    fw::LocalMemory owned(dacl);
    error = ::SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr);
    if (error != ERROR_SUCCESS)
        return ErrorText("Could not restrict the permissions", path, error);
    return std::nullopt;
}
