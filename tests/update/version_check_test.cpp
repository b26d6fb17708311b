// The version check running beside a real (hidden) window against the tests' own server: the
// answer posted back, one check at a time, abandoned checks silent.
#include "update/version_check.h"

#include "framework/window.h"
#include "support/http_test_server.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kServerVariable[] = "MARROWIN_VERSION_SERVER";

// Counts the answer messages it gets and takes each answer from the check, as the main window
// does.
class AnswerWindow : public fw::Window {
public:
    explicit AnswerWindow(VersionCheck& check) : check_(check) {}

    int messages = 0;
    std::vector<VersionAnswer> answers;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != VersionCheck::kAnswerMessage)
            return fw::Window::WindowProc(message, wParam, lParam);
        ++messages;
        if (std::optional<VersionAnswer> answer = check_.TakeAnswer())
            answers.push_back(*answer);
        return 0;
    }

private:
    VersionCheck& check_;
};

class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(server_.Port(), 0);
        PointAt(server_.Address());
        ASSERT_TRUE(window_.Create(0, 0, 0, 100, 100));
    }
    void TearDown() override { ::SetEnvironmentVariableA(kServerVariable, nullptr); }

    static void PointAt(const std::string& address) {
        ::SetEnvironmentVariableA(kServerVariable, address.c_str());
    }

    bool WaitForAnswers(size_t count) {
        return PumpMessagesUntil([&] { return window_.answers.size() >= count; });
    }

    HttpTestServer server_;
    VersionCheck check_;
    AnswerWindow window_{check_};
};

// What an exchange gives for each answer, and the box for each body, are tested with the
// exchange and with the reading of the answer; the version button's test has the server that
// cannot be reached. Here the answer reaches the window.
TEST_F(VersionCheckTest, TheAnswerComesBackToTheWindowAsItsBox) {
    server_.Answer(200, "x&ServerMessage=Hey");
    ASSERT_TRUE(check_.Start(window_, "v.php"));
    EXPECT_TRUE(check_.IsRunning());
    ASSERT_TRUE(WaitForAnswers(1));
    EXPECT_EQ(window_.answers[0].box, VersionBox::ServerMessage);
    EXPECT_EQ(window_.answers[0].text, "Hey");
    EXPECT_FALSE(check_.IsRunning());
}

TEST_F(VersionCheckTest, AnAbandonedCheckNeverPostsItsAnswer) {
    for (bool byDestruction : {false, true}) {
        SCOPED_TRACE(byDestruction ? "destroyed" : "abandoned");
        server_.HoldAnswers();
        window_.messages = 0;
        window_.answers.clear();
        size_t requests = server_.RequestLines().size();
        {
            VersionCheck slow;
            ASSERT_TRUE(slow.Start(window_, "slow.php"));
            ASSERT_TRUE(server_.WaitForRequests(requests + 1));
            if (!byDestruction) {
                slow.Abandon();
                EXPECT_FALSE(slow.IsRunning());
            }
        }
        // The server answers the abandoned request after all; a later check's answer comes,
        // the abandoned one's never does.
        server_.Answer(200, "x&ServerMessage=Late");
        ASSERT_TRUE(check_.Start(window_, "v.php"));
        ASSERT_TRUE(WaitForAnswers(1));
        PumpMessagesFor(300);
        EXPECT_EQ(window_.messages, 1);
    }
}

} // namespace
