// Fuzzes our plink.exe's reading of its command line: whatever it is given, a request it
// accepts is one Marrowin could have sent, and whatever password Marrowin sends arrives as it
// was typed. Input: the command line, also taken as a password.
#include "fuzz_support.h"

#include "logic/account_rules.h"
#include "logic/command_line.h"

namespace {

bool Same(const std::optional<ClientRequest>& request, const std::string& password,
          const std::string& session) {
    return request && request->password == password && request->session == session;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::optional<ClientRequest> request = ParseClientCommandLine(text);
    if (request) {
        FUZZ_CHECK(!request->session.empty());
        FUZZ_CHECK(request->session.find(' ') == std::string::npos);
        for (const std::string& line :
             {ClientArguments(request->password, request->session),
              AutostartClientArguments(request->password, request->session)})
            FUZZ_CHECK(Same(ParseClientCommandLine(line), request->password, request->session));
    }

    // Any password with any account name the accounts editor accepts.
    std::string account;
    for (char c : text) {
        if (IsUsableHostName(std::string(1, c)))
            account += c;
    }
    if (account.empty())
        account = "mail.example.org";
    for (const std::string& line :
         {ClientArguments(text, account), AutostartClientArguments(text, account)})
        FUZZ_CHECK(Same(ParseClientCommandLine(line), text, account));
    return 0;
}
