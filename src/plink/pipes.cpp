// Private named pipes; see pipes.h.
#include "plink/pipes.h"

#include <bcrypt.h>
#include <sddl.h>

#include <vector>

std::string UniquePipeName(const std::string& purpose) {
    unsigned char random[16];
    if (!BCRYPT_SUCCESS(
            ::BCryptGenRandom(nullptr, random, sizeof(random), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string name =
        "\\\\.\\pipe\\marrowin-" + purpose + "-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (unsigned char byte : random) {
        name += kHex[byte >> 4];
        name += kHex[byte & 15];
    }
    return name;
}

OwnerOnlySecurity::OwnerOnlySecurity() {
    fw::KernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    char* sidText = nullptr;
    if (size && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                 &sidText)) {
        fw::LocalMemory sidMemory(sidText);
        // Protected, so that nothing is inherited into it; the one entry: generic all, this user.
        std::string sddl = std::string("D:P(A;;GA;;;") + sidText + ")";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                   &descriptor, nullptr))
            descriptor_.Reset(descriptor);
    }
    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = descriptor_.Get();
    attributes_.bInheritHandle = FALSE;
}

std::optional<DWORD> CreateOutputPipe(fw::KernelHandle& reader, fw::KernelHandle& writer) {
    OwnerOnlySecurity security;
    std::string name = UniquePipeName("output");
    if (!security.IsValid() || name.empty()) {
        return ERROR_ACCESS_DENIED;
    }
    // Anonymous pipes cannot be read overlapped, hence a named one. We open its other end
    // ourselves at once, and it takes one client only, so nobody else gets in between.
    reader.Reset(::CreateNamedPipeA(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 4096, 0,
        security.Attributes()));
    if (!reader) {
        return ::GetLastError();
    }
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    writer.Reset(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!writer) {
        DWORD error = ::GetLastError();
        reader.Reset();
        return error;
    }
    return std::nullopt;
}
