// Fuzzes the edits Marrowin makes to a saved session's "PortForwardings" value
// ("Llocal=server:port," per entry), read back as our plink.exe reads it: adding a forwarding,
// removing one, a server port change, and a new account's defaults. Input: the stored value, a port
// text, another port text, one per line.
#include "fuzz_support.h"

#include "logic/account_rules.h"
#include "logic/forwarding_text.h"
#include "logic/session_forwardings.h"

namespace {

bool Same(const LocalForwarding& a, const LocalForwarding& b) {
    return a.localPort == b.localPort && a.targetHost == b.targetHost &&
           a.targetPort == b.targetPort;
}

bool Same(const std::vector<LocalForwarding>& a, const std::vector<LocalForwarding>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!Same(a[i], b[i]))
            return false;
    }
    return true;
}

size_t EntryCount(const SessionForwardings& forwardings) {
    return forwardings.usable.size() + forwardings.skipped.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> in = Fields(data, size, 3);
    const std::string& text = in[0];
    const std::string& port = in[1];
    const std::string& otherPort = in[2];
    const SessionForwardings before = ParseSessionForwardings(text);

    // The accounts editor only ever works with ports it accepts.
    const int number = PortNumber(port);
    const int otherNumber = PortNumber(otherPort);
    if (!number || !otherNumber)
        return 0;

    // An added forwarding is read as the last one when its local port is free, and taking it
    // away again leaves the value as it was, closed by a comma.
    const std::string entry = SessionEntry({port, "localhost", otherPort, "added"});
    const std::string added = AppendSessionEntry(text, entry);
    bool portIsFree = RemoveSessionEntry(text, port) == text;
    if (portIsFree) {
        bool localPortUsed = false;
        for (const LocalForwarding& forwarding : before.usable)
            localPortUsed = localPortUsed || forwarding.localPort == number;
        SessionForwardings after = ParseSessionForwardings(added);
        std::vector<LocalForwarding> expected = before.usable;
        if (!localPortUsed)
            expected.push_back({number, "localhost", otherNumber});
        FUZZ_CHECK(Same(after.usable, expected));
        FUZZ_CHECK(EntryCount(after) == EntryCount(before) + 1);
        std::string closed = text.empty() || text.back() == ',' ? text : text + ",";
        FUZZ_CHECK(RemoveSessionEntry(added, port) == closed);
    } else {
        // A removal takes one whole entry.
        FUZZ_CHECK(EntryCount(ParseSessionForwardings(RemoveSessionEntry(text, port))) + 1 ==
                   EntryCount(before));
    }

    // A server port change moves the target port of entries aimed at the old port and changes
    // nothing else the client reads.
    SessionForwardings changed =
        ParseSessionForwardings(ChangeSessionTargetPort(text, port, otherPort));
    FUZZ_CHECK(changed.usable.size() == before.usable.size());
    FUZZ_CHECK(changed.skipped.size() == before.skipped.size());
    for (size_t i = 0; i < before.usable.size(); ++i) {
        LocalForwarding moved = before.usable[i];
        moved.targetPort = otherNumber;
        FUZZ_CHECK(Same(changed.usable[i], before.usable[i]) ||
                   (before.usable[i].targetPort == number && Same(changed.usable[i], moved)));
    }

    // A new account's forwardings are all usable.
    std::vector<LocalForwarding> defaults = {
        {25, "localhost", 25}, {110, "localhost", 110}, {50000, "localhost", number}};
    SessionForwardings fresh = ParseSessionForwardings(DefaultSessionForwardings(port));
    FUZZ_CHECK(Same(fresh.usable, defaults) && fresh.skipped.empty());
    return 0;
}
