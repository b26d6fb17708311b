// How the version check reads the server's answer, as a plain function. The request path it
// sends is checked where the main window sends it, in version_button_test.
#include "logic/version_answer.h"

#include <gtest/gtest.h>

namespace {

TEST(InterpretAnswerBody, ShowsTheLastServerMessageOrTheFailureText) {
    struct Case {
        const char* body;
        VersionBox box;
        const char* text;
    };
    const char* failure = "Could not connect to the server. Please try again later.";
    const Case cases[] = {
        {"", VersionBox::NoMessage, failure},
        {"ServerMessage=Hello", VersionBox::NoMessage, failure},
        {"x&ServerMessage=Hi", VersionBox::NoMessage, failure},
        {"x&ServerMessage=Hey", VersionBox::ServerMessage, "Hey"},
        {"x&servermessage=abc", VersionBox::ServerMessage, "abc"},
        {"x&ServerMessage=one&ServerMessage=two", VersionBox::ServerMessage, "two"},
        {"x&ServerMessage=one&ServerMessage=", VersionBox::NoMessage, failure},
        {"x&ServerMessage=a/nb/nc", VersionBox::ServerMessage, "a\nb\nc"},
        {"x&NewVersion=yes", VersionBox::NoMessage, failure},
        {"x&ServerMessage=Tom&Jerry", VersionBox::ServerMessage, "Tom"},
        {"x&ServerMessageX=abc&ServerMessage", VersionBox::NoMessage, failure},
        {"x&&ServerMessage=a=b&", VersionBox::ServerMessage, "a=b"},
        {"OK&NewVersion=no&ServerMessage=You are using the latest version./nThank you.",
         VersionBox::ServerMessage, "You are using the latest version.\nThank you."},
        // Fewer than three characters is judged before the line marks are turned into breaks.
        {"x&ServerMessage=/n/", VersionBox::ServerMessage, "\n/"},
    };
    for (const Case& c : cases) {
        VersionAnswer answer = InterpretAnswerBody(c.body);
        EXPECT_EQ(answer.box, c.box) << c.body;
        EXPECT_EQ(answer.text, c.text) << c.body;
    }
}

} // namespace
