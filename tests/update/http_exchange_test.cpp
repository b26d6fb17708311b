// The HTTP exchange with the version server, run for real through WinINet against the tests'
// own server on 127.0.0.1.
#include "update/http_exchange.h"

#include "support/http_test_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kServerVariable[] = "MARROWIN_VERSION_SERVER";

// A body whose every position holds a different pattern, so that chunks out of order show.
std::string NumberedBody(size_t size) {
    std::string body;
    for (size_t i = 0; body.size() < size; ++i)
        body += std::to_string(i) + ",";
    body.resize(size);
    return body;
}

class HttpExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(server_.Port(), 0);
        PointAt(server_.Address());
    }
    void TearDown() override { ::SetEnvironmentVariableA(kServerVariable, nullptr); }

    static void PointAt(const std::string& address) {
        ::SetEnvironmentVariableA(kServerVariable, address.c_str());
    }

    // One whole exchange as the version check runs it.
    static std::string Fetch(const std::string& path = "v.php") {
        HttpComunicationCenter exchange;
        EXPECT_TRUE(exchange.Connect());
        return exchange.Exchange(path);
    }

    HttpTestServer server_;
};

TEST_F(HttpExchangeTest, SendsOneGetForThePathAsGiven) {
    server_.Answer(200, "x&ServerMessage=Hey");
    EXPECT_EQ(Fetch("v.php?IamProgram=yes&BuildDate=24.11.2006"), "x&ServerMessage=Hey");
    EXPECT_EQ(server_.RequestLines(),
              std::vector<std::string>{"GET /v.php?IamProgram=yes&BuildDate=24.11.2006 HTTP/1.0"});
    // The program's name stands as the user agent.
    EXPECT_NE(server_.LastRequestHead().find("\r\nUser-Agent: http_exchange_test\r\n"),
              std::string::npos)
        << server_.LastRequestHead();
}

TEST_F(HttpExchangeTest, OnlyTheBodyOfA200AnswerCountsReadInOrderUpToItsLimitAndCutAtAZero) {
    struct Case {
        int status;
        std::string body;
        std::string expected;
    };
    const std::string longBody = NumberedBody(5000);
    const std::string hugeBody = NumberedBody(100000);
    const Case cases[] = {
        {404, "x&ServerMessage=Hello", ""},
        {500, "x&ServerMessage=Hello", ""},
        {302, "x&ServerMessage=Hello", ""},
        {200, longBody, longBody},
        {200, hugeBody, hugeBody.substr(0, 64 * 1024)},
        {200, std::string("x&ServerMessage=Hey\0hidden", 26), "x&ServerMessage=Hey"},
    };
    for (const Case& c : cases) {
        server_.Answer(c.status, c.body);
        EXPECT_EQ(Fetch(), c.expected)
            << "status " << c.status << ", " << c.body.size() << " bytes";
    }
    // One request for each answer: a redirect is not followed.
    EXPECT_EQ(server_.RequestLines().size(), std::size(cases));
}

TEST_F(HttpExchangeTest, AnAbortedRequestGivesNothingEvenIfTheServerAnswersLater) {
    server_.HoldAnswers();
    HttpComunicationCenter exchange;
    ASSERT_TRUE(exchange.Connect());
    std::string body = "not returned";
    std::thread worker([&] { body = exchange.Exchange("v.php"); });
    ASSERT_TRUE(server_.WaitForRequests(1));
    exchange.Abort();
    // The request waits on for the server, whose answer is then dropped.
    server_.Answer(200, "x&ServerMessage=Too late");
    worker.join();
    EXPECT_EQ(body, "");
}

TEST_F(HttpExchangeTest, AServerThatNeverAnswersEndsTheExchangeWithNothingAtTheTimeOut) {
    server_.HoldAnswers();
    HttpComunicationCenter exchange(500);
    ASSERT_TRUE(exchange.Connect());
    std::future<std::string> body =
        std::async(std::launch::async, [&] { return exchange.Exchange("v.php"); });
    bool ended = body.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // Lets a request that still waits go, so that the test ends either way.
    server_.Answer(200, "x&ServerMessage=Too late");
    EXPECT_TRUE(ended);
    EXPECT_EQ(body.get(), "");
}

TEST_F(HttpExchangeTest, ARefusedPortFailsTheExchangeNotTheConnect) {
    RefusingPort refusing;
    PointAt("127.0.0.1:" + std::to_string(refusing.Port()));
    EXPECT_EQ(Fetch(), "");
    EXPECT_TRUE(server_.RequestLines().empty());
}

TEST(VersionServerAddress, ThePlaceholderUnlessTheEnvironmentNamesAnother) {
    struct Case {
        const char* variable;
        const char* host;
        INTERNET_PORT port;
    };
    const Case cases[] = {
        {nullptr, "www.marrowin.example", 80},
        {"versions.test", "versions.test", 80},
        {"127.0.0.1:8081", "127.0.0.1", 8081},
    };
    for (const Case& c : cases) {
        ::SetEnvironmentVariableA(kServerVariable, c.variable);
        VersionServer server = VersionServerAddress();
        EXPECT_EQ(server.host, c.host);
        EXPECT_EQ(server.port, c.port) << (c.variable ? c.variable : "unset");
    }
    ::SetEnvironmentVariableA(kServerVariable, nullptr);
}

} // namespace
