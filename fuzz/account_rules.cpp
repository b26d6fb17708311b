// Fuzzes the rules of what the accounts editor accepts: whatever passes them can be stored in
// both forms and used by our plink.exe (a port is the number it spells, a server name is a host
// ssh can take, a forwarding reads back whole on both sides). Input, one per line: server name,
// user name, server port, the other accounts' names (comma-separated), then a forwarding's local
// port, target server, target port and description.
#include "fuzz_support.h"

#include "logic/account_rules.h"
#include "logic/forwarding_text.h"
#include "logic/server_list.h"
#include "logic/session_forwardings.h"

#include <cctype>

namespace {

// Written out here, not taken from the program, so that the check does not restate the code.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

void CheckPort(const std::string& text) {
    int port = PortNumber(text);
    FUZZ_CHECK(port >= 0 && port <= 65535);
    if (port) {
        // The number the digits spell, never one that has wrapped round.
        size_t first = text.find_first_not_of('0');
        FUZZ_CHECK(first != std::string::npos && text.substr(first) == std::to_string(port));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> in = Fields(data, size, 8);
    const AccountFields account = {in[0], in[1], "secret", in[2]};
    const std::vector<std::string> others = ServerNames(in[3] + ",");
    const Forwarding forwarding = {in[4], in[5], in[6], in[7]};
    for (const std::string& field : in)
        CheckPort(field);

    if (!CheckAccountFields(account) && !CheckNewServerName(account.serverName, "", others)) {
        // The name is the host ssh connects to, a section of the settings file, a key of the
        // saved sessions and an entry of the name list.
        FUZZ_CHECK(IsUsableHostName(account.serverName));
        FUZZ_CHECK(ServerNames(AppendServerEntry("", account.serverName)) ==
                   std::vector<std::string>{account.serverName});
        for (const std::string& other : others)
            FUZZ_CHECK(!SameIgnoringCase(other, account.serverName));
        FUZZ_CHECK(PortNumber(account.serverPort) != 0);
        FUZZ_CHECK(account.userName.find_first_of("\r\n") == std::string::npos);
    }

    if (!CheckForwarding(forwarding)) {
        // The settings form reads back whole, and our plink.exe uses the session form.
        std::vector<Forwarding> read = ParseSettingsForwardings(SettingsEntry(forwarding));
        FUZZ_CHECK(read.size() == 1 && read[0].localPort == forwarding.localPort &&
                   read[0].targetServer == forwarding.targetServer &&
                   read[0].targetPort == forwarding.targetPort &&
                   read[0].description == forwarding.description);
        FUZZ_CHECK(forwarding.description.find_first_of("\r\n") == std::string::npos);
        SessionForwardings used = ParseSessionForwardings(SessionEntry(forwarding));
        FUZZ_CHECK(used.skipped.empty() && used.usable.size() == 1);
        FUZZ_CHECK(used.usable[0].localPort == PortNumber(forwarding.localPort));
        FUZZ_CHECK(used.usable[0].targetHost == forwarding.targetServer);
        FUZZ_CHECK(used.usable[0].targetPort == PortNumber(forwarding.targetPort));
    }
    return 0;
}
