// Button 1024 of the real main window against the tests' own version server: the request the
// window sends, the box of the answer, the button disabled while the server has not answered,
// the window usable meanwhile, and Quit not waiting for the server.
#include "resource.h"
#include "support/http_test_server.h"
#include "support/main_window_fixture.h"

#include <gtest/gtest.h>

namespace {

class VersionButtonTest : public MainWindowFixture {
protected:
    void SetUp() override {
        ASSERT_NE(server.Port(), 0);
        ::SetEnvironmentVariableA("MARROWIN_VERSION_SERVER", server.Address().c_str());
        StartWindow("");
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        ::SetEnvironmentVariableA("MARROWIN_VERSION_SERVER", nullptr);
    }

    HttpTestServer server;
};

TEST_F(VersionButtonTest, WhileTheServerHasNotAnsweredTheButtonIsDisabledAndTheWindowWorks) {
    server.HoldAnswers();
    Click(IDC_VERSION_CHECK);
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_EQ(server.RequestLines()[0], "GET /special_retrievelastversion.php?IamProgram=yes&"
                                        "ProgramVersion=4015&ProductId=13&BuildDate=24.11.2006 "
                                        "HTTP/1.0");
    EXPECT_FALSE(Enabled(IDC_VERSION_CHECK));
    // The window goes on working while the server has not answered; a second press is refused
    // by the disabled button and would start nothing anyway.
    Click(IDC_SETTINGS);
    EXPECT_EQ(Text(IDC_SETTINGS), "Close settings");
    Click(IDC_VERSION_CHECK);

    user.AnswerNextBox(IDOK);
    server.Answer(200, "x&ServerMessage=Hey");
    ASSERT_TRUE(PumpMessagesUntil([&] { return !user.Boxes().empty(); }));
    PumpMessagesFor(300);
    EXPECT_EQ(server.RequestLines().size(), 1u);
    EXPECT_EQ(user.Boxes().size(), 1u);
}

// The box each answer ends with, as the user meets it; its icon is checked with
// ShowVersionAnswer.
TEST_F(VersionButtonTest, EachAnswerEndsInItsBox) {
    const char failure[] = "Could not connect to the server. Please try again later.";
    const struct {
        std::string server;
        const char* body;
        const char* text;
        const char* caption;
        HWND owner;
    } cases[] = {
        {server.Address(), "OK&NewVersion=no&ServerMessage=You are up to date./nThanks.",
         "You are up to date.\nThanks.", "New version check", nullptr},
        {server.Address(), "OK&NewVersion=no", failure, "New version check", nullptr},
        // No host to connect to: the connection cannot even be prepared.
        {":80", "", failure, "Marrowin", window->Handle()},
    };
    for (const auto& c : cases) {
        ::SetEnvironmentVariableA("MARROWIN_VERSION_SERVER", c.server.c_str());
        server.Answer(200, c.body);
        user.AnswerNextBox(IDOK);
        size_t shown = user.Boxes().size();
        Click(IDC_VERSION_CHECK);
        ASSERT_TRUE(PumpMessagesUntil([&] { return user.Boxes().size() > shown; })) << c.text;
        const RecordedBox& box = user.Boxes().back();
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, c.caption) << c.text;
        EXPECT_EQ(box.owner, c.owner) << c.text;
        EXPECT_TRUE(Enabled(IDC_VERSION_CHECK)) << c.text;
    }
}

TEST_F(VersionButtonTest, QuitDuringACheckDoesNotWaitAndShowsNoAnswerAfterwards) {
    server.HoldAnswers();
    Click(IDC_VERSION_CHECK);
    ASSERT_TRUE(server.WaitForRequests(1));
    user.AnswerNextBox(IDYES);
    ::SendMessageA(*window, WM_COMMAND, MAKEWPARAM(ID_TRAY_QUIT, 0), 0);
    EXPECT_EQ(window->Result(), IDCANCEL);

    server.Answer(200, "x&ServerMessage=Too late");
    PumpMessagesFor(500);
    EXPECT_EQ(user.Boxes().size(), 1u) << "only the question whether to quit";
}

} // namespace
