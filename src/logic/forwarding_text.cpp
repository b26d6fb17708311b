// The two stored text forms of a forwarding list; see forwarding_text.h.
#include "logic/forwarding_text.h"

#include <climits>

namespace {

// The text cut at every comma. The last piece is what follows the last comma: not an entry,
// but kept so that a value can be put back together unchanged.
std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

std::string JoinWithCommas(const std::vector<std::string>& pieces) {
    std::string text;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            text += ',';
        text += pieces[i];
    }
    return text;
}

// Where the first `count` colons of the entry are; false when it has fewer.
bool FindColons(const std::string& entry, size_t* colons, int count) {
    size_t from = 0;
    for (int i = 0; i < count; ++i) {
        colons[i] = entry.find(':', from);
        if (colons[i] == std::string::npos)
            return false;
        from = colons[i] + 1;
    }
    return true;
}

} // namespace

std::vector<Forwarding> ParseSettingsForwardings(const std::string& text) {
    std::vector<Forwarding> forwardings;
    std::vector<std::string> pieces = SplitAtCommas(text);
    pieces.pop_back(); // not closed by a comma
    for (const std::string& entry : pieces) {
        size_t colon[3];
        if (!FindColons(entry, colon, 3))
            continue;
        Forwarding forwarding;
        forwarding.localPort = entry.substr(0, colon[0]);
        forwarding.targetServer = entry.substr(colon[0] + 1, colon[1] - colon[0] - 1);
        forwarding.targetPort = entry.substr(colon[1] + 1, colon[2] - colon[1] - 1);
        forwarding.description = entry.substr(colon[2] + 1);
        forwardings.push_back(forwarding);
    }
    return forwardings;
}

std::string SettingsEntry(const Forwarding& forwarding) {
    return forwarding.localPort + ":" + forwarding.targetServer + ":" + forwarding.targetPort +
           ":" + forwarding.description + ",";
}

std::string SessionEntry(const Forwarding& forwarding) {
    return "L" + forwarding.localPort + "=" + forwarding.targetServer + ":" +
           forwarding.targetPort + ",";
}

Forwarding ProxyForwarding(const std::string& localPort, const std::string& serverPort) {
    return {localPort, "localhost", serverPort, "IE Proxy"};
}

std::vector<Forwarding> DefaultForwardings(const std::string& serverPort) {
    return {{"25", "localhost", "25", "SMTP"},
            {"110", "localhost", "110", "POP3"},
            ProxyForwarding("50000", serverPort)};
}

std::string DefaultSettingsForwardings(const std::string& serverPort) {
    return "25:localhost:25:SMTP,110:localhost:110:POP3,50000:localhost:" + serverPort +
           ":IE Proxy,";
}

std::string DefaultSessionForwardings(const std::string& serverPort) {
    return "L25=localhost:25,L110=localhost:110,L50000=localhost:" + serverPort + ",";
}

std::string AppendSettingsEntry(const std::string& text, const std::string& entry) {
    size_t tail = text.rfind(',') == std::string::npos ? 0 : text.rfind(',') + 1;
    return text.substr(0, tail) + entry + text.substr(tail);
}

std::string AppendSessionEntry(const std::string& text, const std::string& entry) {
    if (!text.empty() && text.back() != ',')
        return text + "," + entry;
    return text + entry;
}

std::string RemoveSessionEntry(const std::string& text, const std::string& localPort) {
    std::string start = "L" + localPort + "=";
    for (size_t at = 0; at < text.size();) {
        size_t comma = text.find(',', at);
        size_t end = comma == std::string::npos ? text.size() : comma + 1;
        if (text.compare(at, start.size(), start) == 0)
            return text.substr(0, at) + text.substr(end);
        at = end;
    }
    return text;
}

std::string RemoveSettingsEntry(const std::string& text, const std::string& entry) {
    if (entry.empty())
        return text;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, entry.size(), entry) == 0)
            return text.substr(0, at) + text.substr(at + entry.size());
        size_t comma = text.find(',', at);
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    return text;
}

std::string ChangeSessionTargetPort(const std::string& text, const std::string& oldPort,
                                    const std::string& newPort) {
    std::vector<std::string> pieces = SplitAtCommas(text);
    for (std::string& entry : pieces) {
        // The port follows the last colon of the target, which comes after the equals sign.
        size_t equals = entry.find('=');
        size_t colon = entry.rfind(':');
        if (equals == std::string::npos || colon == std::string::npos || colon < equals)
            continue;
        if (entry.compare(colon + 1, std::string::npos, oldPort) == 0)
            entry.replace(colon + 1, std::string::npos, newPort);
    }
    return JoinWithCommas(pieces);
}

std::string ChangeSettingsTargetPort(const std::string& text, const std::string& oldPort,
                                     const std::string& newPort) {
    std::vector<std::string> pieces = SplitAtCommas(text);
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        std::string& entry = pieces[i];
        size_t colon[3];
        if (!FindColons(entry, colon, 3))
            continue;
        size_t length = colon[2] - colon[1] - 1;
        if (entry.compare(colon[1] + 1, length, oldPort) == 0)
            entry.replace(colon[1] + 1, length, newPort);
    }
    return JoinWithCommas(pieces);
}

std::string ChangeSessionLocalPort(const std::string& text, const std::string& oldPort,
                                   const std::string& newPort) {
    std::vector<std::string> pieces = SplitAtCommas(text);
    std::string start = "L" + oldPort + "=";
    for (std::string& entry : pieces) {
        if (entry.compare(0, start.size(), start) == 0) {
            entry.replace(1, oldPort.size(), newPort);
            break;
        }
    }
    return JoinWithCommas(pieces);
}

std::string ChangeSettingsLocalPort(const std::string& text, const std::string& oldPort,
                                    const std::string& newPort) {
    std::vector<std::string> pieces = SplitAtCommas(text);
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        std::string& entry = pieces[i];
        size_t colon[3];
        if (FindColons(entry, colon, 3) && entry.compare(0, colon[0], oldPort) == 0) {
            entry.replace(0, colon[0], newPort);
            break;
        }
    }
    return JoinWithCommas(pieces);
}

unsigned long ReadDecimal(const std::string& text) {
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (ULONG_MAX - digit) / 10)
            return ULONG_MAX;
        value = value * 10 + digit;
    }
    return value;
}

bool IsAllDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}
