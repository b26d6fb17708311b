// Fuzzes the reading of the version server's answer: any body gives one of the two boxes of an
// answer, and a message the server sends is shown as it was sent. Input: the body.
#include "fuzz_support.h"

#include "logic/version_answer.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);

    VersionAnswer answer = InterpretAnswerBody(body);
    if (answer.box == VersionBox::NoMessage) {
        FUZZ_CHECK(answer.text == kCouldNotConnectText);
    } else {
        FUZZ_CHECK(answer.box == VersionBox::ServerMessage);
        FUZZ_CHECK(!answer.text.empty());
        // Every line mark became a line break.
        FUZZ_CHECK(answer.text.find("/n") == std::string::npos);
    }

    // The last message of the answer is the one shown; one without "&" or "/" stays as it is.
    std::string message;
    for (char c : body) {
        if (c != '&' && c != '/')
            message += c;
    }
    if (message.size() >= 3) {
        VersionAnswer last = InterpretAnswerBody(body + "&ServerMessage=" + message);
        FUZZ_CHECK(last.box == VersionBox::ServerMessage && last.text == message);
    }
    return 0;
}
