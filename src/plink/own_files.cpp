// The paths of plink.exe's own files; see own_files.h.
#include "plink/own_files.h"

#include <windows.h>

#include <vector>

std::string OwnProgramPath() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size())
            return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::string KnownHostsPath() {
    std::string program = OwnProgramPath();
    size_t slash = program.find_last_of("\\/");
    if (slash == std::string::npos)
        return std::string();
    return program.substr(0, slash + 1) + "known_hosts";
}
