// Building and taking apart the command line Marrowin starts plink.exe with; see command_line.h.
#include "logic/command_line.h"

namespace {

const std::string kPasswordOption = "-pw ";
const std::string kInputTail = " <in.txt";

} // namespace

std::string AutostartClientArguments(const std::string& password, const std::string& session) {
    return kPasswordOption + password + " " + session + kInputTail;
}

std::string ClientArguments(const std::string& password, const std::string& session) {
    return " " + AutostartClientArguments(password, session);
}

std::optional<ClientRequest> ParseClientCommandLine(const std::string& commandLine) {
    std::string text = commandLine;
    if (!text.empty() && text[0] == ' ')
        text.erase(0, 1);
    if (text.size() < kPasswordOption.size() + kInputTail.size() ||
        text.compare(0, kPasswordOption.size(), kPasswordOption) != 0 ||
        text.compare(text.size() - kInputTail.size(), kInputTail.size(), kInputTail) != 0)
        return std::nullopt;

    std::string middle = text.substr(kPasswordOption.size(),
                                     text.size() - kPasswordOption.size() - kInputTail.size());
    size_t blank = middle.rfind(' ');
    if (blank == std::string::npos || blank + 1 == middle.size())
        return std::nullopt;
    ClientRequest request;
    request.password = middle.substr(0, blank);
    request.session = middle.substr(blank + 1);
    return request;
}

std::string UsageText() {
    return "usage: plink.exe " + AutostartClientArguments("PASSWORD", "SESSION") +
           "\nplink.exe is Marrowin's SSH client: Marrowin starts it with the password and the "
           "name of a saved session, exactly in this form.";
}
