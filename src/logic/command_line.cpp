// Taking apart the command line Marrowin starts plink.exe with; see command_line.h.
#include "logic/command_line.h"

std::optional<ClientRequest> ParseClientCommandLine(const std::string& commandLine) {
    static const std::string kStart = "-pw ";
    static const std::string kEnd = " <in.txt";

    std::string text = commandLine;
    if (!text.empty() && text[0] == ' ')
        text.erase(0, 1);
    if (text.size() < kStart.size() + kEnd.size() || text.compare(0, kStart.size(), kStart) != 0 ||
        text.compare(text.size() - kEnd.size(), kEnd.size(), kEnd) != 0)
        return std::nullopt;

    std::string middle = text.substr(kStart.size(), text.size() - kStart.size() - kEnd.size());
    size_t blank = middle.rfind(' ');
    if (blank == std::string::npos || blank + 1 == middle.size())
        return std::nullopt;
    ClientRequest request;
    request.password = middle.substr(0, blank);
    request.session = middle.substr(blank + 1);
    return request;
}

std::string UsageText() {
    return "usage: plink.exe -pw PASSWORD SESSION <in.txt\n"
           "plink.exe is Marrowin's SSH client: Marrowin starts it with the password and the "
           "name of a saved session, exactly in this form.";
}
