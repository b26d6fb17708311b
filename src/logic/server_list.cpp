// Reading and editing the name list of the settings file; see server_list.h.
#include "logic/server_list.h"

namespace {

// Rebuilds the list entry by entry; `edit` gives the new text of an entry, or false to drop
// it. Text after the last comma is not an entry and is kept as it is.
template <typename Edit> std::string EditEntries(const std::string& servers, Edit edit) {
    std::string result;
    size_t start = 0;
    for (size_t comma = servers.find(','); comma != std::string::npos;
         comma = servers.find(',', start)) {
        std::string entry = servers.substr(start, comma - start);
        if (edit(entry))
            result += entry + ",";
        start = comma + 1;
    }
    return result + servers.substr(start);
}

} // namespace

std::vector<std::string> ServerNames(const std::string& servers) {
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t comma = servers.find(','); comma != std::string::npos;
         comma = servers.find(',', start)) {
        names.push_back(servers.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

std::string AppendServerEntry(const std::string& servers, const std::string& name) {
    // Appended to unclosed text, the name would merge with it into another name.
    size_t comma = servers.rfind(',');
    size_t tail = comma == std::string::npos ? 0 : comma + 1;
    return servers.substr(0, tail) + name + "," + servers.substr(tail);
}

std::string RemoveServerEntry(const std::string& servers, const std::string& name) {
    return EditEntries(servers, [&](std::string& entry) { return entry != name; });
}

std::string ReplaceServerEntry(const std::string& servers, const std::string& oldName,
                               const std::string& newName) {
    return EditEntries(servers, [&](std::string& entry) {
        if (entry == oldName)
            entry = newName;
        return true;
    });
}
