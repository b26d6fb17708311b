// The request path of the version check and the reading of the server's "&"-separated answer.
#include "logic/version_answer.h"

#include "logic/account_rules.h"

const char kCouldNotConnectText[] = "Could not connect to the server. Please try again later.";

namespace {

const char kMessageKey[] = "ServerMessage";

std::string ReplaceLineMarks(const std::string& message) {
    std::string text;
    for (size_t i = 0; i < message.size(); ++i) {
        if (message.compare(i, 2, "/n") == 0) {
            text += '\n';
            ++i;
        } else {
            text += message[i];
        }
    }
    return text;
}

} // namespace

std::string VersionRequestPath(int programVersion, int productId, const std::string& buildDate) {
    return "special_retrievelastversion.php?IamProgram=yes&ProgramVersion=" +
           std::to_string(programVersion) + "&ProductId=" + std::to_string(productId) +
           "&BuildDate=" + buildDate;
}

VersionAnswer ConnectFailedAnswer() {
    return {VersionBox::ConnectFailed, kCouldNotConnectText};
}

VersionAnswer InterpretAnswerBody(const std::string& body) {
    std::string message;
    // The text before the first "&" is the server's own business and is never read.
    size_t cut = body.find('&');
    while (cut != std::string::npos) {
        size_t next = body.find('&', cut + 1);
        std::string piece = body.substr(cut + 1, next == std::string::npos ? next : next - cut - 1);
        size_t equals = piece.find('=');
        std::string key = equals == std::string::npos ? std::string() : piece.substr(0, equals);
        if (EqualIgnoringCase(key, kMessageKey))
            message = piece.substr(equals + 1);
        cut = next;
    }
    // One or two characters are taken for a broken answer, not for a message.
    if (message.size() < 3)
        return {VersionBox::NoMessage, kCouldNotConnectText};
    return {VersionBox::ServerMessage, ReplaceLineMarks(message)};
}
