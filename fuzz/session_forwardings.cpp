// Fuzzes our plink.exe's reading of a saved session's "PortForwardings" value: whatever the
// registry holds, what it forwards are ports and hosts ssh can take, each local port once.
// Input: the value.
#include "fuzz_support.h"

#include "logic/account_rules.h"
#include "logic/session_forwardings.h"

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const SessionForwardings read = ParseSessionForwardings(text);

    std::set<int> localPorts;
    std::string written;
    for (const LocalForwarding& forwarding : read.usable) {
        FUZZ_CHECK(forwarding.localPort >= 1 && forwarding.localPort <= 65535);
        FUZZ_CHECK(forwarding.targetPort >= 1 && forwarding.targetPort <= 65535);
        FUZZ_CHECK(IsUsableHostName(forwarding.targetHost));
        FUZZ_CHECK(localPorts.insert(forwarding.localPort).second);
        written += "L" + std::to_string(forwarding.localPort) + "=" + forwarding.targetHost + ":" +
                   std::to_string(forwarding.targetPort) + ",";
    }

    // Every entry is either used or reported, as it stands.
    size_t entries = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t comma = text.find(',', start);
        size_t end = comma == std::string::npos ? text.size() : comma;
        entries += end > start;
        start = end + 1;
    }
    FUZZ_CHECK(read.usable.size() + read.skipped.size() == entries);
    for (const std::string& skipped : read.skipped)
        FUZZ_CHECK(!skipped.empty() && text.find(skipped) != std::string::npos);

    // What is used, written out plainly, reads the same and skips nothing.
    const SessionForwardings again = ParseSessionForwardings(written);
    FUZZ_CHECK(again.skipped.empty() && again.usable.size() == read.usable.size());
    for (size_t i = 0; i < again.usable.size(); ++i) {
        FUZZ_CHECK(again.usable[i].localPort == read.usable[i].localPort);
        FUZZ_CHECK(again.usable[i].targetHost == read.usable[i].targetHost);
        FUZZ_CHECK(again.usable[i].targetPort == read.usable[i].targetPort);
    }
    return 0;
}
