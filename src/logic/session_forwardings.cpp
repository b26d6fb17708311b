// Reading a saved session's forwardings; see session_forwardings.h.
#include "logic/session_forwardings.h"

#include "logic/account_rules.h"

#include <optional>
#include <set>

namespace {

std::optional<LocalForwarding> ParseEntry(const std::string& entry) {
    size_t equals = entry.find('=');
    size_t colon = entry.rfind(':');
    if (entry.size() < 2 || entry[0] != 'L' || equals == std::string::npos ||
        colon == std::string::npos || colon < equals)
        return std::nullopt;
    LocalForwarding forwarding;
    forwarding.localPort = PortNumber(entry.substr(1, equals - 1));
    forwarding.targetHost = entry.substr(equals + 1, colon - equals - 1);
    forwarding.targetPort = PortNumber(entry.substr(colon + 1));
    if (!forwarding.localPort || !forwarding.targetPort || !IsUsableHostName(forwarding.targetHost))
        return std::nullopt;
    return forwarding;
}

} // namespace

SessionForwardings ParseSessionForwardings(const std::string& text) {
    SessionForwardings forwardings;
    std::set<int> localPorts;
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        size_t end = comma == std::string::npos ? text.size() : comma;
        std::string entry = text.substr(start, end - start);
        start = end + 1;
        if (entry.empty())
            continue;
        std::optional<LocalForwarding> forwarding = ParseEntry(entry);
        if (forwarding && localPorts.insert(forwarding->localPort).second)
            forwardings.usable.push_back(*forwarding);
        else
            forwardings.skipped.push_back(entry);
    }
    return forwardings;
}
