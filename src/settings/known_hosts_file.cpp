// Marrowin's known-hosts file on disk; see known_hosts_file.h.
#include "settings/known_hosts_file.h"

#include "logic/host_key_question.h"
#include "logic/known_hosts.h"
#include "owners/owners.h"

#include <windows.h>

#include <optional>

namespace {

// The file's bytes; nothing when it is missing or cannot be read.
std::optional<std::string> ReadText(const std::string& path) {
    fw::KernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return std::nullopt;
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
         read != text.size()))
        return std::nullopt;
    return text;
}

} // namespace

bool KnownHostsFile::Forget(const std::string& host) const {
    std::optional<std::string> text = ReadText(path_);
    if (!text)
        return ::GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
    std::string edited = ForgetHost(*text, host);
    return edited == *text || Rewrite(edited);
}

bool KnownHostsFile::Rename(const std::string& oldHost, const std::string& newHost) const {
    std::optional<std::string> text = ReadText(path_);
    if (!text)
        return ::GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
    std::string edited = RenameHost(*text, oldHost, newHost);
    return edited == *text || Rewrite(edited);
}

bool KnownHostsFile::Rewrite(const std::string& text) const {
    const std::string fresh = path_ + ".new";
    bool written = false;
    {
        fw::KernelHandle file(::CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD done = 0;
        written = file &&
                  (text.empty() || (::WriteFile(file.Get(), text.data(),
                                                static_cast<DWORD>(text.size()), &done, nullptr) &&
                                    done == text.size()));
    }
    if (written && ::MoveFileExA(fresh.c_str(), path_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileA(fresh.c_str());
    return false;
}

bool KnownHostsFile::QuestionOpen() const {
    fw::KernelHandle lock(::OpenMutexA(SYNCHRONIZE, FALSE, HostKeyQuestionLockName(path_).c_str()));
    return static_cast<bool>(lock);
}
