// Fuzzes the settings file's name list "servers" (every account name followed by a comma):
// reading it, and its edits read back. Input: the stored list, a name, another name, one per
// line.
#include "fuzz_support.h"

#include "logic/server_list.h"

#include <algorithm>

namespace {

// What follows the last comma: no name, and kept as it is by every edit.
std::string Tail(const std::string& servers) {
    size_t comma = servers.rfind(',');
    return comma == std::string::npos ? servers : servers.substr(comma + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> in = Fields(data, size, 3);
    const std::string& servers = in[0];
    const std::string& name = in[1];
    const std::string& newName = in[2];
    // Account names never hold a comma: the accounts editor refuses one.
    if (name.find(',') != std::string::npos || newName.find(',') != std::string::npos)
        return 0;
    const std::vector<std::string> names = ServerNames(servers);
    // Reading loses nothing but the unclosed tail.
    std::string written;
    for (const std::string& entry : names)
        written += entry + ",";
    FUZZ_CHECK(written + Tail(servers) == servers);

    std::vector<std::string> appended = names;
    appended.push_back(name);
    std::string added = AppendServerEntry(servers, name);
    FUZZ_CHECK(ServerNames(added) == appended);
    FUZZ_CHECK(Tail(added) == Tail(servers));

    std::vector<std::string> remaining = names;
    remaining.erase(std::remove(remaining.begin(), remaining.end(), name), remaining.end());
    std::string removed = RemoveServerEntry(servers, name);
    FUZZ_CHECK(ServerNames(removed) == remaining);
    FUZZ_CHECK(Tail(removed) == Tail(servers));
    if (remaining.size() == names.size())
        FUZZ_CHECK(RemoveServerEntry(added, name) == servers);

    std::vector<std::string> renamed = names;
    std::replace(renamed.begin(), renamed.end(), name, newName);
    std::string replaced = ReplaceServerEntry(servers, name, newName);
    FUZZ_CHECK(ServerNames(replaced) == renamed);
    FUZZ_CHECK(Tail(replaced) == Tail(servers));
    return 0;
}
